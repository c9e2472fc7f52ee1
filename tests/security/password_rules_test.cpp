#include "security/password_rules.h"
#include "store/password_preferences.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "resources/string_ids.h"
#include "resources/string_table.h"
#include "store/preferences.h"

namespace tessarin {
namespace {

constexpr uint8_t X = CPasswordRequirements::kNoLimit;

// A 32-byte record: the six counts, ten reserved bytes, the forbidden text.
std::vector<uint8_t> Record(std::array<uint8_t, 6> counts, std::string_view forbidden = "") {
    std::vector<uint8_t> bytes(CPasswordRequirements::kBytes, 0);
    std::copy(counts.begin(), counts.end(), bytes.begin());
    for (size_t i = 6; i < 16; ++i)
        bytes[i] = 0xEE;  // reserved: ignored
    std::copy(forbidden.begin(), forbidden.end(), bytes.begin() + 16);
    return bytes;
}

CPasswordRequirements Requirements(std::array<uint8_t, 6> counts, std::string_view forbidden = "") {
    return CPasswordRequirements::FromBytes(Record(counts, forbidden).data());
}

TEST(PasswordRules, BasicRule) {
    const struct {
        const char* password;
        bool acceptable;
    } cases[] = {{"", true},     {"a", false},        {"aa", false},
                 {"ab", true},   {"aaaa", false},     {"aaab", true},
                 {"AaAa", true}, {"\xE9\xE9", false}, {"\xE9\xC9", true}};
    for (const auto& c : cases)
        EXPECT_EQ(IsAcceptable(CSecret(c.password)), c.acceptable) << c.password;
}

TEST(PasswordRules, RequirementsTest) {
    const struct {
        std::array<uint8_t, 6> counts;  // min, max, letters, digits, others, capitals
        const char* forbidden;
        const char* password;
        bool meets;
    } cases[] = {
        // Minimum length 8 and one digit.
        {{8, X, 0, 1, 0, 0}, "", "abcdefgh", false},
        {{8, X, 0, 1, 0, 0}, "", "abcdefg1", true},
        {{8, X, 0, 1, 0, 0}, "", "abcdef1", false},
        // 0xFF bounds are no bounds.
        {{X, X, 0, 0, 0, 0}, "", "", true},
        {{0, 4, 0, 0, 0, 0}, "", "abcd", true},
        {{0, 4, 0, 0, 0, 0}, "", "abcde", false},
        // Byte 3 = 0xFF: no digit at all.
        {{0, X, 0, X, 0, 0}, "", "password", true},
        {{0, X, 0, X, 0, 0}, "", "pass9word", false},
        // Letters count capitals and lower case together; 0xFF forbids lower case only.
        {{0, X, 3, 0, 0, 0}, "", "aB1", false},
        {{0, X, 3, 0, 0, 0}, "", "aBc", true},
        {{0, X, X, 0, 0, 0}, "", "ABC1", true},
        {{0, X, X, 0, 0, 0}, "", "ABc1", false},
        // Capitals: a minimum, even 0xFF.
        {{0, X, 0, 0, 0, 2}, "", "aBcD", true},
        {{0, X, 0, 0, 0, 2}, "", "aBcd", false},
        {{0, X, 0, 0, 0, X}, "", "ABCDEFGH", false},
        // Others: every byte that is not a letter or a digit, accented letters included.
        {{0, X, 0, 0, 2, 0}, "", "ab!\xE9", true},
        {{0, X, 0, 0, 2, 0}, "", "ab!c", false},
        {{0, X, 0, 0, X, 0}, "", "abc123", true},
        {{0, X, 0, 0, X, 0}, "", "abc 123", false},
        {{0, X, 0, 0, X, 0}, "", "caf\xE9", false},
        // The forbidden text: exact and case-sensitive.
        {{0, X, 0, 0, 0, 0}, "acme", "myacme99", false},
        {{0, X, 0, 0, 0, 0}, "acme", "myAcme99", true},
        {{0, X, 0, 0, 0, 0}, "acme", "acm", true},
        // Sixteen bytes without a terminating zero are all forbidden text.
        {{0, X, 0, 0, 0, 0}, "0123456789abcdef", "x0123456789abcdefx", false},
        {{0, X, 0, 0, 0, 0}, "0123456789abcdef", "0123456789abcde", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.password) + " / " + c.forbidden);
        EXPECT_EQ(MeetsRequirements(Requirements(c.counts, c.forbidden), CSecret(c.password)),
                  c.meets);
    }
    EXPECT_EQ(Requirements({0, X, 0, 0, 0, 0}, "0123456789abcdef").forbidden, "0123456789abcdef");
}

TEST(PasswordRules, RequirementsAreReadOnlyWithExactly32Bytes) {
    CMemoryPreferenceStore store;
    CPreferences preferences(store);
    EXPECT_FALSE(ReadRequirements(preferences));
    std::vector<uint8_t> record = Record({8, 20, 1, 2, 3, 4}, "abc");
    for (size_t size : {0u, 31u, 33u}) {
        std::vector<uint8_t> wrong = record;
        wrong.resize(size);
        store.WriteBytes("Preferences", "Password requirements", wrong);
        EXPECT_FALSE(ReadRequirements(preferences)) << size;
    }
    store.WriteText("Preferences", "Password requirements", std::string(32, 'x'));
    EXPECT_FALSE(ReadRequirements(preferences));
    store.WriteBytes("Preferences", "Password requirements", record);
    const auto read = ReadRequirements(preferences);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->minLength, 8);
    EXPECT_EQ(read->maxLength, 20);
    EXPECT_EQ(read->minLetters, 1);
    EXPECT_EQ(read->minDigits, 2);
    EXPECT_EQ(read->minOthers, 3);
    EXPECT_EQ(read->minCapitals, 4);
    EXPECT_EQ(read->forbidden, "abc");
    // A user section's value is not the administrator's.
    preferences.SetUserName("Alice");
    store.WriteBytes(preferences.SectionName(PrefSection::User), "Password requirements",
                     Record({1, X, 0, 0, 0, 0}));
    EXPECT_EQ(ReadRequirements(preferences)->minLength, 8);
}

TEST(PasswordRules, DialogsCheckInTheirOrder) {
    const auto requirements = std::optional(Requirements({8, X, 0, 1, 0, 0}));
    const std::optional<CPasswordRequirements> none;
    const auto message = CPasswordVerdict::Message;
    const CPasswordVerdict accepted;
    const CPasswordVerdict unmet = CPasswordVerdict::RequirementsError();
    enum Dialog { Change, First, Export };
    const struct {
        Dialog dialog;
        const char* fresh;
        const char* confirm;
        bool oldIsRight;
        bool withRequirements;
        CPasswordVerdict verdict;
    } cases[] = {
        // 173: mismatch before the old password, the old password before the rules.
        {Change, "new1", "new2", false, true, message(str::kPasswordConfirmMismatch)},
        {Change, "aa", "aa", false, true, message(str::kOldPasswordIncorrect)},
        {Change, "aa", "aa", true, true, message(str::kPasswordTooWeak)},
        {Change, "abcdefgh", "abcdefgh", true, true, unmet},
        {Change, "abcdefg1", "abcdefg1", true, true, accepted},
        {Change, "abcdefgh", "abcdefgh", true, false, accepted},
        // Removing the password: the basic rule allows it, requirements may not.
        {Change, "", "", true, false, accepted},
        {Change, "", "", true, true, unmet},
        // 176 and 215.
        {First, "ab", "ba", true, true, message(str::kPasswordConfirmMismatch)},
        {First, "a", "a", true, true, message(str::kPasswordTooWeak)},
        {First, "abcdefgh", "abcdefgh", true, true, unmet},
        {First, "abcdefg1", "abcdefg1", true, true, accepted},
        {First, "ab", "ab", true, false, accepted},
        // 184: the basic rule only.
        {Export, "ab", "ac", true, true, message(str::kPasswordConfirmMismatch)},
        {Export, "zz", "zz", true, true, message(str::kPasswordTooWeak)},
        {Export, "ab", "ab", true, true, accepted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fresh) + "/" + c.confirm);
        const CSecret fresh(c.fresh), confirm(c.confirm);
        const auto& rules = c.withRequirements ? requirements : none;
        CPasswordVerdict got;
        switch (c.dialog) {
            case Change:
                got = CheckChangePassword(fresh, confirm, c.oldIsRight, rules);
                break;
            case First:
                got = CheckFirstPassword(fresh, confirm, rules);
                break;
            case Export:
                got = CheckExportPassword(fresh, confirm);
                break;
        }
        EXPECT_EQ(got, c.verdict);
        EXPECT_EQ(got.Accepted(), c.verdict == accepted);
    }
}

TEST(PasswordRules, TheRequirementsErrorIsTheAdministratorsText) {
    CMemoryPreferenceStore store;
    CPreferences preferences(store);
    const CStringTable strings;
    const auto unmet = CPasswordVerdict::RequirementsError();
    EXPECT_EQ(VerdictText(unmet, strings, preferences), "");
    store.WriteText("Preferences", "Password requirements error", "Use 8 characters, 1 digit.");
    EXPECT_EQ(VerdictText(unmet, strings, preferences), "Use 8 characters, 1 digit.");
    EXPECT_EQ(VerdictText(CPasswordVerdict::Message(str::kPasswordTooWeak), strings, preferences),
              "Passwords must be at least 2 characters and have at least two unique characters.");
}

}  // namespace
}  // namespace tessarin
