// The exchange commands: export, import, backup and restore.
#include <filesystem>

#include "cli/cli_fixture.h"
#include "cli/exchange_steps.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"

namespace tessarin::cli {
namespace {

class ExchangeCli : public Cli {
protected:
    // A database with a password, a type, a category and records with awkward texts.
    void MakeSource(const std::string& password) {
        CCoreContext context;
        SetDatabaseKey(context, CSecret(password));
        CDatabaseObj database(context);
        database.m_path = source;
        database.m_checkBlock = MakeCheckBlock(CSecret(password));
        auto type = database.m_types.CreateItem();
        static_cast<CTypeItem&>(*type).SetName("Web");
        type->SetValue(0, "User");
        type->m_icon = 7;
        type->m_maskBits = 2;
        const ItemKey typeKey = database.m_types.AddSorted(std::move(type))->m_key;
        auto category = database.m_categories.CreateItem();
        static_cast<CCategoryItem&>(*category).SetName("Caf\xE9");
        const ItemKey categoryKey = database.m_categories.AddSorted(std::move(category))->m_key;
        const char* notes[] = {"two\r\nlines", "a, \"quoted\" note", "  leading", "\x80\xFF"};
        for (const char* note : notes) {
            auto item = database.m_records.CreateItem();
            auto& record = static_cast<CRecord&>(*item);
            record.m_key = typeKey;
            record.m_categoryKey = categoryKey;
            record.m_icon = 9;
            record.m_maskBits = 2;
            record.SetValue(0, note);
            record.SetValue(1, "secret");
            record.SetNote(note);
            database.m_records.Add(std::move(item));
        }
        ASSERT_TRUE(Save(database).Ok());
    }

    // The target's records as "type|category|values|note|icon|mask" lines.
    std::vector<std::string> Records(const std::string& path, const std::string& password = "") {
        CCoreContext context;
        SetDatabaseKey(context, CSecret(password));
        CDatabaseObj database(context);
        EXPECT_TRUE(Load(database, path).Ok());
        std::vector<std::string> lines;
        for (const auto& item : database.m_records.Items()) {
            const auto& r = static_cast<const CRecord&>(*item);
            std::string line = database.m_types.NameOf(r.m_key) + "|" +
                               database.m_categories.NameOf(r.m_categoryKey) + "|";
            for (int i = 0; i < kFieldCount; ++i)
                line.append(r.GetValue(i)).append("|");
            line.append(r.GetNote())
                .append("|" + std::to_string(r.m_icon) + "|" + std::to_string(r.m_maskBits));
            lines.push_back(line);
        }
        return lines;
    }

    void CreateEmptyTarget() {
        ASSERT_EQ(Run({"--db", target, "create", "--no-defaults"}).code, 0);
    }

    std::string source = (dir / "source.tdb").string();
    std::string target = (dir / "target.tdb").string();
    std::string file = (dir / "out.vex").string();
};

TEST_F(ExchangeCli, VexRoundTripsWithAndWithoutAFilePassword) {
    MakeSource("db");
    for (const std::string& filePassword : {std::string(), std::string("file pw")}) {
        std::filesystem::remove(target);
        CreateEmptyTarget();
        std::vector<std::string> args = {"--db", source, "export", "--format", "vex", file};
        std::string input = "db\n";
        if (!filePassword.empty()) {
            args.push_back("--protect");
            input += filePassword + "\n" + filePassword + "\n";
        }
        CRun exported = Run(args, input);
        ASSERT_EQ(exported.code, 0) << exported.err;
        EXPECT_EQ(exported.out, "The file export process was completed successfully.\n");

        CRun imported = Run({"--db", target, "import", file}, filePassword + "\n");
        ASSERT_EQ(imported.code, 0) << imported.err;
        EXPECT_EQ(imported.out, "4 records imported.\n");
        EXPECT_EQ(Records(target), Records(source, "db"));
    }
}

TEST_F(ExchangeCli, CsvKeepsValuesNotesTypesAndCategories) {
    MakeSource("");
    CreateEmptyTarget();
    const std::string csv = (dir / "out.csv").string();
    ASSERT_EQ(Run({"--db", source, "export", "--format", "csv", csv}).code, 0);
    ASSERT_EQ(Run({"--db", target, "import", "--format", "csv", csv}).code, 0);
    std::vector<std::string> expected = Records(source);
    // Icons and masks are not carried: the first record makes the type "Web" and gets 0 and 0;
    // the others take the new type's icon and mask.
    for (std::string& line : expected)
        line = line.substr(0, line.rfind("|9|2")) + (&line == &expected[0] ? "|0|0" : "|24|0");
    EXPECT_EQ(Records(target), expected);
}

TEST_F(ExchangeCli, ProtectedImportsTakeTheDatabasePasswordOrOneLine) {
    MakeSource("same");
    ASSERT_EQ(Run({"--db", source, "export", "--protect", file}, "same\nsame\nsame\n").code, 0);
    // The target's password opens the file: no further line is read.
    ASSERT_EQ(
        Run({"--db", target, "create", "--no-defaults", "--set-password"}, "same\nsame\n").code, 0);
    CRun imported = Run({"--db", target, "import", file}, "same\n");
    ASSERT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(Records(target, "same").size(), 4u);

    const std::string other = (dir / "other.tdb").string();
    ASSERT_EQ(Run({"--db", other, "create", "--no-defaults"}).code, 0);
    for (const std::string& input : {std::string("wrong\n"), std::string()}) {
        CRun refused = Run({"--db", other, "import", file}, input);
        EXPECT_EQ(refused.code, 1);
        EXPECT_EQ(refused.err, "That is not the correct password for this import file.\n");
    }
    EXPECT_TRUE(Records(other).empty());
}

TEST_F(ExchangeCli, ExportPasswordsAreCheckedAsTheDialogDoes) {
    MakeSource("");
    const std::pair<std::string, std::string> cases[] = {
        {"one\ntwo\n", "Your new password doesn't match the confirm password.\n"},
        {"aa\naa\n",
         "Passwords must be at least 2 characters and have at least two unique characters.\n"},
    };
    for (const auto& [input, message] : cases) {
        CRun run = Run({"--db", source, "backup", file, "--protect"}, input);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err, message);
        EXPECT_FALSE(std::filesystem::exists(file));
    }
    // An empty password gives an unprotected file.
    CRun plain = Run({"--db", source, "backup", file, "--protect"}, "\n\n");
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(plain.out, "The backup was successful.\n");
    EXPECT_EQ(test::ReadFileBytes(file)[25], 'F');
}

TEST_F(ExchangeCli, RestoreReplacesOnlyWhenToldTo) {
    MakeSource("");
    ASSERT_EQ(Run({"--db", source, "backup", file}).code, 0);
    ASSERT_EQ(Run({"--db", target, "create"}).code, 0);  // with the built-in types

    CRun unasked = Run({"--db", target, "restore", file});
    EXPECT_EQ(unasked.code, 2);
    EXPECT_EQ(unasked.err,
              "Restore replaces the whole database: give --yes when standard input is not a "
              "terminal.\n");
    CRun notVex = Run({"--db", target, "restore", "--yes", (dir / "x.csv").string()});
    EXPECT_EQ(notVex.err, "There was an error reading the import file.\n");
    test::WriteFileBytes(dir / "x.csv", {'a', ',', 'b', '\n'});
    notVex = Run({"--db", target, "restore", "--yes", (dir / "x.csv").string()});
    EXPECT_EQ(notVex.code, 1);
    EXPECT_EQ(notVex.err, "Tessarin Password Manager doesn't recognize that type of file.\n");
    EXPECT_NE(Run({"--db", target, "info"}).out.find("Types: 18"), std::string::npos);

    CRun restored = Run({"--db", target, "restore", "--yes", file});
    ASSERT_EQ(restored.code, 0) << restored.err;
    EXPECT_EQ(restored.out,
              "4 records restored.\nThe database as it was before the restore is kept as " +
                  target + ".before-restore.\n");
    EXPECT_NE(Run({"--db", target, "info"}).out.find("Types: 1 "), std::string::npos);
    EXPECT_EQ(Records(target), Records(source));
}

TEST_F(ExchangeCli, BadUsageAndBadFiles) {
    MakeSource("");
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string err;
    };
    const Case cases[] = {
        {{"export", "--format", "xml", file}, 2, "Unknown file format: xml\n"},
        {{"export", "--format", "csv", "--protect", file},
         2,
         "A CSV file cannot be protected with a password.\n"},
        {{"import", "--format", "pdf", file}, 2, "Unknown file format: pdf\n"},
        {{"export", source},
         1,
         "The file " + source + " is the database itself: choose another file.\n"},
        {{"export", (dir / "missing" / "x.vex").string()},
         1,
         "There was an error creating the export file.\nThere was an error writing to the export "
         "file. Make sure you have enough disk space and/or you didn't specify a read-only "
         "location.\n"},
        {{"import", (dir / "missing.vex").string()},
         1,
         "There was an error reading the import file.\n"},
        {{"export"},
         2,
         "tessarin-cli [--db FILE] export --format vex|csv|bitwarden-csv|keepassxc-csv [--protect] "
         "OUT\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--db", source};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CRun run = Run(args);
        EXPECT_EQ(run.code, c.code) << c.args[0];
        EXPECT_EQ(run.err, c.err) << c.args[0];
    }
    EXPECT_EQ(Records(source).size(), 4u);
}

}  // namespace
}  // namespace tessarin::cli

namespace tessarin::cli {
namespace {

TEST_F(Cli, AnImportIsCountedOnlyOnceItsSaveSucceeded) {
    std::istringstream in;
    std::ostringstream out, err;
    CCliIo io{in, out, err, false};
    CCliSession session(io, db);
    CImportOutcome outcome;
    outcome.records = 5;
    outcome.save = CStoreResult::Failure(StoreCode::LockTimeout, 0, db);
    EXPECT_EQ(ReportImport(session, outcome, str::kCliImported), kExitFailure);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("in use by another program"), std::string::npos) << err.str();

    // A save that failed with its own message is not said twice.
    std::ostringstream out2, err2;
    CCliIo io2{in, out2, err2, false};
    CCliSession session2(io2, db);
    outcome.save = CStoreResult::Failure(StoreCode::WriteFailed, ENOSPC, db);
    outcome.save.message = str::kErrorSavingDatabase;
    EXPECT_EQ(ReportImport(session2, outcome, str::kCliImported), kExitFailure);
    EXPECT_EQ(out2.str(), "");
    EXPECT_EQ(err2.str(), "");
}

}  // namespace
}  // namespace tessarin::cli
