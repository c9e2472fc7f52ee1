#include "security/password_generator.h"

#include <algorithm>
#include <array>

#include "resources/string_ids.h"

namespace tessarin {

namespace {

// The set bit of every byte value, 0 for bytes in no set (the zero byte among them).
constexpr std::array<uint8_t, 256> MakeByteSets() {
    std::array<uint8_t, 256> sets{};
    for (int c = 'a'; c <= 'z'; ++c)
        sets[c] = kSetLower;
    for (int c = 'A'; c <= 'Z'; ++c)
        sets[c] = kSetCapitals;
    for (int c = '0'; c <= '9'; ++c)
        sets[c] = kSetDigits;
    for (char c : kSymbolSet)
        sets[static_cast<uint8_t>(c)] = kSetSymbols;
    for (char c : kAccentedSet)
        sets[static_cast<uint8_t>(c)] = kSetAccented;
    return sets;
}
constexpr std::array<uint8_t, 256> kByteSets = MakeByteSets();

static_assert(kSymbolSet.size() == 32 && kAccentedSet.size() == 31);

// The word builder's pointer into the sets: 0-4 a set bit, 5 the start.
constexpr int kSetPointerStart = 5;

}  // namespace

size_t CPasswordGenerator::GeneratePassword(size_t length, uint16_t bits, char* out) {
    if ((bits & kAllSets) == 0) {
        out[0] = '\0';
        return 0;
    }
    if (bits & kPronounceable)
        return GeneratePronounceable(length, bits, out);
    return GenerateRandom(length, bits, out);
}

CSecret CPasswordGenerator::Generate(size_t length, uint16_t bits) {
    // A password of the usual length is made on the stack, which saves locking a second
    // allocation (most of the cost of a password); a longer one in locked memory. Both are wiped.
    constexpr size_t kOnStack = 64;
    if (length < kOnStack) {
        char buffer[kOnStack];
        const size_t made = GeneratePassword(length, bits, buffer);
        CSecret password(std::string_view(buffer, made));
        WipeMemory(buffer, sizeof buffer);
        return password;
    }
    std::vector<char, CWipingAllocator<char>> buffer(length + 1);
    const size_t made = GeneratePassword(length, bits, buffer.data());
    return CSecret(std::string_view(buffer.data(), made));
}

size_t CPasswordGenerator::GenerateRandom(size_t length, uint16_t bits, char* out) {
    // A byte is kept when it belongs to a selected set and thrown away otherwise. The low byte of
    // a draw is uniform over 0-255, so each kept character is uniform over the selected sets.
    size_t made = 0;
    while (made < length) {
        const uint8_t byte = static_cast<uint8_t>(m_random.RandomWord());
        if (kByteSets[byte] & bits)
            out[made++] = static_cast<char>(byte);
    }
    out[made] = '\0';
    return made;
}

void CPasswordGenerator::Style(char* text, size_t length, int& setPointer, uint16_t bits) {
    do
        setPointer = setPointer == kSetPointerStart ? 0 : setPointer + 1;
    while (setPointer == kSetPointerStart || !(bits & (1u << setPointer)));
    for (size_t i = 0; i < length; ++i) {
        char& c = text[i];
        switch (1u << setPointer) {
            case kSetLower:
                break;
            case kSetCapitals:
                c = static_cast<char>(c - 32);
                break;
            case kSetDigits:
                c = static_cast<char>('0' + m_random.Random(10));
                break;
            case kSetSymbols:
                c = kSymbolSet[m_random.Random(static_cast<uint32_t>(kSymbolSet.size()))];
                break;
            case kSetAccented:
                c = kAccentedSet[m_random.Random(static_cast<uint32_t>(kAccentedSet.size()))];
                break;
        }
    }
}

size_t CPasswordGenerator::GeneratePronounceable(size_t length, uint16_t bits, char* out,
                                                 CWordTrace* trace) {
    length = std::min(length, kMaxPronounceableLength);
    out[0] = '\0';
    if (length == 0 || (bits & kAllSets) == 0)
        return 0;
    const unsigned maxTries = 4 * static_cast<unsigned>(length) + 34;
    std::array<uint8_t, kMaxPronounceableLength> units{};
    CSyllable syllable;
    int setPointer = kSetPointerStart;
    size_t wordLength = 0;  // characters
    size_t wordSize = 0;    // units
    unsigned tries = 0;
    if (trace)
        *trace = {};
    while (wordLength < length) {
        m_syllables.Next(length - wordLength, syllable);
        const size_t count = syllable.lastIndex + 1;
        std::copy_n(syllable.units.begin(), count, units.begin() + wordSize);
        const bool rejected =
            ImproperWord(units.data(), wordSize + count) ||
            (wordLength == 0 && HaveInitialY(syllable.units.data(), syllable.lastIndex)) ||
            (wordLength + syllable.length == length &&
             HaveFinalSplit(syllable.units.data(), syllable.lastIndex));
        if (!rejected) {
            // The tests above looked at the letters; styling keeps the length.
            Style(syllable.text.data(), syllable.length, setPointer, bits);
            std::copy_n(syllable.text.begin(), syllable.length, out + wordLength);
            wordLength += syllable.length;
            wordSize += count;
            if (trace)
                trace->syllableLengths.push_back(syllable.length);
        }
        if (++tries > maxTries) {
            // Start the word over, styles included, so that its first syllable again takes the
            // lowest selected set.
            wordLength = wordSize = 0;
            tries = 0;
            setPointer = kSetPointerStart;
            if (trace)
                trace->syllableLengths.clear();
        }
    }
    out[wordLength] = '\0';
    if (trace)
        trace->units.assign(units.begin(), units.begin() + wordSize);
    WipeMemory(syllable.text.data(), syllable.text.size());
    return wordLength;
}

int InitialDialogLength(size_t fieldLength) {
    if (fieldLength < static_cast<size_t>(kMinDialogLength))
        return 8;
    return static_cast<int>(std::min(fieldLength, static_cast<size_t>(kMaxDialogLength)));
}

std::optional<int> ParseIntInRange(std::string_view text, int low, int high) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = std::min<int64_t>(value * 10 + (c - '0'), int64_t(1) << 40);
    }
    if (negative)
        value = -value;
    if (value < low || value > high)
        return std::nullopt;
    return static_cast<int>(value);
}

int CheckGenerate(std::string_view lengthText, uint16_t bits) {
    if (!ParseIntInRange(lengthText, kMinDialogLength, kMaxDialogLength))
        return str::kParseIntRange;
    if ((bits & kAllSets) == 0)
        return str::kNoCharacterSet;
    return 0;
}

}  // namespace tessarin
