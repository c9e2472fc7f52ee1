#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "store/item_text.h"

namespace tessarin {
namespace {

// Texts whose sizes put the block's offsets on either side of their widths' limits.
std::vector<std::string> Texts(std::initializer_list<size_t> sizes) {
    std::vector<std::string> texts;
    char fill = 'a';
    for (size_t size : sizes)
        texts.emplace_back(size, fill++);
    return texts;
}

void ExpectSlots(const CItemText& text, const std::vector<std::string>& expected,
                 const std::string& what) {
    size_t total = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(text.Get(i), expected[i]) << what << " slot " << i;
        total += expected[i].size();
    }
    EXPECT_EQ(text.TotalSize(), total) << what;
    EXPECT_EQ(text.Get(expected.size()), "") << what;  // past the last slot
}

TEST(ItemText, HoldsEveryTextWhateverTheOffsetsWidth) {
    const std::vector<std::vector<std::string>> cases = {
        Texts({0, 0, 0, 0}),
        Texts({1, 0, 0, 0}),
        Texts({100, 100, 55, 0}),        // 255 in all: one byte an offset
        Texts({100, 100, 56, 0}),        // 256: two
        Texts({0, 0, 0, 256}),           // the last slot alone past one byte
        Texts({65535, 0, 0, 0}),         // the most two bytes hold
        Texts({30000, 30000, 5536, 1}),  // 65537: four
        Texts({0, 70000, 0, 3}),
    };
    for (const auto& texts : cases) {
        const std::string what =
            std::to_string(texts[0].size()) + "+" + std::to_string(texts[1].size()) + "+" +
            std::to_string(texts[2].size()) + "+" + std::to_string(texts[3].size());
        CItemText text(4);
        std::array<std::string_view, 4> views{texts[0], texts[1], texts[2], texts[3]};
        text.SetRange(0, views.data(), views.size());
        ExpectSlots(text, texts, what + " at once");

        // One at a time, each change moving the others into a block of another width.
        CItemText oneByOne(4);
        for (size_t i = 4; i-- > 0;)
            oneByOne.Set(i, texts[i]);
        ExpectSlots(oneByOne, texts, what + " one by one");
        EXPECT_EQ(oneByOne.Hash(), text.Hash()) << what;

        const CItemText copy(text);
        ExpectSlots(copy, texts, what + " copied");
        CItemText moved(4);
        moved = CItemText(copy);
        ExpectSlots(moved, texts, what + " moved");
    }
}

TEST(ItemText, ShrinkingBackGivesTheSameTextsAndHashAsBuiltSmall) {
    CItemText small(3);
    small.Set(0, "user");
    small.Set(2, "pw");
    CItemText grown(3);
    grown.Set(0, "user");
    grown.Set(1, std::string(70000, 'x'));  // four-byte offsets
    grown.Set(2, "pw");
    grown.Set(1, std::string(300, 'y'));  // two
    EXPECT_EQ(grown.Get(1).size(), 300u);
    grown.Set(1, "");  // one again
    ExpectSlots(grown, {"user", "", "pw"}, "shrunk");
    EXPECT_EQ(grown.Hash(), small.Hash());
    grown.Set(0, "");
    grown.Set(2, "");
    EXPECT_EQ(grown.TotalSize(), 0u);
    EXPECT_EQ(grown.Hash(), CItemText(3).Hash());
}

TEST(ItemText, LeadingSlotsLieBackToBackAndTellWhereEachEnds) {
    for (size_t width : {1, 300, 70000}) {
        const std::string big(width, 'z');
        CItemText text(5);
        const std::array<std::string_view, 5> views{"ab", "", big, "cd", "label"};
        text.SetRange(0, views.data(), views.size());
        const std::string leading = "ab" + big + "cd";
        EXPECT_EQ(text.Leading(4), leading) << width;
        EXPECT_EQ(text.Leading(1), "ab") << width;
        const size_t cd = 2 + width;
        const struct {
            size_t at, length;
            bool one;
        } cases[] = {
            {0, 2, true},       {1, 1, true},  {1, 2, false},      {2, width, true},
            {cd - 1, 2, false}, {cd, 2, true}, {cd + 1, 2, false},
        };
        for (const auto& c : cases)
            EXPECT_EQ(text.InOneSlot(c.at, c.length), c.one)
                << width << ": " << c.at << "+" << c.length;
    }
    EXPECT_EQ(CItemText(3).Leading(2), "");
}

}  // namespace
}  // namespace tessarin
