#include "security/syllable_generator.h"

#include <algorithm>
#include <cstring>

#include "security/syllable_tables.h"

namespace tessarin {

using namespace fips181;

namespace {

bool IsVowel(uint8_t unit) {
    return kUnits[unit].flags & kVowel;
}

bool Has(uint8_t unit, uint8_t flag) {
    return kUnits[unit].flags & flag;
}

int Letters(uint8_t unit) {
    return static_cast<int>(kUnits[unit].letters.size());
}

// Within one syllable: a vowel after a non-vowel once a vowel was counted (unless it is the final
// silent "e"), three non-vowels, or three vowels (unless the first is the syllable's initial "y").
bool IllegalPlacement(const uint8_t* units, size_t lastIndex) {
    int vowels = 0;
    for (size_t i = 0; i <= lastIndex; ++i) {
        if (i >= 1) {
            const bool split = !IsVowel(units[i - 1]) && IsVowel(units[i]) &&
                               !(Has(units[i], kNoFinalSplit) && i == lastIndex) && vowels != 0;
            const bool three =
                i >= 2 &&
                ((!IsVowel(units[i - 2]) && !IsVowel(units[i - 1]) && !IsVowel(units[i])) ||
                 (IsVowel(units[i - 2]) && !(Has(units[0], kAlternateVowel) && i == 2) &&
                  IsVowel(units[i - 1]) && IsVowel(units[i])));
            if (split || three)
                return true;
        }
        // An initial "y" of a syllable of more than one unit counts as a consonant.
        if (IsVowel(units[i]) && !(i == 0 && Has(units[0], kAlternateVowel) && lastIndex != 0))
            ++vowels;
    }
    return false;
}

}  // namespace

void CSyllableGenerator::Next(size_t wanted, CSyllable& s) {
    wanted = std::min(wanted, kMaxPronounceableLength);
    if (wanted == 0) {  // nothing fits: an empty syllable
        s = CSyllable();
        return;
    }
    // The saved units are used again when a syllable is thrown away and started anew.
    const int held = m_savedCount;
    const unsigned maxTries = 4 * static_cast<unsigned>(wanted) + kUnitCount;
    bool broken;
    do {
        m_savedCount = held;
        unsigned tries = 0;
        s.length = 0;
        int vowels = 0;
        int index = 0;
        int left = static_cast<int>(wanted);
        bool wantAnother = true;
        uint8_t unit = 0;
        uint8_t last = 0;
        do {
            // A digram that wants a vowel to follow sets this, but only once its unit is
            // accepted, and the next position starts without it: as in the standard's own code,
            // the vowel table is never drawn from.
            bool wantVowel = false;
            do {
                if (m_savedCount != 0) {
                    // The units saved by the last syllable start this one: pair[1] (when two
                    // were saved) unchecked as unit 0, then pair[0] as a candidate.
                    if (m_savedCount == 2) {
                        s.units[0] = m_savedPair[1];
                        if (IsVowel(m_savedPair[1]))
                            ++vowels;
                        ++index;
                        const std::string_view letters = kUnits[m_savedPair[1]].letters;
                        std::memcpy(s.text.data(), letters.data(), letters.size());
                        s.length = letters.size();
                        left -= Letters(m_savedPair[1]);
                    }
                    unit = m_savedPair[0];
                    m_savedCount = 0;
                } else if (wantVowel) {
                    unit = kVowelUnits[m_random.Random(kVowelTableSize)];
                } else {
                    unit = kUnitFrequency[m_random.Random(kFrequencySize)];
                }
                left -= Letters(unit);
                broken = left < 0;

                if (index == 0) {
                    if (Has(unit, kNotBeginSyllable))
                        broken = true;
                    else if (left == 0) {
                        // A one-unit syllable ends the word: it must be a vowel.
                        if (IsVowel(unit))
                            wantAnother = false;
                        else
                            broken = true;
                    }
                } else {
                    const uint8_t d = kDigram[s.units[index - 1]][unit];
                    if ((d & kIllegalPair) || ((d & kBreak) && vowels == 0) ||
                        ((d & kEnd) && vowels == 0 && !IsVowel(unit)))
                        broken = true;
                    if (index == 1) {
                        if (d & kNotBegin)
                            broken = true;
                    } else {
                        last = s.units[index - 1];
                        const uint8_t before = s.units[index - 2];
                        if ((index == 2 && (d & kBegin) && Has(s.units[0], kAlternateVowel)) ||
                            ((d & kNotEnd) && left == 0) ||
                            ((d & kBreak) && (kDigram[before][last] & kNotEnd)) ||
                            ((d & kPrefix) && !IsVowel(before)))
                            broken = true;
                        if (!broken && IsVowel(unit) && (left > 0 || !Has(last, kNoFinalSplit))) {
                            if (vowels > 1 && IsVowel(last)) {
                                broken = true;  // a third vowel in a row
                            } else if (vowels != 0 && !IsVowel(last)) {
                                // Vowel, consonants, vowel: the new vowel starts the next
                                // syllable, when this one may end where it stands.
                                if (kDigram[before][last] & kNotEnd) {
                                    broken = true;
                                } else {
                                    m_savedCount = 1;
                                    m_savedPair[0] = unit;
                                    wantAnother = false;
                                }
                            }
                        }
                    }
                    if (!broken && wantAnother) {
                        if ((d & kEnd) || left == 0) {
                            wantAnother = false;
                        } else if (vowels != 0 && left > 0) {
                            if ((d & kBegin) && index > 1 && !(vowels == 1 && IsVowel(last))) {
                                // The pair begins the next syllable.
                                m_savedCount = 2;
                                m_savedPair[0] = unit;
                                m_savedPair[1] = last;
                                wantAnother = false;
                            } else if (d & kBreak) {
                                m_savedCount = 1;
                                m_savedPair[0] = unit;
                                wantAnother = false;
                            }
                        } else if (d & kSuffix) {
                            wantVowel = true;
                        }
                    }
                }
                ++tries;
                if (broken)
                    left += Letters(unit);
            } while (broken && tries <= maxTries);

            if (tries <= maxTries) {
                if (IsVowel(unit) && (index > 0 || !Has(unit, kAlternateVowel)))
                    ++vowels;
                switch (m_savedCount) {
                    case 0: {
                        s.units[index] = unit;
                        const std::string_view letters = kUnits[unit].letters;
                        std::memcpy(s.text.data() + s.length, letters.data(), letters.size());
                        s.length += letters.size();
                        break;
                    }
                    case 1:  // the unit waits for the next syllable
                        --index;
                        break;
                    case 2:  // so do the unit and the one before it
                        s.length -= kUnits[last].letters.size();
                        left += Letters(last);
                        index -= 2;
                        break;
                }
            } else {
                broken = true;
            }
            s.lastIndex = static_cast<size_t>(index);
            ++index;
        } while (tries <= maxTries && wantAnother);
    } while (broken || IllegalPlacement(s.units.data(), s.lastIndex));
    s.text[s.length] = '\0';
}

bool HaveInitialY(const uint8_t* units, size_t lastIndex) {
    int vowels = 0;
    int normalVowels = 0;
    for (size_t i = 0; i <= lastIndex; ++i) {
        if (IsVowel(units[i])) {
            ++vowels;
            if (!Has(units[i], kAlternateVowel) || i != 0)
                ++normalVowels;
        }
    }
    return vowels <= 1 && normalVowels == 0;
}

bool HaveFinalSplit(const uint8_t* units, size_t lastIndex) {
    int vowels = 0;
    for (size_t i = 0; i <= lastIndex; ++i)
        if (IsVowel(units[i]))
            ++vowels;
    return vowels == 1 && Has(units[lastIndex], kNoFinalSplit);
}

bool ImproperWord(const uint8_t* units, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (i != 0 && (kDigram[units[i - 1]][units[i]] & kIllegalPair))
            return true;
        if (i >= 2) {
            const bool vowels = IsVowel(units[i - 2]) && !Has(units[i - 2], kAlternateVowel) &&
                                IsVowel(units[i - 1]) && IsVowel(units[i]);
            const bool consonants =
                !IsVowel(units[i - 2]) && !IsVowel(units[i - 1]) && !IsVowel(units[i]);
            if (vowels || consonants)
                return true;
        }
    }
    return false;
}

}  // namespace tessarin
