// Entropy estimates of generated and typed passwords.
#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace tessarin
