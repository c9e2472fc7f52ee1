// The desktop program's shell.
#include <gtest/gtest.h>

#include "resources/string_ids.h"
#include "resources/string_table.h"
#include "ui/ui_text.h"

namespace tessarin {
namespace {

TEST(UiText, ConvertsWindows1252AndPutsInArguments) {
    CStringTable strings;
    strings.Replace(90000, "Caf\xe9 %s \x80");
    EXPECT_EQ(UiText(strings, 90000, {"\xe0"}), QString::fromUtf8("Café à €"));
    EXPECT_EQ(UiText(strings, str::kProgramName), QStringLiteral("Tessarin Password Manager"));
}

}  // namespace
}  // namespace tessarin
