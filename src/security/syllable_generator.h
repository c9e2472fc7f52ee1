#pragma once

// The syllable generator of FIPS PUB 181 and the checks it and the word builder make. A syllable
// may end by handing its last one or two units on to the next syllable; those saved units are
// state kept between calls, also from one password to the next, in this object.
#include <array>
#include <cstddef>
#include <cstdint>

#include "base/random_source.h"

namespace tessarin {

// The pronounceable method's longest word; no syllable is longer.
inline constexpr size_t kMaxPronounceableLength = 30;

struct CSyllable {
    std::array<char, kMaxPronounceableLength + 1> text{};  // lower-case letters, zero-terminated
    size_t length = 0;                                     // characters
    std::array<uint8_t, kMaxPronounceableLength> units{};  // unit numbers, 0 to lastIndex
    size_t lastIndex = 0;
};

class CSyllableGenerator {
public:
    explicit CSyllableGenerator(IRandomWords& random) : m_random(random) {}

    // A syllable of at most `wanted` characters (1 to kMaxPronounceableLength); empty when 0.
    void Next(size_t wanted, CSyllable& syllable);

private:
    IRandomWords& m_random;
    // Units the last syllable handed on: how many (0, 1 or 2), and which (pair[1] comes first).
    int m_savedCount = 0;
    std::array<uint8_t, 2> m_savedPair{};
};

// The checks on a syllable's own units (0 to lastIndex) that the word builder makes:
// a first syllable whose only vowel is a "y" at its start,
bool HaveInitialY(const uint8_t* units, size_t lastIndex);
// a last syllable whose only vowel is its final silent "e".
bool HaveFinalSplit(const uint8_t* units, size_t lastIndex);
// The check on a whole word's units: an illegal pair of neighbours, three vowels in a row whose
// first is not a "y", or three non-vowels in a row.
bool ImproperWord(const uint8_t* units, size_t count);

}  // namespace tessarin
