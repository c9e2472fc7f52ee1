// The translation file that replaces string-table texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "resources/language_file.h"
#include "resources/string_table.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

TEST(LanguageFile, ReplacesTheTextsItCarriesAndSkipsWhatIsNotAText) {
    CStringTable strings;
    const size_t replaced = ApplyLanguageText(
        "# Deutsch\r\n"
        "101=Tessarin Kennwortverwaltung\r\n"
        "\n"
        "161=M\xc3\xb6"
        "chten Sie die Datei %s importieren?\\nJa oder nein.\n"
        "abc=nicht\n"
        "12x=nicht\n"
        "139=\xe2\x82\xac ok\n"
        "155=\xe4\xb8\xad\n"
        "20000=equals = inside\n"
        "a line without an equals sign\n",
        strings);
    EXPECT_EQ(replaced, 4u);
    EXPECT_EQ(strings.Get(101), "Tessarin Kennwortverwaltung");
    EXPECT_EQ(strings.Get(161),
              "M\xf6"
              "chten Sie die Datei %s importieren?\nJa oder nein.");
    EXPECT_EQ(strings.Get(139), "\x80 ok");
    // A text Windows-1252 cannot hold keeps the built-in one.
    EXPECT_EQ(strings.Get(155).substr(0, 9), "Passwords");
    EXPECT_EQ(strings.Get(20000), "equals = inside");
}

TEST(LanguageFile, AFileOthersCouldHaveWrittenOrAHugeOneIsNotRead) {
    namespace fs = std::filesystem;
    test::CTempDir dir;
    const std::string text =
        "\xef\xbb\xbf"
        "101=Tessarin Kennwortverwaltung\n";
    const fs::path path = dir / kLanguageFileName;
    test::WriteFileBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
    fs::permissions(path, fs::perms(0644), fs::perm_options::replace);
    {
        CStringTable strings;
        EXPECT_TRUE(LoadLanguageFile(path.string(), strings));
        EXPECT_EQ(strings.Get(101), "Tessarin Kennwortverwaltung");  // the byte-order mark dropped
    }
    // Its texts are what the user answers: another user must not be able to put words in them.
    for (const fs::perms writable : {fs::perms(0666), fs::perms(0664)}) {
        fs::permissions(path, writable, fs::perm_options::replace);
        CStringTable strings;
        EXPECT_FALSE(LoadLanguageFile(path.string(), strings));
        EXPECT_NE(strings.Get(101), "Tessarin Kennwortverwaltung");
    }
    fs::permissions(path, fs::perms(0644), fs::perm_options::replace);
    fs::permissions(dir.Path(), fs::perms(0777), fs::perm_options::replace);
    CStringTable strings;
    EXPECT_FALSE(LoadLanguageFile(path.string(), strings));
    fs::permissions(dir.Path(), fs::perms(0700), fs::perm_options::replace);

    fs::resize_file(path, kMaxLanguageFileSize + 1);
    EXPECT_FALSE(LoadLanguageFile(path.string(), strings));
    EXPECT_FALSE(LoadLanguageFile((dir / "missing.txt").string(), strings));
}

}  // namespace
}  // namespace tessarin
