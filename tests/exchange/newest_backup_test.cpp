#include "exchange/newest_backup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "exchange/backup.h"
#include "resources/string_table.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;

TEST(NewestBackup, TheUsersBackupWrittenLastOfTheFileAndItsSeries) {
    test::CTempDir dir;
    const CStringTable strings;
    const std::string documents = (dir / "Documents").string();
    EXPECT_EQ(NewestAutoBackup(strings, documents, "Palm", "Al"), std::nullopt);  // no folder

    const fs::path folder = AutoBackupFolder(strings, documents);
    fs::create_directories(folder);
    const auto now = fs::file_time_type::clock::now();
    // Each file written a minute after the one before it: the last one that is Al's wins.
    const struct {
        const char* name;
        bool als;
    } files[] = {
        {"Tessarin-Palm-Al.vex", true},
        {"Tessarin-Palm-Al-2024-05-01 14.03.vex", true},
        {"Tessarin-Palm-Al_20240502T0930.vex", true},
        {"Tessarin-Palm-Alice.vex", false},  // another user
        {"Tessarin-Palm-Alice-2024-06-01.vex", false},
        {"Tessarin-Palm-Al-copy.vex", false},  // not a time stamp
        {"Tessarin-Palm-Al-.vex", false},      // no digit
        {"Tessarin-Other-Al.vex", false},      // another platform
        {"Tessarin-Palm-Al.vex.bak", false},
    };
    int minute = 0;
    std::string expected;
    for (const auto& file : files) {
        const fs::path path = folder / file.name;
        test::WriteFileBytes(path, {'x'});
        fs::last_write_time(path, now + std::chrono::minutes(++minute));
        if (file.als)
            expected = path.string();
        SCOPED_TRACE(file.name);
        const std::optional<CBackupFile> newest =
            NewestAutoBackup(strings, documents, "Palm", "Al");
        ASSERT_TRUE(newest);
        EXPECT_EQ(newest->path, expected);
    }
    // A folder of that name is no backup.
    fs::create_directories(folder / "Tessarin-Palm-Al-2099.vex");
    fs::last_write_time(folder / "Tessarin-Palm-Al-2099.vex", now + std::chrono::hours(1));
    EXPECT_EQ(NewestAutoBackup(strings, documents, "Palm", "Al")->path, expected);
}

}  // namespace
}  // namespace tessarin
