// The translation file that replaces string-table texts.
#include <gtest/gtest.h>

#include "resources/language_file.h"
#include "resources/string_table.h"

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
        "20000=equals = inside\n",
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

}  // namespace
}  // namespace tessarin
