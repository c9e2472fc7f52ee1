// generate: lengths, sets, methods and the stored choice of sets.
#include <gtest/gtest.h>

#include <sstream>

#include "base/codepage.h"
#include "cli/cli_fixture.h"
#include "platform/settings_store.h"
#include "security/password_generator.h"

namespace tessarin::cli {
namespace {

// The lines printed, each converted back to Windows-1252.
std::vector<std::string> Lines(const std::string& utf8) {
    std::vector<std::string> lines;
    std::istringstream in(utf8);
    for (std::string line; std::getline(in, line);) {
        std::string text;
        EXPECT_TRUE(Utf8ToCp1252(line, text)) << line;
        lines.push_back(text);
    }
    return lines;
}

bool AllIn(const std::string& text, std::string_view alphabet) {
    return text.find_first_not_of(alphabet) == std::string::npos;
}

const std::string kLower = "abcdefghijklmnopqrstuvwxyz";
const std::string kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
const std::string kDigits = "0123456789";

class Generate : public Cli {};

TEST_F(Generate, MakesPasswordsOfTheGivenLengthAndCount) {
    CRun one = Run({"generate"});
    ASSERT_EQ(one.code, 0) << one.err;
    EXPECT_EQ(one.err, "");
    ASSERT_EQ(Lines(one.out).size(), 1u);
    EXPECT_EQ(Lines(one.out)[0].size(), 8u);  // as the dialog opens for an empty field

    CRun many = Run({"generate", "--length", "20", "--count=5"});
    ASSERT_EQ(many.code, 0) << many.err;
    const auto lines = Lines(many.out);
    ASSERT_EQ(lines.size(), 5u);
    for (const std::string& line : lines)
        EXPECT_EQ(line.size(), 20u);
    EXPECT_NE(lines[0], lines[1]);

    // A database is not needed, and one named is not touched.
    EXPECT_EQ(Run(With({"generate"})).code, 0);
    EXPECT_FALSE(std::filesystem::exists(db));
}

TEST_F(Generate, TakesTheNamedSets) {
    const struct {
        const char* sets;
        std::string alphabet;
    } cases[] = {
        {"0", kDigits},
        {"a", kLower},
        {"aA", kLower + kUpper},
        {"A0A", kUpper + kDigits},
        {"!", std::string(kSymbolSet)},
        {"\xC3\xA4", std::string(kAccentedSet)},  // "ä" as the terminal sends it
    };
    for (const auto& c : cases) {
        for (const char* method : {"", "--pronounceable"}) {
            std::vector<std::string> args{"generate", "--sets", c.sets, "--count", "20"};
            if (*method)
                args.push_back(method);
            CRun run = Run(args);
            ASSERT_EQ(run.code, 0) << c.sets << " " << run.err;
            for (const std::string& line : Lines(run.out)) {
                EXPECT_EQ(line.size(), 8u);
                EXPECT_TRUE(AllIn(line, c.alphabet)) << c.sets << " " << method << ": " << line;
            }
        }
    }
    // Accented letters reach the terminal as UTF-8: two bytes each.
    CRun accented = Run({"generate", "--sets", "\xC3\xA4", "--length", "4"});
    EXPECT_EQ(accented.out.size(), 9u);
    EXPECT_EQ(static_cast<uint8_t>(accented.out[0]), 0xC3);
}

TEST_F(Generate, PronounceableSyllablesAlternateLowerCaseAndCapitalsFromLowerCase) {
    CRun run = Run({"generate", "--sets", "Aa", "--pronounceable", "--count", "30"});
    ASSERT_EQ(run.code, 0) << run.err;
    for (const std::string& line : Lines(run.out)) {
        EXPECT_TRUE(AllIn(line, kLower + kUpper)) << line;
        EXPECT_NE(kLower.find(line[0]), std::string::npos) << line;
        // A syllable has a vowel, so no case run is the whole word.
        EXPECT_NE(line.find_first_of(kUpper), std::string::npos) << line;
    }
}

TEST_F(Generate, WithoutSetsItTakesThoseLastChosenInTheProgram) {
    {
        // The program's user "Alice" last chose digits and the pronounceable method; there is
        // no platform manager, so the platform name is empty.
        CSettingsStore store;
        store.WriteText("Preferences", "Current User", "Alice");
        store.WriteNumber(" - Alice", "Password generator flags", kSetDigits | kPronounceable);
        store.WriteNumber(" - Bob", "Password generator flags", kSetLower);
    }
    CRun run = Run({"generate", "--count", "10", "--length", "12"});
    ASSERT_EQ(run.code, 0) << run.err;
    for (const std::string& line : Lines(run.out))
        EXPECT_TRUE(AllIn(line, kDigits)) << line;

    // A stored choice without any set is refused as the dialog refuses it.
    CSettingsStore().WriteNumber(" - Alice", "Password generator flags", kPronounceable);
    CRun none = Run({"generate"});
    EXPECT_EQ(none.code, 2);
    EXPECT_EQ(none.err, "You need to include at least one character set.\n");
    EXPECT_EQ(Run({"generate", "--sets", "a"}).code, 0);
}

TEST_F(Generate, RefusesWhatTheDialogRefuses) {
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"--length", "3"}, "Please enter an integer between 4 and 20.\n"},
        {{"--length", "21"}, "Please enter an integer between 4 and 20.\n"},
        {{"--length", "ten"}, "Please enter an integer between 4 and 20.\n"},
        {{"--length="}, "Please enter an integer between 4 and 20.\n"},
        {{"--count", "0"}, "Please enter an integer between 1 and 1000000.\n"},
        {{"--sets", ""}, "You need to include at least one character set.\n"},
        {{"--sets", "ab"}, "Unknown character set: b. Choose any of: a A 0 ! \xC3\xA4.\n"},
        {{"--sets", "\xE2\x82\xAC"},
         "Unknown character set: \xE2\x82\xAC. Choose any of: a A 0 ! \xC3\xA4.\n"},
        {{"--sets", "\xE6\x97\xA5"},
         "The text holds a character that Windows-1252 cannot hold: --sets\n"},
        {{"--length"}, "The option --length needs a value.\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"generate"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CRun run = Run(args);
        EXPECT_EQ(run.code, 2) << c.err;
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
    CRun help = Run({"generate", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--pronounceable"), std::string::npos);
}

}  // namespace
}  // namespace tessarin::cli
