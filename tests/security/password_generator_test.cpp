#include "security/password_generator.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "resources/string_ids.h"
#include "security/syllable_tables.h"
#include "store/core_context.h"

namespace tessarin {
namespace {

using namespace fips181;

// The characters of each set, in bit order.
const std::string kSetCharacters[5] = {
    "abcdefghijklmnopqrstuvwxyz", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "0123456789",
    std::string(kSymbolSet),      std::string(kAccentedSet),
};

// The set bit a character belongs to, 0 for none.
uint16_t SetOf(char c) {
    for (int set = 0; set < 5; ++set)
        if (kSetCharacters[set].find(c) != std::string::npos)
            return static_cast<uint16_t>(1u << set);
    return 0;
}

std::string Union(uint16_t bits) {
    std::string all;
    for (int set = 0; set < 5; ++set)
        if (bits & (1u << set))
            all += kSetCharacters[set];
    return all;
}

// Pearson's statistic of the counts against a uniform spread over `alphabet`.
double ChiSquare(const std::map<char, size_t>& counts, const std::string& alphabet, size_t total) {
    const double expected = double(total) / double(alphabet.size());
    double sum = 0;
    for (char c : alphabet) {
        const auto found = counts.find(c);
        const double observed = found == counts.end() ? 0 : double(found->second);
        sum += (observed - expected) * (observed - expected) / expected;
    }
    return sum;
}

// The chi-square value that a uniform source exceeds with probability 0.001 (Wilson-Hilferty).
double Critical(size_t degrees) {
    const double k = double(degrees);
    const double z = 3.0902;
    const double a = 2.0 / (9.0 * k);
    return k * std::pow(1.0 - a + z * std::sqrt(a), 3.0);
}

std::string Generate(CPasswordGenerator& generator, size_t length, uint16_t bits) {
    return std::string(generator.Generate(length, bits).View());
}

TEST(RandomSource, IsThePublishedMersenneTwister) {
    CRandomSource random(5489);
    EXPECT_EQ(random.RandomWord(), 3499211612u);
    random.SeedRandom(5489);
    for (int i = 1; i < 10000; ++i)
        random.RandomWord();
    EXPECT_EQ(random.RandomWord(), 4123659995u);  // the published 10,000th draw
    random.SeedRandom(1);
    EXPECT_EQ(random.RandomWord(), 1791095845u);
}

TEST(RandomSource, RandomThrowsAwayTheDrawsThatWouldFavourSmallResults) {
    // 2^32 mod 10 is 6: draws 0 to 5 would make 0-5 more likely than 6-9.
    std::vector<uint32_t> draws{0, 5, 6, 17, 0xFFFFFFFF};
    size_t at = 0;
    auto next = [&] { return draws[at++]; };
    EXPECT_EQ(UniformBelow(10, next), 6u);
    EXPECT_EQ(at, 3u);
    EXPECT_EQ(UniformBelow(10, next), 7u);
    EXPECT_EQ(UniformBelow(10, next), 5u);
    // Powers of two throw nothing away.
    draws = {0, 33};
    at = 0;
    EXPECT_EQ(UniformBelow(32, next), 0u);
    EXPECT_EQ(UniformBelow(1, next), 0u);

    // Otherwise it is the plain modulo of the same draws.
    CRandomSource a(77), b(77);
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(a.Random(210), b.RandomWord() % 210);
}

TEST(SyllableTables, AreThoseOfTheStandard) {
    EXPECT_EQ(kUnits[0].letters, "a");
    EXPECT_EQ(kUnits[16].letters, "r");  // no q
    EXPECT_EQ(kUnits[25].letters, "ch");
    EXPECT_EQ(kUnits[33].letters, "ck");
    EXPECT_EQ(kUnits[4].flags, kVowel | kNoFinalSplit);
    EXPECT_EQ(kUnits[23].flags, kVowel | kAlternateVowel);
    EXPECT_EQ(kUnits[22].flags, kNotBeginSyllable);
    EXPECT_TRUE(std::is_sorted(kUnitFrequency.begin(), kUnitFrequency.end()));
    const std::pair<int, int> counts[] = {{0, 10}, {2, 12}, {22, 1}, {23, 8}, {29, 2}, {33, 1}};
    for (auto [unit, count] : counts)
        EXPECT_EQ(std::count(kUnitFrequency.begin(), kUnitFrequency.end(), unit), count) << unit;
    EXPECT_EQ(kVowelUnits, (std::array<uint8_t, 12>{0, 0, 4, 4, 4, 8, 8, 14, 14, 19, 19, 23}));
    // Some cells and a checksum of all 1,156.
    EXPECT_EQ(kDigram[0][0], kIllegalPair);                  // aa
    EXPECT_EQ(kDigram[0][7], kNotBegin | kBreak | kNotEnd);  // ah
    EXPECT_EQ(kDigram[1][11], kBegin | kSuffix | kNotEnd);   // bl
    EXPECT_EQ(kDigram[1][16], kBegin | kEnd);                // br
    EXPECT_EQ(kDigram[33][17], kNotBegin);                   // cks
    uint64_t sum = 0, weighted = 0, i = 0;
    for (const auto& row : kDigram)
        for (uint8_t cell : row) {
            sum += cell;
            weighted += cell * ++i;
        }
    EXPECT_EQ(sum, 62513u);
    EXPECT_EQ(weighted, 36977747u);
}

TEST(PasswordGenerator, WithoutASetItWritesNothing) {
    CRandomSource random(1);
    CPasswordGenerator generator(random);
    char out[32] = "leftover";
    EXPECT_EQ(generator.GeneratePassword(12, 0, out), 0u);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(generator.GeneratePassword(12, kPronounceable, out), 0u);
    EXPECT_EQ(generator.GeneratePassword(0, kAllSets | kPronounceable, out), 0u);
    EXPECT_EQ(generator.GeneratePassword(0, kAllSets, out), 0u);
    // The pronounceable method makes at most 30 characters; the random one as many as asked.
    EXPECT_EQ(generator.Generate(40, kAllSets | kPronounceable).Size(), 30u);
    EXPECT_EQ(generator.Generate(40, kAllSets).Size(), 40u);
}

TEST(PasswordGenerator, RandomMethodIsUniformOverTheSelectedSets) {
    CRandomSource random(2024);
    CPasswordGenerator generator(random);
    for (uint16_t bits : {uint16_t(kAllSets), uint16_t(kSetDigits), uint16_t(kSetSymbols),
                          uint16_t(kSetAccented), uint16_t(kSetLower | kSetDigits)}) {
        const std::string alphabet = Union(bits);
        const size_t total = alphabet.size() * 800;
        std::map<char, size_t> counts;
        for (size_t made = 0; made < total; made += 20)
            for (char c : Generate(generator, 20, bits))
                ++counts[c];
        EXPECT_LT(ChiSquare(counts, alphabet, total), Critical(alphabet.size() - 1)) << bits;
    }

    // The statistic does see a bias of the kind a modulo makes: bytes folded onto 125
    // characters give the first six three chances in 256 and the rest two.
    const std::string alphabet = Union(kAllSets);
    std::map<char, size_t> folded;
    const size_t total = alphabet.size() * 800;
    for (size_t i = 0; i < total; ++i)
        ++folded[alphabet[random.RandomWord() % 256 % alphabet.size()]];
    EXPECT_GT(ChiSquare(folded, alphabet, total), Critical(alphabet.size() - 1));
}

TEST(PasswordGenerator, OnlyTheSelectedSetsAppearAndAllOfThem) {
    CRandomSource random(31);
    CPasswordGenerator generator(random);
    for (uint16_t bits = 1; bits <= kAllSets; ++bits) {
        std::string seen;
        for (int i = 0; i < 150; ++i)
            seen += Generate(generator, 20, bits);
        for (char c : seen)
            ASSERT_TRUE(SetOf(c) & bits) << bits << " " << int(uint8_t(c));
        std::sort(seen.begin(), seen.end());
        seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
        EXPECT_EQ(seen.size(), Union(bits).size()) << bits;
    }
}

// Two vowels and a third in a row (unless the first is a "y"), three non-vowels in a row, or an
// illegal pair of neighbours: what a pronounceable word never holds.
std::string WordFault(const std::vector<uint8_t>& units) {
    const auto vowel = [](uint8_t u) { return (kUnits[u].flags & kVowel) != 0; };
    for (size_t i = 1; i < units.size(); ++i) {
        if (kDigram[units[i - 1]][units[i]] & kIllegalPair)
            return "illegal pair at " + std::to_string(i);
        if (i < 2)
            continue;
        const uint8_t a = units[i - 2], b = units[i - 1], c = units[i];
        if (!vowel(a) && !vowel(b) && !vowel(c))
            return "three non-vowels at " + std::to_string(i);
        if (vowel(a) && !(kUnits[a].flags & kAlternateVowel) && vowel(b) && vowel(c))
            return "three vowels at " + std::to_string(i);
    }
    return {};
}

TEST(PasswordGenerator, PronounceableWordsKeepTheRulesAcrossManySeeds) {
    size_t words = 0;
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        CRandomSource random(seed);
        CPasswordGenerator generator(random);
        for (size_t length = 1; length <= 30; length += 1 + seed % 3) {
            char out[32];
            CWordTrace trace;
            const size_t made =
                generator.GeneratePronounceable(length, kSetLower | kPronounceable, out, &trace);
            ++words;
            ASSERT_EQ(made, length);
            ASSERT_EQ(std::string(out).size(), length);
            std::string letters;
            for (uint8_t unit : trace.units)
                letters += kUnits[unit].letters;
            ASSERT_EQ(letters, out) << seed;
            ASSERT_EQ(std::accumulate(trace.syllableLengths.begin(), trace.syllableLengths.end(),
                                      size_t(0)),
                      length);
            ASSERT_EQ(WordFault(trace.units), "") << out << " seed " << seed;
        }
    }
    EXPECT_GT(words, 4000u);
}

TEST(PasswordGenerator, SyllablesTakeTheSelectedSetsInTurnFromTheLowest) {
    const uint16_t selections[] = {
        kSetDigits,                // every syllable turned into digits
        kSetLower | kSetCapitals,  // lower case first, then capitals
        kSetCapitals | kSetSymbols,
        kSetDigits | kSetSymbols | kSetAccented,
        kAllSets,
    };
    for (uint16_t bits : selections) {
        std::vector<uint16_t> order;
        for (int set = 0; set < 5; ++set)
            if (bits & (1u << set))
                order.push_back(static_cast<uint16_t>(1u << set));
        for (uint32_t seed = 1; seed <= 60; ++seed) {
            CRandomSource random(seed);
            CPasswordGenerator generator(random);
            char out[32];
            CWordTrace trace;
            const size_t made =
                generator.GeneratePronounceable(20, bits | kPronounceable, out, &trace);
            ASSERT_EQ(made, 20u);
            size_t at = 0;
            for (size_t s = 0; s < trace.syllableLengths.size(); ++s) {
                const uint16_t want = order[s % order.size()];
                for (size_t i = 0; i < trace.syllableLengths[s]; ++i, ++at)
                    ASSERT_EQ(SetOf(out[at]), want)
                        << "bits " << bits << " seed " << seed << " syllable " << s;
            }
        }
    }
}

TEST(PasswordGenerator, SameSeedSameOutputs) {
    // Fixed seeds and what they give, three passwords in a row from one generator (so the
    // syllables one password hands on to the next count too). Guards the syllable generator
    // and the order in which both methods draw.
    const struct {
        uint32_t seed;
        uint16_t bits;
        size_t length;
        const char* passwords[3];
    } cases[] = {
        // clang-format off
        {1, 0x21, 12, {"vonyutvoudlo", "afokceddeobi", "mumaigjojbow"}},
        {2, 0x21, 20, {"yorchiddifyadgipjiud", "reapogacdoidanhijacs", "cuwiduvedifyuecyaitu"}},
        {3, 0x21, 30, {"tedmaifcyackghopfoufawlosikdin", "vifeepzeobnifduwoohosduvedugem", "blibvedbyapyealjidretedgahibji"}},
        {4, 0x21, 4, {"beba", "toaf", "wowa"}},
        {5, 0x3F, 20, {"frudWIMS48}\\\xE4\xE1\xE4" "etKAT", "coaxUV80{<~\xF1\xE4wrojSAD", "deunMEJ73]!/\xF8\xFD\xE4\xF3" "fupt"}},
        {6, 0x26, 16, {"UCS214YIF09TWYD0", "OG2497YITS9WRED5", "SHAIT8152OA591UV"}},
        {7, 0x1F, 20, {"\xF6" "Cg\\HYn*\xE6" "DK7\xFA,E8p\xFB\"8", "&\xEEW\xE3HSv]\\\xFCG\xE9#=\\\xE0" "d\xE1" "C{", "\xE1!{\xE5ISwC/]k\xE9LCn|5\xFC;#"}},
        {8, 0x04, 8, {"03560106", "30931049", "60145756"}},
        {9, 0x18, 10, {"~\\~\xF5\xFB};(\xFA\xF1", "\xF8[\xEE>\xEA|\xE3\xE6:\xEC", "\xFA?(\xF5\xEF\xF4(\xFB\"\xED"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        CRandomSource random(c.seed);
        CPasswordGenerator generator(random);
        for (const char* expected : c.passwords)
            EXPECT_EQ(Generate(generator, c.length, c.bits), expected) << "seed " << c.seed;
    }
}

TEST(PasswordGenerator, TheProgramsPasswordsComeFromTheSystemsSourceNotTheSeededOne) {
    // A Mersenne Twister's state can be recovered from what it gave out, so the program's
    // passwords never come from it: two contexts seeded alike still make different passwords,
    // and making them leaves the seeded source where it was.
    CCoreContext first, second;
    first.Random().SeedRandom(3);
    second.Random().SeedRandom(3);
    CRandomSource alone(3);
    for (uint16_t bits : {uint16_t(kAllSets), uint16_t(kAllSets | kPronounceable)})
        EXPECT_NE(Generate(first.PasswordGenerator(), 20, bits),
                  Generate(second.PasswordGenerator(), 20, bits));
    EXPECT_EQ(first.Random().RandomWord(), alone.RandomWord());
}

TEST(SystemRandom, AForkedProcessNeverDrawsWhatItsParentHadBuffered) {
    CSystemRandom random;
    random.RandomWord();  // the buffer is full now
    int pipe_fds[2];
    ASSERT_EQ(::pipe(pipe_fds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const uint32_t word = random.RandomWord();
        (void)!::write(pipe_fds[1], &word, sizeof word);
        ::_exit(0);
    }
    const uint32_t mine = random.RandomWord();
    uint32_t theirs = 0;
    ASSERT_EQ(::read(pipe_fds[0], &theirs, sizeof theirs), static_cast<ssize_t>(sizeof theirs));
    ::waitpid(child, nullptr, 0);
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    EXPECT_NE(mine, theirs);
}

TEST(GenerateDialog, LengthRules) {
    const std::pair<size_t, int> opening[] = {{0, 8},   {2, 8},   {3, 8},   {4, 4},
                                              {12, 12}, {20, 20}, {21, 20}, {25, 20}};
    for (auto [field, length] : opening)
        EXPECT_EQ(InitialDialogLength(field), length) << field;

    const std::pair<const char*, std::optional<int>> typed[] = {
        {"4", 4},
        {"20", 20},
        {" 12 ", 12},
        {"+8", 8},
        {"3", std::nullopt},
        {"21", std::nullopt},
        {"-4", std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"8x", std::nullopt},
        {"x", std::nullopt},
        {"1e1", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (auto [text, length] : typed)
        EXPECT_EQ(ParseIntInRange(text, kMinDialogLength, kMaxDialogLength), length) << text;

    // "Generate": the length first, then the sets; the method bit is no set.
    EXPECT_EQ(CheckGenerate("2", 0), str::kParseIntRange);
    EXPECT_EQ(CheckGenerate("8", 0), str::kNoCharacterSet);
    EXPECT_EQ(CheckGenerate("8", kPronounceable), str::kNoCharacterSet);
    EXPECT_EQ(CheckGenerate("8", kSetDigits), 0);
    EXPECT_EQ(CheckGenerate("20", kAllSets | kPronounceable), 0);
}

}  // namespace
}  // namespace tessarin
