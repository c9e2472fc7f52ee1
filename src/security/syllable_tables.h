#pragma once

// The tables of FIPS PUB 181 (Automated Password Generator): the 34 units of one or two letters
// with their flags, the frequency table units are drawn from, the vowel table, and the digram
// flags of every pair of units.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessarin::fips181 {

inline constexpr size_t kUnitCount = 34;
inline constexpr size_t kFrequencySize = 210;
inline constexpr size_t kVowelTableSize = 12;

// Flags of a unit.
enum : uint8_t {
    kAlternateVowel = 0x01,  // "y": a vowel, but a consonant at the start of a syllable
    kVowel = 0x02,
    kNoFinalSplit = 0x04,      // "e": may end a word silently
    kNotBeginSyllable = 0x08,  // "x", "ck"
};

// Flags of a digram (a pair of units).
enum : uint8_t {
    kNotEnd = 0x01,
    kEnd = 0x02,
    kSuffix = 0x04,
    kIllegalPair = 0x08,
    kPrefix = 0x10,
    kBreak = 0x20,
    kNotBegin = 0x40,
    kBegin = 0x80,
};

struct CUnit {
    std::string_view letters;
    uint8_t flags;
};

// Units 0-24 are the letters a to z without q; 25-33 are ch, gh, ph, rh, sh, th, wh, qu, ck.
extern const std::array<CUnit, kUnitCount> kUnits;
// Unit numbers in ascending order, each as often as it is drawn.
extern const std::array<uint8_t, kFrequencySize> kUnitFrequency;
extern const std::array<uint8_t, kVowelTableSize> kVowelUnits;
extern const std::array<std::array<uint8_t, kUnitCount>, kUnitCount> kDigram;

}  // namespace tessarin::fips181
