#pragma once

// How hard a password is to guess, as bits of entropy: for a generated password from the sets and
// the method that made it, for a typed one from its character classes and its length, or from
// what a dictionary-aware guesser tries first.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
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

// A typed password (Windows-1252 bytes) as someone who guesses would see it: zxcvbn's estimate,
// which knows common passwords, words, names, keyboard walks, dates, sequences and repeats, and
// `userWords` (texts of the record that an attacker may know: its user name, its site). Only the
// first kDictionaryMaxLength characters are looked at; the rest count as brute force.
double DictionaryEntropy(std::string_view password, std::span<const std::string> userWords = {});
inline constexpr size_t kDictionaryMaxLength = 100;

// Whether a password is weak: below 28 bits by the dictionary estimate, what StrengthOf calls
// very weak. (At 36 bits one random password in seven of eight letters and digits would count as
// weak for a word or a pattern found in it by chance; at 28 one in a hundred, while the common
// passwords still do: docs/password-health.md.)
bool IsWeakPassword(std::string_view password, std::span<const std::string> userWords = {});

// The entropy rate of the pronounceable method's letters, in bits per character (exposed for
// tests).
double PronounceableBitsPerCharacter();

}  // namespace tessarin
