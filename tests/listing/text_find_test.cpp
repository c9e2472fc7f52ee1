#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/text_case.h"
#include "listing/text_find.h"

namespace tessarin {
namespace {

// The matching rule spelled out plainly: lower both unless case matters, then look at every
// occurrence in turn.
bool Reference(std::string value, std::string text, bool caseSensitive, bool wholeWord) {
    if (!caseSensitive) {
        value = ToLowerCp1252(value);
        text = ToLowerCp1252(text);
    }
    auto isBreak = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    for (size_t at = value.find(text); at != std::string::npos; at = value.find(text, at + 1)) {
        const size_t end = at + text.size();
        if (!wholeWord || ((at == 0 || isBreak(value[at - 1])) &&
                           (end >= value.size() || isBreak(value[end]))))
            return true;
        if (at == value.size())
            break;
    }
    return false;
}

TEST(TextFinder, AgreesWithThePlainRuleOnManyValues) {
    // Short alphabets make matches frequent, at every offset of values longer than a word.
    std::mt19937 random(4);
    const char bytes[] = {'a', 'A', 'b', ' ', '\t', ',', '\xE9', '\xC9', '\xFF', '\x9F'};
    auto make = [&](size_t max) {
        std::string s(random() % (max + 1), ' ');
        for (char& c : s)
            c = bytes[random() % sizeof bytes];
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = make(3);
        const std::string value = make(40);
        for (bool caseSensitive : {false, true}) {
            for (bool wholeWord : {false, true}) {
                const CTextFinder finder(text, caseSensitive, wholeWord);
                ASSERT_EQ(finder.Matches(value), Reference(value, text, caseSensitive, wholeWord))
                    << "[" << value << "] [" << text << "] " << caseSensitive << wholeWord;
            }
        }
    }
}

}  // namespace
}  // namespace tessarin
