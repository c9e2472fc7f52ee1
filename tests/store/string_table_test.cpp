#include "resources/string_table.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/string_ids.h"
#include "resources/string_table_data.h"

namespace tessarin {
namespace {

TEST(StringTable, HoldsTheSystemsTextsByteForByte) {
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {
        {str::kUnfiled, "Unfiled"},
        {str::kFieldLabel1, "Field 1"},
        {str::kFieldLabel2, "Field 2"},
        {str::kFieldLabel3, "Field 3"},
        {str::kFieldLabel4, "Field 4"},
        {str::kFieldLabel5, "Field 5"},
        {str::kFieldLabel6, "Field 6"},
        {str::kTypeBankAccts, "Bank Accts"},
        {str::kCategoryPersonal, "Personal"},
        {str::kCategoryBusiness, "Business"},
        {str::kWrongPassword, "That is not the correct password."},
        {str::kPasswordConfirmMismatch, "Your new password doesn't match the confirm password."},
        {str::kOldPasswordIncorrect,
         "Your old password is incorrect. Passwords are case-sensitive."},
        {str::kPasswordTooWeak,
         "Passwords must be at least 2 characters and have at least two unique characters."},
        {str::kErrorSavingDatabase, "There was an error saving the Tessarin database. (%x)"},
        {str::kDatabaseVolumeUnavailable,
         "There was an error saving the Tessarin database. The volume the database is on is "
         "currently unavailable."},
        {str::kExportSucceeded, "The file export process was completed successfully."},
        {str::kErrorCreatingExportFile, "There was an error creating the export file."},
        {str::kErrorReadingImportFile, "There was an error reading the import file."},
        {str::kImportNotText, "%s doesn't recognize that type of file."},
        {str::kErrorOpeningClipboard, "There was an error opening the Windows clipboard."},
        {str::kImportWrongPassword, "That is not the correct password for this import file."},
        // Escapes in the quoted texts are real control characters; the space before the line
        // break in 160 is part of the text.
        {str::kSetSamePasswordOnHandheld,
         "You must set the same password in %s on the handheld \x0A"
         "in order to sync."},
        {str::kDeleteTypeConfirm,
         "Deleting a type will cause all entries with that type to be\x0A"
         "moved to the Unfiled type.\x0A\x0A"
         "Are you sure you want to do this?"},
        {str::kUnmaskMenuText,
         "Un&mask\x09"
         "Ctrl+M"},
        {str::kDocumentTemplate,
         "Tessarin Password Manager\x0A\x0A\x0A"
         "Tessarin Files (*.vex)\x0A.vex\x0A"
         "Tessarin.Document\x0A"
         "vEX"},
    };
    const CStringTable table;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_TRUE(table.Has(c.id));
        EXPECT_EQ(table.Get(c.id), c.text);
    }
}

TEST(StringTable, DataIsSortedWithoutDuplicatesOrLeftoverEscapes) {
    int previous = 0;
    for (const StringTableEntry& entry : BuiltInStrings()) {
        SCOPED_TRACE(entry.id);
        EXPECT_GT(entry.id, previous);
        previous = entry.id;
        EXPECT_FALSE(entry.text.empty());
        // A backslash left in a text means an escape was written twice over.
        EXPECT_EQ(entry.text.find('\\'), std::string_view::npos);
    }
}

TEST(StringTable, UnknownNumbersGiveEmptyTextAndReplacementsWin) {
    CStringTable table;
    EXPECT_FALSE(table.Has(601));
    EXPECT_EQ(table.Get(601), "");
    EXPECT_EQ(table.Get(-1), "");
    table.Replace(str::kUnfiled, "Sans cat\xE9gorie");
    EXPECT_EQ(table.Get(str::kUnfiled), "Sans cat\xE9gorie");
    EXPECT_EQ(table.Format(str::kErrorSavingDatabase, {"35"}),
              "There was an error saving the Tessarin database. (35)");
    EXPECT_EQ(table.Format(str::kPrintReportHeader, {"Tessarin Password Manager", "Ann"}),
              "Tessarin Password Manager Print Report for Ann");
    EXPECT_EQ(table.Format(str::kParseIntRange, {"4", "20"}),
              "Please enter an integer between 4 and 20.");
    EXPECT_EQ(table.Get(str::kNoCharacterSet), "You need to include at least one character set.");
}

TEST(FormatText, ReplacesDirectivesInTurn) {
    struct Case {
        const char* pattern;
        std::initializer_list<std::string_view> args;
        const char* expected;
    };
    const Case cases[] = {
        {"(%x)", {"1f"}, "(1f)"},
        {"%s and %s", {"a", "b"}, "a and b"},
        {"%s and %s", {"a"}, "a and "},
        {"%s", {}, ""},
        {"100%%", {}, "100%"},
        {"%%s", {"x"}, "%s"},
        {"%02d:%-5s|%X", {"07", "ab", "FF"}, "07:ab|FF"},
        {"%lu %ld %I64d %hhx %.3s", {"1", "2", "3", "4", "5"}, "1 2 3 4 5"},
        {"Copy %s...\tCtrl+%d", {"PIN", "3"}, "Copy PIN...\tCtrl+3"},
        // The framework's texts insert by position.
        {"between %1 and %2.", {"4", "20"}, "between 4 and 20."},
        {"%2 before %1", {"a", "b"}, "b before a"},
        {"%1 and %2", {"x"}, "x and "},
        // What is not a directive stays as written and takes no argument.
        {"50%", {"x"}, "50%"},
        {"%0! and %", {"x"}, "%0! and %"},
        {"%q%s", {"x"}, "%qx"},
        {"%s", {"a", "extra"}, "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(FormatText(c.pattern, c.args), c.expected);
    }
}

}  // namespace
}  // namespace tessarin
