// Coming from another password manager and leaving for one, through the tool: `import` of each
// manager's export (named or recognised), and `export --format bitwarden-csv|keepassxc-csv`.
#include <sys/stat.h>

#include <filesystem>

#include "cli/cli_fixture.h"

namespace tessarin::cli {
namespace {

namespace fs = std::filesystem;

std::string Fixture(const std::string& name) {
    return std::string(TESSARIN_TEST_DATA) + "/managers/" + name;
}

class ManagerCli : public Cli {
protected:
    void SetUp() override { ASSERT_EQ(Run(With({"create"})).code, 0); }

    // The records of a database as "type|category|six values|note" lines, in stored order.
    static std::vector<std::string> Records(const std::string& path) {
        CCoreContext context;
        CDatabaseObj database(context);
        EXPECT_TRUE(Load(database, path).Ok());
        std::vector<std::string> lines;
        for (const auto& item : database.m_records.Items()) {
            const auto& r = static_cast<const CRecord&>(*item);
            std::string line = database.m_types.NameOf(r.m_key) + "|" +
                               database.m_categories.NameOf(r.m_categoryKey) + "|";
            for (int i = 0; i < kFieldCount; ++i)
                line.append(r.GetValue(i)).append("|");
            lines.push_back(line.append(r.GetNote()));
        }
        return lines;
    }
};

TEST_F(ManagerCli, EachExportImportsNamedOrRecognisedAndASecondTimeAddsNothing) {
    struct CCase {
        const char* file;
        const char* format;
        const char* name;
        size_t records;
        const char* replaced;  // what the tool lists on standard error, when anything
    } cases[] = {
        {"keepassxc.csv", "keepassxc", "KeePassXC", 4,
         "line 5, \"???? Online\": Group, Title, Username, Password, Notes\n"},
        {"keepassxc_old.csv", "keepassxc", "KeePassXC", 1, nullptr},
        {"bitwarden.csv", "bitwarden", "Bitwarden", 3, nullptr},
        {"bitwarden.json", "bitwarden", "Bitwarden", 5,
         "line 30, \"Passport\": folder\nline 38, \"?? ?\": name\n"},
        {"chrome.csv", "chrome", "Chrome, Chromium, Edge or Brave", 3, nullptr},
        {"firefox.csv", "firefox", "Firefox", 3, nullptr},
        {"1password.csv", "1password", "1Password", 2, nullptr},
        {"lastpass.csv", "lastpass", "LastPass", 3, nullptr},
        {"protonpass.csv", "protonpass", "Proton Pass", 4, nullptr},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<std::string> first;
        for (const bool named : {false, true}) {
            fs::remove(db);
            ASSERT_EQ(Run(With({"create", "--no-defaults"})).code, 0);
            std::vector<std::string> args = {"import", Fixture(c.file)};
            if (named)
                args = {"import", "--format", c.format, Fixture(c.file)};
            CRun run = Run(With(args));
            EXPECT_EQ(run.out, "The file was read as an export of " + std::string(c.name) + ": " +
                                   std::to_string(c.records) +
                                   " records were imported, and 0 were skipped as already "
                                   "present.\n");
            if (c.replaced) {
                EXPECT_EQ(run.code, 1);
                EXPECT_NE(run.err.find(c.replaced), std::string::npos) << run.err;
            } else {
                EXPECT_EQ(run.code, 0) << run.err;
                EXPECT_EQ(run.err, "");
            }
            // Named or recognised, the same records.
            if (!named)
                first = Records(db);
            EXPECT_EQ(Records(db), first);
            EXPECT_EQ(first.size(), c.records);
        }
        CRun again = Run(With({"import", Fixture(c.file)}));
        EXPECT_EQ(again.code, 0) << again.err;
        EXPECT_EQ(again.out, "The file was read as an export of " + std::string(c.name) +
                                 ": 0 records were imported, and " + std::to_string(c.records) +
                                 " were skipped as already present.\n");
        EXPECT_EQ(Records(db), first);
    }
}

TEST_F(ManagerCli, ExportsForOtherManagersRoundTripPrivatelyWithAWarning) {
    // The built-in types and categories, and records of several types from a manager's export.
    ASSERT_EQ(Run(With({"import", Fixture("bitwarden.json")})).code, 1);
    ASSERT_EQ(Run(With({"import", Fixture("protonpass.csv")})).code, 0);
    const std::vector<std::string> records = Records(db);
    const mode_t umask = ::umask(0);
    for (const std::string format : {"bitwarden-csv", "keepassxc-csv"}) {
        SCOPED_TRACE(format);
        const std::string out = (dir / (format + ".csv")).string();
        CRun exported = Run(With({"export", "--format", format, out}));
        ASSERT_EQ(exported.code, 0) << exported.err;
        EXPECT_EQ(exported.out, "The file export process was completed successfully.\n");
        EXPECT_NE(exported.err.find("in clear text"), std::string::npos);
        struct stat st {};
        ASSERT_EQ(::stat(out.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);

        // Read back into an empty database, recognised from the first line: the same records.
        const std::string other = (dir / (format + ".tdb")).string();
        ASSERT_EQ(Run({"--db", other, "create", "--no-defaults"}).code, 0);
        CRun back = Run({"--db", other, "import", out});
        EXPECT_EQ(back.code, 0) << back.err;
        EXPECT_EQ(Records(other), records);
        // And into the database it came from: nothing more.
        CRun again = Run(With({"import", out}));
        EXPECT_NE(again.out.find(": 0 records were imported, and " +
                                 std::to_string(records.size()) + " were skipped"),
                  std::string::npos);
    }
    ::umask(umask);
}

TEST_F(ManagerCli, FilesOfAnotherKindAreRefusedWithTheirReason) {
    const std::string other = (dir / "other.csv").string();
    test::WriteFileBytes(other, {'a', ',', 'b', '\n', '1', ',', '2', '\n'});
    const std::string vault = (dir / "vault.json").string();
    const std::string encrypted = "{\"encrypted\": true, \"data\": \"2.x\"}";
    test::WriteFileBytes(vault, std::vector<unsigned char>(encrypted.begin(), encrypted.end()));
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string err;
    } cases[] = {
        {{"import", "--format", "firefox", other},
         1,
         "The first line of this file names none of the columns of an export of Firefox, so "
         "nothing was imported.\n"},
        {{"import", vault},
         1,
         "This Bitwarden export is encrypted with a password, so nothing was imported. Export the "
         "vault again from Bitwarden as unencrypted .json or .csv.\n"},
        {{"export", "--format", "keepassxc-csv", "--protect", other},
         2,
         "A CSV file cannot be protected with a password.\n"},
    };
    for (const Case& c : cases) {
        CRun run = Run(With(c.args));
        EXPECT_EQ(run.code, c.code);
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_TRUE(Records(db).empty());
}

}  // namespace
}  // namespace tessarin::cli
