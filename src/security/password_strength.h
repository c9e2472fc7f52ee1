#pragma once

// How hard a password is to guess, as bits of entropy: for a generated password from the sets and
// the method that made it, for a typed one from its character classes and its length.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessarin {

enum class Strength : uint8_t { VeryWeak, Weak, Reasonable, Strong, VeryStrong };

// The word for a number of bits: below 28 very weak, below 36 weak, below 60 reasonable, below
// 128 strong, else very strong.
Strength StrengthOf(double bits);

// A password the generator makes with `length` and `bits` (GeneratorBits). The random method
// draws each character uniformly from the union of the sets. The pronounceable method strings
// units of the syllable tables together: each letter syllable carries the entropy rate of the
// unit chain its digram rules allow, and a syllable turned into digits, symbols or accented
// letters carries that set's choice per character instead; capitals add nothing. 0 without a set.
double GeneratedEntropy(size_t length, uint16_t bits);

// A typed password (Windows-1252 bytes): its length times the bits of the pool its character
// classes span (a-z, A-Z, 0-9, the ASCII symbols and the space, the bytes above 127); a character
// that repeats the one before it counts one bit.
double TypedEntropy(std::string_view password);

// The entropy rate of the pronounceable method's letters, in bits per character (exposed for
// tests).
double PronounceableBitsPerCharacter();

}  // namespace tessarin
