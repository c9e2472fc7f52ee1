// Importing files: reading, detection, the password step; exports to files; backup and restore.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "exchange/backup.h"
#include "exchange/exchange_writer.h"
#include "exchange/vex_format.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/builtins.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "support/file_modes.h"
#include "support/fixtures.h"
#include "support/scripted_file_password.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

class ImportFiles : public ::testing::Test {
protected:
    ImportFiles() {
        context.SetMessages(&messages);
        db.m_path = (dir / "db.tdb").string();
    }

    std::string WriteFile(const std::string& name, std::string_view bytes) {
        const std::string path = (dir / name).string();
        test::WriteFileBytes(path, std::vector<unsigned char>(bytes.begin(), bytes.end()));
        return path;
    }
    CImportOutcome ImportPath(const std::string& path,
                              ExchangeFormat format = ExchangeFormat::Detect) {
        CAllTypesList list(db);
        return ImportFile(db, format, path, false, list, prompt);
    }
    // A protected export of one record under `password`.
    std::string ProtectedFile(const std::string& password) {
        test::CTestContext other;
        CDatabaseObj source(other);
        test::AddRecord(source, test::AddType(source, "Web"), nullptr, {"secret value"});
        const auto key = MakeKeySchedule(CSecret(password));
        return WriteFile(
            "protected.vex",
            BuildVexText(source, RecordsInScope(source, ExportScope::All, nullptr), key.get()));
    }

    test::CTempDir dir;
    test::CTestContext context;
    test::CRecordingMessages messages;
    test::CScriptedFilePassword prompt;
    CDatabaseObj db{context};
};

TEST_F(ImportFiles, DetectionRefusesWhatItCannotRead) {
    struct Case {
        std::string bytes;
        int message;
    };
    const Case cases[] = {
        {std::string("\0binary", 7), str::kImportNotText},
        {"Tessarin vEX File -v9.9\r\nF\r\n", str::kImportFutureVersion},
    };
    for (const Case& c : cases) {
        messages.shown.clear();
        EXPECT_EQ(ImportPath(WriteFile("f", c.bytes)).result, CImportOutcome::Failed);
        EXPECT_EQ(messages.Ids(), std::vector<int>{c.message});
    }
    messages.shown.clear();
    ImportPath(WriteFile("f", std::string("\0binary", 7)));
    EXPECT_EQ(messages.shown[0].args, std::vector<std::string>{"Tessarin Password Manager"});

    messages.shown.clear();
    EXPECT_EQ(ImportPath((dir / "missing.vex").string()).result, CImportOutcome::Failed);
    EXPECT_EQ(ImportPath(dir.Path().string()).result, CImportOutcome::Failed);  // a folder
    EXPECT_EQ(messages.Ids(),
              (std::vector<int>{str::kErrorReadingImportFile, str::kErrorReadingImportFile}));
    EXPECT_TRUE(db.m_records.Empty());

    // A fixed format reads whatever it is given: the CSV command parses a binary file as CSV.
    messages.shown.clear();
    EXPECT_EQ(
        ImportPath(WriteFile("f", std::string("\x01T,v\r\n\0", 7)), ExchangeFormat::Csv).records,
        1u);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ImportFiles, DetectionPicksTheParserAndQuotesAroundThePathGo) {
    const std::string path = WriteFile("c.txt", "CryptInfo Export\r\nBank\r\nAccount: 1\r\n");
    ASSERT_EQ(ImportPath("\"" + path + "\"").records, 1u);
    EXPECT_EQ(db.RecordAt(0)->GetValue(0), "1");
    ASSERT_EQ(ImportPath(WriteFile("other.csv", "Name,Login\r\nBank,me\r\n")).records, 2u);
    EXPECT_EQ(db.m_types.NameOf(db.RecordAt(1)->m_key), "Name");
}

TEST_F(ImportFiles, TheDatabasePasswordIsTriedBeforeAsking) {
    const std::string path = ProtectedFile("same");
    SetPassword(context, db, CSecret("same"));
    const CImportOutcome outcome = ImportPath(path);
    EXPECT_TRUE(outcome.Complete());
    EXPECT_EQ(prompt.asked, 0);
    EXPECT_EQ(db.RecordAt(0)->GetValue(0), "secret value");
}

TEST_F(ImportFiles, WrongPasswordsAreAskedAgainUntilCancelled) {
    const std::string path = ProtectedFile("right");
    SetPassword(context, db, CSecret("database"));
    prompt.answers = {"wrong", "Right", ""};
    EXPECT_EQ(ImportPath(path).result, CImportOutcome::Cancelled);
    EXPECT_EQ(prompt.asked, 4);
    EXPECT_EQ(messages.Ids(),
              (std::vector<int>{str::kImportWrongPassword, str::kImportWrongPassword,
                                str::kImportWrongPassword}));
    EXPECT_TRUE(db.m_records.Empty());

    prompt.answers = {"wrong", "right"};
    messages.shown.clear();
    EXPECT_TRUE(ImportPath(path).Complete());
    EXPECT_EQ(messages.Ids(), (std::vector<int>{str::kImportWrongPassword}));
    EXPECT_EQ(db.RecordAt(0)->GetValue(0), "secret value");
}

TEST_F(ImportFiles, ADamagedCheckBlockIsReportedWithoutAsking) {
    const auto bytes = test::ReadFileBytes(ProtectedFile("pw"));
    std::string text(bytes.begin(), bytes.end());
    // Line 2 is "T," and 80 digits; keep 70 of them.
    text.erase(27 + 70, 10);
    prompt.answers = {"pw"};
    EXPECT_EQ(ImportPath(WriteFile("short.vex", text)).result, CImportOutcome::Failed);
    EXPECT_EQ(prompt.asked, 0);
    EXPECT_EQ(messages.Ids(), std::vector<int>{str::kImportCheckBlockDamaged});
    EXPECT_TRUE(db.m_records.Empty());
}

TEST_F(ImportFiles, HugeLinesAndValuesAreRefusedWithoutHarm) {
    test::AddRecord(db, nullptr, nullptr, {"before"});
    struct Case {
        std::string name;
        std::string bytes;
        ExchangeFormat format;
    };
    const std::string tenMegabytes(10 << 20, 'x');
    const std::string value(100000, 'v');
    const Case cases[] = {
        {"line.csv", "T," + tenMegabytes + "\r\nT,small\r\n", ExchangeFormat::Detect},
        {"line.txt", "CryptInfo Export\r\nA: " + tenMegabytes + "\r\n\r\nB: small\r\n",
         ExchangeFormat::Detect},
        {"value.vex",
         "Tessarin vEX File -v2.0\r\nF\r\nT,1,Big,,,,,,,0,\r\nF,1,small\r\n"
         "F,1," +
             value + "\r\n",
         ExchangeFormat::Detect},
        {"label.vex",
         "Tessarin vEX File -v2.0\r\nF\r\nT,1,Huge," + value +
             ",,,,,,0,\r\n"
             "F,1,small\r\n",
         ExchangeFormat::Detect},
        {"yaps.txt", "#Yaps Data\r\n#T,a," + tenMegabytes + "#T,small#", ExchangeFormat::Detect},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        const size_t before = db.m_records.Size();
        const CImportOutcome outcome = ImportPath(WriteFile(c.name, c.bytes), c.format);
        EXPECT_EQ(outcome.refused, 1u);
        EXPECT_EQ(outcome.records, 1u);
        EXPECT_EQ(messages.Ids(), std::vector<int>{str::kImportRowsTooLarge});
        ASSERT_EQ(db.m_records.Size(), before + 1);
        EXPECT_EQ(db.RecordAt(0)->GetValue(0), "before");
        for (const auto& item : db.m_records.Items())
            EXPECT_LE(item->PackedSize(), kMaxPackedSize);
        for (const auto& item : db.m_types.Items())
            EXPECT_LE(item->PackedSize(), kMaxPackedSize);
    }
}

class Restore : public ImportFiles {
protected:
    Restore() {
        CreateBuiltInTypes(db.m_types);
        CreateBuiltInCategories(db.m_categories);
        test::AddRecord(db, db.TypeAt(0), db.CategoryAt(0), {"old"});
    }
    CImportOutcome RestoreFrom(const std::string& path) {
        CAllTypesList list(db);
        return tessarin::Restore(db, path, list, prompt);
    }
    void ExpectUntouched() {
        EXPECT_EQ(db.m_types.Size(), 18u);
        ASSERT_EQ(db.m_records.Size(), 1u);
        EXPECT_EQ(db.RecordAt(0)->GetValue(0), "old");
    }
};

TEST_F(Restore, ReplacesEveryItemBuiltInsIncluded) {
    const std::string backup = WriteFile("b.vex",
                                         "Tessarin vEX File -v2.0\r\nF\r\n"
                                         "T,3,Only,a,b,c,d,e,f,0,\r\n"
                                         "F,3,new,,,,,,0,a,b,c,d,e,f,Cat,\r\n");
    const CImportOutcome outcome = RestoreFrom(backup);
    ASSERT_TRUE(outcome.Complete());
    ASSERT_EQ(db.m_types.Size(), 1u);
    EXPECT_EQ(db.TypeAt(0)->GetName(), "Only");
    ASSERT_EQ(db.m_categories.Size(), 1u);
    ASSERT_EQ(db.m_records.Size(), 1u);
    EXPECT_EQ(db.RecordAt(0)->GetValue(0), "new");

    // A backup of an empty database empties it.
    ASSERT_TRUE(RestoreFrom(WriteFile("e.vex", "Tessarin vEX File -v2.0\r\nF\r\n")).Complete());
    EXPECT_TRUE(db.m_types.Empty());
    EXPECT_TRUE(db.m_records.Empty());
    EXPECT_TRUE(db.m_categories.Empty());
}

TEST_F(Restore, ChangesNothingUntilTheFileIsKnownGood) {
    struct Case {
        std::string bytes;
        int message;  // 0: none
    };
    const Case cases[] = {
        {"Name,Login\r\nBank,me\r\n", str::kImportNotText},         // not an exchange file
        {"Tessarin vEX File -v1.0\r\nF\r\n", str::kImportNotText},  // another version
        {"Tessarin vEX File -v2.5\r\nF\r\n", str::kImportFutureVersion},
        {std::string("\0", 1), str::kImportNotText},
    };
    for (const Case& c : cases) {
        messages.shown.clear();
        EXPECT_EQ(RestoreFrom(WriteFile("r.vex", c.bytes)).result, CImportOutcome::Failed);
        EXPECT_EQ(messages.Ids(), std::vector<int>{c.message});
        ExpectUntouched();
    }
    messages.shown.clear();
    EXPECT_EQ(RestoreFrom((dir / "missing.vex").string()).result, CImportOutcome::Failed);
    EXPECT_EQ(messages.Ids(), std::vector<int>{str::kErrorReadingImportFile});
    ExpectUntouched();

    // The password dialog cancelled: nothing changes.
    messages.shown.clear();
    prompt.answers = {"wrong"};
    EXPECT_EQ(RestoreFrom(ProtectedFile("pw")).result, CImportOutcome::Cancelled);
    ExpectUntouched();

    // A backup protected with the database password restores without asking.
    SetPassword(context, db, CSecret("pw"));
    prompt.asked = 0;
    ASSERT_TRUE(RestoreFrom(ProtectedFile("pw")).Complete());
    EXPECT_EQ(prompt.asked, 0);
    EXPECT_EQ(db.RecordAt(0)->GetValue(0), "secret value");
}

TEST_F(ImportFiles, ExportsAreWrittenWholeAndPrivately) {
    test::AddRecord(db, nullptr, nullptr, {"a"});
    const std::string path = (dir / "out.vex").string();
    ASSERT_TRUE(ExportToFile(db, ExportFormat::Vex, ExportScope::All, nullptr, path, nullptr));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(test::ReadFileBytes(path).size(),
              BuildVexText(db, RecordsInScope(db, ExportScope::All, nullptr), nullptr).size());

    // Into a folder that does not exist: 602 then 603; quietly: nothing; no file either way.
    const std::string nowhere = (dir / "no" / "out.csv").string();
    EXPECT_FALSE(ExportToFile(db, ExportFormat::Csv, ExportScope::All, nullptr, nowhere, nullptr));
    EXPECT_EQ(messages.Ids(),
              (std::vector<int>{str::kErrorCreatingExportFile, str::kErrorWritingExportFile}));
    messages.shown.clear();
    EXPECT_FALSE(
        WriteExchange(db, ExportFormat::Csv, ExportScope::All, nullptr, nowhere, nullptr, true));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

// A list whose rows show the records in reverse, the last one selected.
class CReversedList : public CAllTypesList {
public:
    using CAllTypesList::CAllTypesList;
    std::vector<const CRecord*> ShownRecords() const override {
        auto shown = CAllTypesList::ShownRecords();
        std::reverse(shown.begin(), shown.end());
        return shown;
    }
    std::vector<const CRecord*> SelectedRecords() const override {
        return {CAllTypesList::ShownRecords().back()};
    }
};

TEST_F(ImportFiles, ScopesFollowTheListsOrderAndSelection) {
    test::AddRecord(db, nullptr, nullptr, {"first"});
    test::AddRecord(db, nullptr, nullptr, {"second"})->m_deleted = true;
    test::AddRecord(db, nullptr, nullptr, {"third"});
    CReversedList list(db);
    auto values = [&](ExportScope scope) {
        std::vector<std::string> v;
        for (const CRecord* r : RecordsInScope(db, scope, &list))
            v.emplace_back(r->GetValue(0));
        return v;
    };
    EXPECT_EQ(values(ExportScope::All), (std::vector<std::string>{"first", "third"}));
    EXPECT_EQ(values(ExportScope::CurrentView), (std::vector<std::string>{"third", "first"}));
    EXPECT_EQ(values(ExportScope::Selected), (std::vector<std::string>{"third"}));
}

TEST_F(ImportFiles, AutomaticBackupOnlyOfAChangedDatabaseWithRecords) {
    EXPECT_EQ(AutoBackupFileName("", "<Standalone>"), "Tessarin--_Standalone_.vex");
    EXPECT_EQ(AutoBackupFileName("Palm: 1", "a/b\\c*d?e\"f<g>h|i"),
              "Tessarin-Palm_ 1-a_b_c_d_e_f_g_h_i.vex");
    const std::string documents = (dir / "Documents").string();
    const std::string folder = AutoBackupFolder(context.Strings(), documents);
    EXPECT_EQ(folder, documents + "/Marrowgate/Tessarin/Backup");
    const std::string file = folder + "/Tessarin--_Standalone_.vex";

    EXPECT_FALSE(AutoBackup(db, true, documents, "", "<Standalone>", 5));  // no records
    test::AddRecord(db, nullptr, nullptr, {"kept"})->m_deleted = true;
    EXPECT_FALSE(AutoBackup(db, true, documents, "", "<Standalone>", 5));  // none live
    test::AddRecord(db, nullptr, nullptr, {"kept"});
    EXPECT_FALSE(AutoBackup(db, false, documents, "", "<Standalone>", 5));  // unchanged
    EXPECT_FALSE(std::filesystem::exists(file));

    SetPassword(context, db, CSecret("db password"));
    {
        // Every folder it makes, and the file, private whatever the umask.
        const test::CUmask open(0);
        ASSERT_TRUE(AutoBackup(db, true, documents, "", "<Standalone>", 5));
    }
    for (const char* made :
         {"", "/Marrowgate", "/Marrowgate/Tessarin", "/Marrowgate/Tessarin/Backup"})
        EXPECT_EQ(test::ModeAt(documents + made), 0700) << made;
    EXPECT_EQ(test::ModeAt(file), 0600);
    const auto bytes = test::ReadFileBytes(file);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(CheckFilePassword(text, context.DatabaseKey()), 0);
    EXPECT_EQ(text.find("kept"), std::string::npos);
    EXPECT_TRUE(messages.shown.empty());
}

// Local time, so that the names read as the user's clock: 2024-05-01 and the given time of day.
std::time_t LocalTime(int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 4;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

TEST_F(ImportFiles, AutomaticBackupsKeepADatedSeriesOfTheNewest) {
    const std::string documents = (dir / "Documents").string();
    const std::filesystem::path folder = AutoBackupFolder(context.Strings(), documents);
    const std::string fixed = "Tessarin--_Standalone_.vex";
    EXPECT_EQ(DatedBackupFileName(fixed, LocalTime(1, 13, 45, 7)),
              "Tessarin--_Standalone_ 2024-05-01 13-45-07.vex");

    // What must never be taken for a copy of this user's series: another user's copies (even one
    // whose name begins with this user's), files of the user's own, a folder of that form.
    std::filesystem::create_directories(folder / "Tessarin--_Standalone_ 2000-01-01 00-00-00.vex");
    const char* strangers[] = {
        "Tessarin--Bob 2000-01-01 00-00-00.vex",
        "Tessarin--_Standalone_ 2 2000-01-01 00-00-00.vex",
        "Tessarin--_Standalone_ 2000-01-01 00-00-00.vex.txt",
        "Tessarin--_Standalone_ 2000-01-01 00:00:00.vex",
        "Tessarin--_Standalone_ 2000-01-01.vex",
        "my notes.txt",
    };
    for (const char* name : strangers)
        test::WriteFileBytes((folder / name).string(), {'x'});

    test::AddRecord(db, nullptr, nullptr, {"value 0"});
    // Seven runs on one day, out of order once (a clock set back), two in the same second.
    const std::time_t runs[] = {LocalTime(1, 9, 0, 0),  LocalTime(1, 10, 0, 0),
                                LocalTime(1, 8, 0, 0),  LocalTime(1, 11, 0, 0),
                                LocalTime(1, 12, 0, 0), LocalTime(1, 12, 0, 0),
                                LocalTime(1, 13, 0, 0)};
    int n = 0;
    for (std::time_t when : runs) {
        db.RecordAt(0)->SetValue(0, "value " + std::to_string(n++));
        ASSERT_TRUE(AutoBackup(db, true, documents, "", "<Standalone>", 3, when));
    }
    EXPECT_EQ(DatedBackups(folder.string(), fixed),
              (std::vector<std::string>{"Tessarin--_Standalone_ 2024-05-01 11-00-00.vex",
                                        "Tessarin--_Standalone_ 2024-05-01 12-00-00.vex",
                                        "Tessarin--_Standalone_ 2024-05-01 13-00-00.vex"}));
    // The file of the fixed name is the newest backup, as each dated copy is of its run; the copy
    // of a second that ran twice holds the later run.
    const auto newest = test::ReadFileBytes((folder / fixed).string());
    EXPECT_EQ(
        test::ReadFileBytes((folder / "Tessarin--_Standalone_ 2024-05-01 13-00-00.vex").string()),
        newest);
    const auto noon =
        test::ReadFileBytes((folder / "Tessarin--_Standalone_ 2024-05-01 12-00-00.vex").string());
    EXPECT_NE(std::string(noon.begin(), noon.end()).find("value 5"), std::string::npos);
    for (const char* name : strangers)
        EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
    EXPECT_TRUE(
        std::filesystem::is_directory(folder / "Tessarin--_Standalone_ 2000-01-01 00-00-00.vex"));

    // None kept: the fixed file is still written, the series is neither added to nor cut.
    db.RecordAt(0)->SetValue(0, "value last");
    ASSERT_TRUE(AutoBackup(db, true, documents, "", "<Standalone>", 0, LocalTime(1, 14, 0, 0)));
    EXPECT_EQ(DatedBackups(folder.string(), fixed).size(), 3u);
    const auto last = test::ReadFileBytes((folder / fixed).string());
    EXPECT_NE(std::string(last.begin(), last.end()).find("value last"), std::string::npos);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ImportFiles, AutomaticBackupsAreTheUsersOwnWhateverTheUmaskAndWhateverLinkIsPlanted) {
    const std::string documents = (dir / "Documents").string();
    const std::filesystem::path folder = AutoBackupFolder(context.Strings(), documents);
    std::filesystem::create_directories(folder);
    const std::time_t when = LocalTime(1, 9, 0, 0);
    const std::string fixed = "Tessarin--_Standalone_.vex";
    // Links at both names the backup is about to write: the fixed one and this run's dated copy.
    const test::CPlantedLink atFixed(folder / fixed, dir, "victim fixed");
    const test::CPlantedLink atDated(folder / DatedBackupFileName(fixed, when), dir,
                                     "victim dated");

    test::AddRecord(db, nullptr, nullptr, {"value"});
    {
        const test::CUmask open;
        ASSERT_TRUE(AutoBackup(db, true, documents, "", "<Standalone>", 5, when));
    }
    atFixed.ExpectReplacedByPrivateFile();
    atDated.ExpectReplacedByPrivateFile();
}

}  // namespace
}  // namespace tessarin

namespace tessarin {
namespace {

// A restore from a damaged backup: every record the database held before is still there
// afterwards, in the database itself or in the copy kept beside it.
class DamagedBackup : public ::testing::Test {
protected:
    DamagedBackup() {
        context.SetMessages(&messages);
        CDatabaseObj db(context);
        EXPECT_TRUE(Open(db, dir.Path().string()).Ok());
        path = db.m_path;
        for (int i = 0; i < 289; ++i)
            test::AddRecord(db, db.TypeAt(i % 18), db.CategoryAt(i % 2),
                            {"record " + std::to_string(i), "user", "p\"w,d"},
                            i % 7 ? "" : "a note\r\nof two lines");
        EXPECT_TRUE(Save(db).Ok());
        before = Records(path);
        const std::string full = (dir / "full.vex").string();
        EXPECT_TRUE(ExportToFile(db, ExportFormat::Vex, ExportScope::All, nullptr, full, nullptr));
        const auto bytes = test::ReadFileBytes(full);
        backup.assign(bytes.begin(), bytes.end());
    }

    // The records of a database file: type, category, values and note of each.
    std::vector<std::string> Records(const std::string& file) {
        test::CTestContext reader;
        CDatabaseObj db(reader);
        EXPECT_TRUE(Load(db, file).Ok()) << file;
        std::vector<std::string> records;
        for (const auto& item : db.m_records.Items()) {
            const auto& r = static_cast<const CRecord&>(*item);
            std::string line =
                db.m_types.NameOf(r.m_key) + "|" + db.m_categories.NameOf(r.m_categoryKey);
            for (int f = 0; f < kFieldCount; ++f)
                line.append("|").append(r.GetValue(f));
            records.push_back(line.append("|").append(r.GetNote()));
        }
        return records;
    }

    // The offset where the line holding `text` begins.
    size_t LineOf(const std::string& text) {
        const size_t at = backup.find(text);
        EXPECT_NE(at, std::string::npos) << text;
        return backup.rfind('\n', at) + 1;
    }

    test::CTempDir dir;
    test::CTestContext context;
    test::CRecordingMessages messages;
    std::string path;
    std::vector<std::string> before;
    std::string backup;
};

TEST_F(DamagedBackup, IsRefusedOrKeepsTheDatabaseItReplaces) {
    const size_t middle = LineOf("record 144,");
    struct Case {
        const char* name;
        std::string bytes;
        bool restored;  // an undamaged-looking backup is restored, the database kept beside it
        int firstMessage;
    };
    const Case cases[] = {
        {"zero byte", backup.substr(0, middle) + std::string("\0", 1) + backup.substr(middle),
         false, str::kImportZeroByte},
        {"row without values", backup.substr(0, middle) + "F,24\r\n" + backup.substr(middle), false,
         str::kImportStoppedEarly},
        {"cut inside a row", backup.substr(0, middle + 20), false, str::kRestoreRowCut},
        {"cut inside a quoted value", backup.substr(0, LineOf("record 147,") + 35), false,
         str::kRestoreRowCut},
        {"cut at a row boundary", backup.substr(0, middle), true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        const std::string damaged = (dir / "damaged.vex").string();
        test::WriteFileBytes(damaged, std::vector<unsigned char>(c.bytes.begin(), c.bytes.end()));
        const auto fileBefore = test::ReadFileBytes(path);
        CDatabaseObj db(context);
        ASSERT_TRUE(Load(db, path).Ok());
        CAllTypesList list(db);
        test::CScriptedFilePassword prompt;
        const CImportOutcome outcome = tessarin::Restore(db, damaged, list, prompt);
        if (!c.restored) {
            EXPECT_EQ(outcome.result, CImportOutcome::Failed);
            ASSERT_FALSE(messages.shown.empty());
            EXPECT_EQ(messages.shown.front().id, c.firstMessage);
            EXPECT_EQ(messages.shown.back().id, str::kNothingRestored);
            EXPECT_EQ(db.m_records.Size(), before.size());
            EXPECT_EQ(test::ReadFileBytes(path), fileBefore);
            EXPECT_TRUE(outcome.keptAt.empty());
            continue;
        }
        ASSERT_TRUE(outcome.Complete());
        EXPECT_EQ(Records(path).size(), 144u);
        // The database it replaced is kept beside it, never over an earlier copy.
        EXPECT_EQ(outcome.keptAt, path + ".before-restore");
        EXPECT_EQ(Records(outcome.keptAt), before);
        CDatabaseObj again(context);
        ASSERT_TRUE(Load(again, path).Ok());
        CAllTypesList againList(again);
        ASSERT_TRUE(tessarin::Restore(again, damaged, againList, prompt).Complete());
        EXPECT_EQ(Records(path + ".before-restore-2"), Records(path));
        EXPECT_EQ(Records(outcome.keptAt), before);
    }
}

}  // namespace
}  // namespace tessarin
