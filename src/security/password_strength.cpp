#include "security/password_strength.h"

#include <zxcvbn.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "base/codepage.h"
#include "base/secure_memory.h"
#include "security/password_generator.h"
#include "security/syllable_tables.h"

namespace tessarin {

namespace {

using namespace fips181;

bool IsVowelUnit(size_t unit) {
    return (kUnits[unit].flags & kVowel) != 0;
}

// The letters' entropy rate under the rules that bind neighbouring units: the next unit is drawn
// by the frequency table among those whose digram with the last unit is legal and that do not make
// three vowels or three non-vowels in a row. The chain's states are (last unit, one or two of its
// class in a row); its stationary distribution weighs each state's entropy.
double ComputeLetterRate() {
    std::array<double, kUnitCount> weight{};
    for (uint8_t unit : kUnitFrequency)
        weight[unit] += 1;
    constexpr size_t kStates = kUnitCount * 2;
    // Allowed next states and their probabilities, per state.
    std::array<std::array<double, kStates>, kStates> next{};
    std::array<double, kStates> entropy{};
    for (size_t last = 0; last < kUnitCount; ++last) {
        for (size_t run = 0; run < 2; ++run) {
            const size_t state = last * 2 + run;
            double total = 0;
            for (size_t unit = 0; unit < kUnitCount; ++unit) {
                if (kDigram[last][unit] & kIllegalPair)
                    continue;
                const bool same = IsVowelUnit(unit) == IsVowelUnit(last);
                if (same && run == 1)
                    continue;
                const size_t to = unit * 2 + (same ? 1 : 0);
                next[state][to] += weight[unit];
                total += weight[unit];
            }
            if (total == 0)
                continue;
            for (double& p : next[state]) {
                p /= total;
                if (p > 0)
                    entropy[state] -= p * std::log2(p);
            }
        }
    }
    std::array<double, kStates> share{};
    share.fill(1.0 / kStates);
    for (int round = 0; round < 200; ++round) {
        std::array<double, kStates> moved{};
        for (size_t from = 0; from < kStates; ++from)
            for (size_t to = 0; to < kStates; ++to)
                moved[to] += share[from] * next[from][to];
        double sum = 0;
        for (double p : moved)
            sum += p;
        for (size_t s = 0; s < kStates; ++s)
            share[s] = sum > 0 ? moved[s] / sum : 0;
    }
    double bitsPerUnit = 0;
    double lettersPerUnit = 0;
    for (size_t s = 0; s < kStates; ++s) {
        bitsPerUnit += share[s] * entropy[s];
        lettersPerUnit += share[s] * static_cast<double>(kUnits[s / 2].letters.size());
    }
    return lettersPerUnit > 0 ? bitsPerUnit / lettersPerUnit : 0;
}

constexpr std::array<uint16_t, 5> kSetBits = {kSetLower, kSetCapitals, kSetDigits, kSetSymbols,
                                              kSetAccented};

double SetSize(uint16_t bit) {
    switch (bit) {
        case kSetLower:
        case kSetCapitals:
            return 26;
        case kSetDigits:
            return 10;
        case kSetSymbols:
            return static_cast<double>(kSymbolSet.size());
        default:
            return static_cast<double>(kAccentedSet.size());
    }
}

}  // namespace

Strength StrengthOf(double bits) {
    if (bits < 28)
        return Strength::VeryWeak;
    if (bits < 36)
        return Strength::Weak;
    if (bits < 60)
        return Strength::Reasonable;
    if (bits < 128)
        return Strength::Strong;
    return Strength::VeryStrong;
}

double PronounceableBitsPerCharacter() {
    static const double rate = ComputeLetterRate();
    return rate;
}

double GeneratedEntropy(size_t length, uint16_t bits) {
    double pool = 0;
    int sets = 0;
    double styled = 0;
    for (uint16_t bit : kSetBits) {
        if (!(bits & bit))
            continue;
        pool += SetSize(bit);
        ++sets;
        // Lower case and capitals keep the letters' own choice; the other sets replace each
        // letter by a uniform choice of their own.
        styled += bit == kSetLower || bit == kSetCapitals ? PronounceableBitsPerCharacter()
                                                          : std::log2(SetSize(bit));
    }
    if (sets == 0 || length == 0)
        return 0;
    const double uniform = static_cast<double>(length) * std::log2(pool);
    if (!(bits & kPronounceable))
        return uniform;
    // The syllables take the sets in turn, so each set styles about an equal share of the text.
    const double capped = static_cast<double>(std::min<size_t>(length, 30));
    return std::min(uniform, capped * styled / sets);
}

double TypedEntropy(std::string_view password) {
    bool lower = false, upper = false, digit = false, symbol = false, high = false;
    for (unsigned char c : password) {
        if (c >= 'a' && c <= 'z')
            lower = true;
        else if (c >= 'A' && c <= 'Z')
            upper = true;
        else if (c >= '0' && c <= '9')
            digit = true;
        else if (c < 0x80)
            symbol = true;
        else
            high = true;
    }
    const double pool = (lower ? 26 : 0) + (upper ? 26 : 0) + (digit ? 10 : 0) + (symbol ? 33 : 0) +
                        (high ? 128 : 0);
    if (pool == 0)
        return 0;
    const double perCharacter = std::log2(pool);
    double bits = 0;
    for (size_t i = 0; i < password.size(); ++i)
        bits += i > 0 && password[i] == password[i - 1] ? 1.0 : perCharacter;
    return bits;
}

double DictionaryEntropy(std::string_view password, std::span<const std::string> userWords) {
    // zxcvbn reads UTF-8 up to a zero byte; a password is never longer than a field.
    std::string text = Cp1252ToUtf8(password.substr(0, kDictionaryMaxLength));
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    std::vector<std::string> words;
    words.reserve(userWords.size());
    for (const std::string& word : userWords)
        if (!word.empty())
            words.push_back(Cp1252ToUtf8(word));
    std::vector<const char*> dictionary;
    for (const std::string& word : words)
        if (word.find('\0') == std::string::npos)
            dictionary.push_back(word.c_str());
    dictionary.push_back(nullptr);
    double bits = ZxcvbnMatch(text.c_str(), dictionary.data(), nullptr);
    WipeMemory(text.data(), text.size());
    for (std::string& word : words)
        WipeMemory(word.data(), word.size());
    // What lies past the part looked at is taken as brute force at the typed estimate's rate.
    if (password.size() > kDictionaryMaxLength)
        bits += TypedEntropy(password.substr(kDictionaryMaxLength));
    return bits;
}

bool IsWeakPassword(std::string_view password, std::span<const std::string> userWords) {
    return StrengthOf(DictionaryEntropy(password, userWords)) == Strength::VeryWeak;
}

}  // namespace tessarin
