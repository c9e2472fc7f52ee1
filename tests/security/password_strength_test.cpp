// Entropy estimates of generated and typed passwords.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "security/password_generator.h"
#include "security/password_strength.h"

namespace tessarin {
namespace {

TEST(PasswordStrength, RandomMethodIsLengthTimesThePoolsBits) {
    EXPECT_NEAR(GeneratedEntropy(10, kSetDigits), 10 * std::log2(10.0), 1e-9);
    EXPECT_NEAR(GeneratedEntropy(8, kSetLower | kSetCapitals), 8 * std::log2(52.0), 1e-9);
    EXPECT_NEAR(GeneratedEntropy(20, kAllSets), 20 * std::log2(125.0), 1e-9);
    EXPECT_EQ(GeneratedEntropy(10, 0), 0);
    EXPECT_EQ(GeneratedEntropy(10, kPronounceable), 0);
}

TEST(PasswordStrength, PronounceableLettersCarryLessThanRandomLetters) {
    const double rate = PronounceableBitsPerCharacter();
    // The digram rules keep the letters well below a uniform choice of 26, but not near nothing.
    EXPECT_GT(rate, 2.0);
    EXPECT_LT(rate, std::log2(26.0));
    const double letters = GeneratedEntropy(12, kSetLower | kPronounceable);
    EXPECT_NEAR(letters, 12 * rate, 1e-9);
    EXPECT_LT(letters, GeneratedEntropy(12, kSetLower));
    // Capitals add no choice to a syllable; digits replace the letters by a choice of ten.
    EXPECT_NEAR(GeneratedEntropy(12, kSetLower | kSetCapitals | kPronounceable), letters, 1e-9);
    EXPECT_NEAR(GeneratedEntropy(12, kSetDigits | kPronounceable), 12 * std::log2(10.0), 1e-9);
    EXPECT_GT(GeneratedEntropy(12, kSetLower | kSetSymbols | kPronounceable), letters);
    // Past 30 characters the method makes no more.
    EXPECT_NEAR(GeneratedEntropy(40, kSetLower | kPronounceable), 30 * rate, 1e-9);
}

TEST(PasswordStrength, TypedPasswordsByClassesAndLength) {
    EXPECT_EQ(TypedEntropy(""), 0);
    EXPECT_NEAR(TypedEntropy("abcd"), 4 * std::log2(26.0), 1e-9);
    EXPECT_NEAR(TypedEntropy("aB3!"), 4 * std::log2(95.0), 1e-9);
    EXPECT_NEAR(TypedEntropy("aaaa"), std::log2(26.0) + 3, 1e-9);
    EXPECT_GT(TypedEntropy("caf\xE9"), TypedEntropy("cafe"));
}

TEST(PasswordStrength, Words) {
    EXPECT_EQ(StrengthOf(0), Strength::VeryWeak);
    EXPECT_EQ(StrengthOf(27.9), Strength::VeryWeak);
    EXPECT_EQ(StrengthOf(28), Strength::Weak);
    EXPECT_EQ(StrengthOf(36), Strength::Reasonable);
    EXPECT_EQ(StrengthOf(60), Strength::Strong);
    EXPECT_EQ(StrengthOf(128), Strength::VeryStrong);
}

// Common passwords (from published lists of leaked passwords) that the class-and-length estimate
// takes for reasonable or strong: the dictionary-aware one knows them.
TEST(PasswordStrength, TheDictionaryEstimateKnowsCommonPasswords) {
    const char* common[] = {"password",   "Password1!",   "P@ssw0rd",    "iloveyou2",
                            "qwertyuiop", "1q2w3e4r5t",   "Dragon2020",  "Sunshine1!",
                            "letmein123", "abc123abc123", "Michael1985", "trustno1"};
    for (const char* password : common) {
        EXPECT_TRUE(IsWeakPassword(password)) << password << ": " << DictionaryEntropy(password);
        EXPECT_LT(DictionaryEntropy(password), TypedEntropy(password)) << password;
    }
    EXPECT_GE(StrengthOf(TypedEntropy("Password1!")), Strength::Reasonable);

    // Random ones of the generator's default make are not weak; long passphrases are not either.
    for (const char* password : {"vX9#qLm2$Tz8", "k3!Vb9#Qz7$L", "Ry7^w2Pz!e4K", "q7$Lw!2zXv#9"})
        EXPECT_FALSE(IsWeakPassword(password)) << password << ": " << DictionaryEntropy(password);

    // What the record itself says (its site, its user) is among the first guesses.
    const std::vector<std::string> known = {"Northwind Traders", "annika.berg"};
    EXPECT_FALSE(IsWeakPassword("annika.berg77"));
    EXPECT_TRUE(IsWeakPassword("annika.berg77", known));

    // Windows-1252 bytes, zero bytes and very long values are taken as they are.
    EXPECT_GT(DictionaryEntropy("étéété-"), 0);
    EXPECT_GT(DictionaryEntropy(std::string("ab\0cd", 5)), 0);
    const std::string longest(kDictionaryMaxLength + 50, 'x');
    EXPECT_GT(DictionaryEntropy(longest),
              DictionaryEntropy(longest.substr(0, kDictionaryMaxLength)));
    EXPECT_EQ(DictionaryEntropy(""), 0);
}

}  // namespace
}  // namespace tessarin
