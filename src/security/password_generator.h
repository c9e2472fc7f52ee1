#pragma once

// The password generator: a random choice of characters from the selected sets, or a pronounceable
// word of FIPS PUB 181 syllables whose syllables are turned in turn into the selected sets; and
// the rules of the "Generate Password" dialog.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/random_source.h"
#include "base/secure_memory.h"
#include "security/syllable_generator.h"

namespace tessarin {

// The set and mode bits, stored as the preference "Password generator flags".
enum GeneratorBits : uint16_t {
    kSetLower = 0x01,     // a-z
    kSetCapitals = 0x02,  // A-Z
    kSetDigits = 0x04,    // 0-9
    kSetSymbols = 0x08,   // the 32 symbols of kSymbolSet
    kSetAccented = 0x10,  // the 31 accented letters of kAccentedSet
    kAllSets = 0x1F,
    kPronounceable = 0x20,
};

inline constexpr std::string_view kSymbolSet = "`~!@#$%^&*()-_=+[{]}\\|'\";:,<.>/?";
// Windows-1252 0xE0 to 0xFF without the division sign 0xF7.
inline constexpr std::string_view kAccentedSet =
    "\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
    "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF";

// The units and syllables of a pronounceable password, for tests.
struct CWordTrace {
    std::vector<uint8_t> units;
    std::vector<size_t> syllableLengths;
};

class CPasswordGenerator {
public:
    // Draws from `random`: the system's cryptographic source in the program (CCoreContext), a
    // seeded Mersenne Twister where a test needs the same passwords again.
    explicit CPasswordGenerator(IRandomWords& random) : m_random(random), m_syllables(random) {}

    // Writes a zero-terminated password of `length` characters (the pronounceable method: at most
    // 30) into `out`, which holds at least `length` + 1 bytes, and returns its length. With none of
    // the five sets in `bits` it writes an empty text and returns 0.
    size_t GeneratePassword(size_t length, uint16_t bits, char* out);
    CSecret Generate(size_t length, uint16_t bits);

    // The pronounceable method alone (the sets must not be empty), telling `trace` what it built.
    size_t GeneratePronounceable(size_t length, uint16_t bits, char* out,
                                 CWordTrace* trace = nullptr);

private:
    size_t GenerateRandom(size_t length, uint16_t bits, char* out);
    // Turns a syllable into the set the pointer moves on to.
    void Style(char* text, size_t length, int& setPointer, uint16_t bits);

    IRandomWords& m_random;
    CSyllableGenerator m_syllables;
};

// The "Generate Password" dialog's length field: from 4 to 20.
inline constexpr int kMinDialogLength = 4;
inline constexpr int kMaxDialogLength = 20;

// The length the dialog opens with for a field of `fieldLength` characters: that length, raised
// to 8 when below 4 and lowered to 20 when above 20.
int InitialDialogLength(size_t fieldLength);

// A whole decimal integer from `low` to `high`, blanks around it allowed; none otherwise (the
// framework's message str::kParseIntRange with the two bounds).
std::optional<int> ParseIntInRange(std::string_view text, int low, int high);

// What "Generate" does with the length field's text and the ticked sets: 0 when it generates, else
// the message: str::kParseIntRange (with 4 and 20) for the length, then str::kNoCharacterSet.
int CheckGenerate(std::string_view lengthText, uint16_t bits);

}  // namespace tessarin
