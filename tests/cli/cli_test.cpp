#include <gtest/gtest.h>

#include <cstdio>

#include "cli/cli_fixture.h"
#include "platform/settings_store.h"
#include "security/password.h"
#include "store/database_file.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"

namespace tessarin::cli {
namespace {

TEST_F(Cli, CreateThenInfo) {
    CRun created = Run(With({"create"}));
    ASSERT_EQ(created.code, 0) << created.err;
    CRun info = Run(With({"info"}));
    EXPECT_EQ(info.code, 0);
    EXPECT_EQ(info.out,
              "Format version: 5\nPassword set: no\nTypes: 18 (0 marked deleted)\n"
              "Categories: 2 (0 marked deleted)\nRecords: 0 (0 marked deleted)\nHandheld name: \n");

    CRun again = Run(With({"create"}));
    EXPECT_EQ(again.code, 1);
    EXPECT_EQ(again.err, "The database " + db + " already exists.\n");

    const std::string bare = (dir / "bare.tdb").string();
    ASSERT_EQ(Run({"--db", bare, "create", "--no-defaults"}).code, 0);
    EXPECT_NE(Run({"--db", bare, "info"}).out.find("Types: 0 (0"), std::string::npos);
}

TEST_F(Cli, PasswordsAreCheckedInTheDialogsOrder) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
        int code;
        std::string err;
    };
    const Case cases[] = {
        {{"create", "--set-password"},
         "secret\nsecreT\n",
         1,
         "Your new password doesn't match the confirm password.\n"},
        {{"create", "--set-password"},
         "aa\naa\n",
         1,
         "Passwords must be at least 2 characters and have at least two unique characters.\n"},
        {{"create", "--set-password"},
         "secret\n",
         1,
         "A password was asked for, but standard input has ended.\n"},
        {{"create", "--set-password"},
         "\xE6\x97\xA5\n",
         1,
         "The text holds a character that Windows-1252 cannot hold: New password: \n"},
    };
    for (const Case& c : cases) {
        CRun run = Run(With(c.args), c.input);
        EXPECT_EQ(run.code, c.code) << c.input;
        EXPECT_EQ(run.err, c.err) << c.input;
    }

    ASSERT_EQ(Run(With({"create", "--set-password"}), "s\xC3\xA9same\ns\xC3\xA9same\n").code, 0);
    EXPECT_TRUE(IsPasswordSet(db));
    EXPECT_TRUE(CheckPassword(db, CSecret("s\xE9same")));  // stored as Windows-1252

    // A wrong old password with mismatching new ones reports the mismatch first.
    CRun mismatch = Run(With({"passwd"}), "wrong\nnew1\nnew2\n");
    EXPECT_EQ(mismatch.err, "Your new password doesn't match the confirm password.\n");
    CRun wrongOld = Run(With({"passwd"}), "wrong\nnew1\nnew1\n");
    EXPECT_EQ(wrongOld.err, "Your old password is incorrect. Passwords are case-sensitive.\n");
    CRun wrong = Run(With({"info"}), "S\xC3\xA9same\n");
    EXPECT_EQ(wrong.code, 1);
    EXPECT_EQ(wrong.err, "That is not the correct password.\n");

    CRun changed = Run(With({"passwd"}), "s\xC3\xA9same\nnew1\nnew1\n");
    ASSERT_EQ(changed.code, 0) << changed.err;
    EXPECT_EQ(changed.out, "The password is set.\n");
    EXPECT_TRUE(CheckPassword(db, CSecret("new1")));
    EXPECT_EQ(Run(With({"info"}), "new1\n").code, 0);

    CRun removed = Run(With({"passwd"}), "new1\n\n\n");
    ASSERT_EQ(removed.code, 0) << removed.err;
    EXPECT_EQ(removed.out, "The password is removed.\n");
    EXPECT_FALSE(IsPasswordSet(db));
    EXPECT_NE(Run(With({"info"})).out.find("Types: 18"), std::string::npos);
}

TEST_F(Cli, NewPasswordsMeetTheAdministratorsRequirements) {
    // At least 8 characters with a digit; the message is the administrator's, as written.
    {
        std::vector<uint8_t> record(32, 0);
        record[0] = 8;
        record[1] = 0xFF;
        record[3] = 1;
        CSettingsStore store;
        store.WriteBytes("Preferences", "Password requirements", record);
        store.WriteText("Preferences", "Password requirements error", "Eight or more, one digit.");
    }
    const std::string unmet = "Eight or more, one digit.\n";
    CRun weak = Run(With({"create", "--set-password"}), "abcdefgh\nabcdefgh\n");
    EXPECT_EQ(weak.code, 1);
    EXPECT_EQ(weak.err, unmet);
    EXPECT_FALSE(std::filesystem::exists(db));
    // The basic rule and the confirmation come first.
    EXPECT_EQ(Run(With({"create", "--set-password"}), "aaaaaaaa\naaaaaaaa\n").err,
              "Passwords must be at least 2 characters and have at least two unique characters.\n");
    ASSERT_EQ(Run(With({"create", "--set-password"}), "abcdefg1\nabcdefg1\n").code, 0);

    EXPECT_EQ(Run(With({"passwd"}), "abcdefg1\nshort1\nshort1\n").err, unmet);
    EXPECT_EQ(Run(With({"passwd"}), "wrong\nshort1\nshort1\n").err,
              "Your old password is incorrect. Passwords are case-sensitive.\n");
    // Requirements that ask for characters also keep the password from being removed.
    EXPECT_EQ(Run(With({"passwd"}), "abcdefg1\n\n\n").err, unmet);
    EXPECT_TRUE(CheckPassword(db, CSecret("abcdefg1")));
    CRun changed = Run(With({"passwd"}), "abcdefg1\nzyxwvut9\nzyxwvut9\n");
    EXPECT_EQ(changed.code, 0) << changed.err;
    EXPECT_TRUE(CheckPassword(db, CSecret("zyxwvut9")));

    // Without a message of its own, the refusal is an empty line.
    CSettingsStore().WriteText("Preferences", "Password requirements error", "");
    CRun silent = Run(With({"passwd"}), "zyxwvut9\nabc\nabc\n");
    EXPECT_EQ(silent.code, 1);
    EXPECT_EQ(silent.err, "\n");
}

TEST_F(Cli, DumpWritesEveryFieldAsJson) {
    {
        CCoreContext context;
        SetDatabaseKey(context, CSecret("pw"));
        CDatabaseObj database(context);
        database.m_path = db;
        database.m_checkBlock = MakeCheckBlock(CSecret("pw"));
        database.m_handheldName = "H\x80";
        auto item = database.m_records.CreateItem();
        auto& record = static_cast<CRecord&>(*item);
        record.SetValue(0, "caf\xE9 \"quoted\"");
        record.SetValue(5, "\x81\x8D\x8F\x90\x9D");
        record.SetNote("one\r\ntwo");
        record.SetCustomLabelText(2, "PIN");
        record.m_maskBits = 4;
        record.m_recordNumber = 42;
        record.m_modified = true;
        database.m_records.Add(std::move(item));
        ASSERT_TRUE(Save(database).Ok());
    }
    CRun dump = Run(With({"dump"}), "pw\n");
    ASSERT_EQ(dump.code, 0) << dump.err;
    const std::string& json = dump.out;
    EXPECT_NE(json.find("\"handheld_name\": \"H\xE2\x82\xAC\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"values\": [\"caf\xC3\xA9 \\\"quoted\\\"\", \"\", \"\", \"\", \"\", "
                        "\"\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D\"]"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"note\": \"one\\r\\ntwo\""), std::string::npos);
    EXPECT_NE(json.find("\"custom_labels\": [\"\", \"\", \"PIN\", \"\", \"\", \"\"]"),
              std::string::npos);
    EXPECT_NE(json.find("\"mask\": 4,\n      \"icon\": 24,\n      \"record_number\": 42,\n"
                        "      \"modified\": true,\n      \"deleted\": false"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"type_key\": \"0000000000000000\""), std::string::npos);
    std::string block;
    for (uint8_t b : MakeCheckBlock(CSecret("pw"))) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", b);
        block += hex;
    }
    EXPECT_NE(json.find("\"check_block\": \"" + block + "\""), std::string::npos);
}

TEST_F(Cli, BadUsageAndBadFiles) {
    EXPECT_EQ(Run({"frobnicate"}).code, 2);
    EXPECT_EQ(Run(With({"create", "--bogus"})).err, "Unknown option: --bogus\n");
    EXPECT_EQ(Run({"--db"}).code, 2);
    EXPECT_EQ(Run(With({"info", "extra"})).code, 2);
    EXPECT_EQ(Run({}).code, 2);
    EXPECT_EQ(Run({"--help"}).code, 0);
    EXPECT_EQ(Run({"create", "--help"}).code, 0);

    CRun missing = Run(With({"info"}));
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "The database " + db + " does not exist.\n");

    // A damaged file is reported and left as it was.
    const std::vector<unsigned char> damaged(50, 0);
    test::WriteFileBytes(db, damaged);
    CRun broken = Run(With({"dump"}));
    EXPECT_EQ(broken.code, 1);
    EXPECT_EQ(broken.err.rfind("The database " + db + " could not be read: ", 0), 0u) << broken.err;
    EXPECT_EQ(test::ReadFileBytes(db), damaged);
}

TEST_F(Cli, TheProgramReadsPasswordsFromItsStandardInput) {
    const std::string command =
        std::string(TESSARIN_CLI_PATH) + " --db '" + db + "' create --set-password >/dev/null 2>&1";
    FILE* pipe = ::popen(command.c_str(), "w");
    ASSERT_NE(pipe, nullptr);
    std::fputs("open sesame\nopen sesame\n", pipe);
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_TRUE(CheckPassword(db, CSecret("open sesame")));
}

}  // namespace
}  // namespace tessarin::cli

namespace tessarin::cli {
namespace {

TEST_F(Cli, MoveCarriesTheIconFileAndRefusesAFolderWithADatabase) {
    ASSERT_EQ(Run(With({"create"})).code, 0);
    {
        CCoreContext context;
        CDatabaseObj database(context);
        ASSERT_TRUE(Load(database, db).Ok());
        database.m_handheldName = "Handheld";
        ASSERT_TRUE(Save(database).Ok());
    }
    test::WriteFileBytes(dir / "Handheld.pdb", {1, 2, 3});
    const std::string taken = (dir / "taken").string();
    ASSERT_EQ(Run({"--db", taken + "/TessarinDatabase.tdb", "create"}).code, 0);

    CRun refused = Run(With({"move", taken}));
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err,
              "You cannot save the Tessarin database in this location because another database "
              "already exists.\n");
    EXPECT_TRUE(std::filesystem::exists(db));

    const std::string target = (dir / "moved").string();
    std::filesystem::create_directory(target);
    CRun moved = Run(With({"move", target}));
    EXPECT_EQ(moved.code, 0) << moved.err;
    EXPECT_EQ(moved.out, "The database is now in " + target + ".\n");
    EXPECT_FALSE(std::filesystem::exists(db));
    EXPECT_EQ(test::ReadFileBytes(target + "/Handheld.pdb"), (std::vector<unsigned char>{1, 2, 3}));
    EXPECT_EQ(Run({"--db", target + "/TessarinDatabase.tdb", "info"}).code, 0);
}

}  // namespace
}  // namespace tessarin::cli

namespace tessarin::cli {
namespace {

// Without --db the tool opens the current user's database the way the program does at start: with
// no sync platform installed, the standalone user's, in the documents folder.
TEST_F(Cli, WithoutADatabaseNamedTheStandaloneUsersDatabaseIsUsed) {
    const std::string home = std::getenv("HOME");
    const std::string folder = home + "/Documents/Marrowgate/Tessarin/_Standalone_";
    std::filesystem::remove_all(home + "/Documents/Marrowgate");
    CRun missing = Run({"info"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "The database " + folder + "/TessarinDatabase.tdb does not exist.\n");

    ASSERT_EQ(Run({"create"}).code, 0);
    EXPECT_TRUE(std::filesystem::exists(folder + "/TessarinDatabase.tdb"));
    CRun info = Run({"info"});
    EXPECT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.out.find("Types: 18"), std::string::npos);

    CRun users = Run({"users"});
    EXPECT_EQ(users.code, 0);
    EXPECT_EQ(users.out,
              "User\tFolder name\tPlatform kind\tDatabase folder\tPassword\n"
              "* <Standalone>\t_Standalone_\t3\t" +
                  folder + "\tno\n");
    EXPECT_EQ(Run({"--user", "<STANDALONE>", "info"}).code, 0);
    CRun nobody = Run({"--user", "Carol", "info"});
    EXPECT_EQ(nobody.code, 1);
    EXPECT_EQ(nobody.err, "There is no user named Carol.\n");
    std::filesystem::remove_all(home + "/Documents/Marrowgate");
}

}  // namespace
}  // namespace tessarin::cli
