// The lines of the local endpoints as bytes: how a connection's bytes become lines, and which
// handed-over paths may be offered to the user.
#include <gtest/gtest.h>

#include "store/notice_lines.h"

namespace tessarin {
namespace {

TEST(HandOverPath, OnlyAbsoluteUtf8PathsWithoutControlCharactersAreOffered) {
    struct Case {
        std::string path;
        bool offered;
    } cases[] = {
        {"/home/ann/My Files/b\xc3\xa9 \xe2\x82\xac.vex", true},
        {"/tmp/\xf0\x9f\x94\x91.csv", true},
        {"relative/x.vex", false},
        {"", false},
        {std::string("/tmp/a.vex\0/etc/passwd", 22), false},  // a zero byte cuts the name shown
        {"/tmp/a\nDo you trust it? Yes.vex", false},
        {"/tmp/a\r.vex", false},
        {"/tmp/\x1b[8mhidden.vex", false},
        {"/tmp/a\x7f.vex", false},
        {"/tmp/a\xc2\x85next line.vex", false},  // U+0085, a C1 control
        {"/tmp/a\xc2\x9b"
         "31m.vex",
         false},                           // U+009B, the C1 escape
        {"/tmp/\xff.vex", false},          // not UTF-8: the name shown would not be its own
        {"/tmp/\xc0\xaf.vex", false},      // an overlong '/'
        {"/tmp/\xed\xa0\x80.vex", false},  // a lone surrogate
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsHandOverPath(c.path), c.offered) << c.path;
}

TEST(LineBuffer, BytesBecomeLinesInWhateverPiecesTheyComeAndTooLongALineEndsIt) {
    CLineBuffer lines(8);
    EXPECT_TRUE(lines.Add("one\ntw").size() == 1);
    EXPECT_EQ(lines.Add("o\n\nthree\n"), (std::vector<std::string>{"two", "", "three"}));
    EXPECT_FALSE(lines.Overflowed());
    EXPECT_TRUE(lines.Add("12345678").empty());  // as long as allowed, not yet ended
    EXPECT_EQ(lines.Add("\n"), std::vector<std::string>{"12345678"});

    // Too long: ended or not, and whether it came in one piece or several.
    for (const std::vector<std::string>& pieces :
         {std::vector<std::string>{"ok\n123456789\nlater\n"},
          std::vector<std::string>{"ok\n1234", "56789"}}) {
        CLineBuffer buffer(8);
        std::vector<std::string> got;
        for (const std::string& piece : pieces)
            for (std::string& line : buffer.Add(piece))
                got.push_back(std::move(line));
        EXPECT_EQ(got, std::vector<std::string>{"ok"});
        EXPECT_TRUE(buffer.Overflowed());
        EXPECT_TRUE(buffer.Add("more\n").empty());
    }
}

TEST(CopyData, AnyBytesGoOverAndMalformedLinesAreRefused) {
    const std::string data("a b\n\0\xff", 6);
    EXPECT_EQ(ParseCopyDataLine(CopyDataLine(7, data)), std::make_pair(7u, data));
    EXPECT_EQ(ParseCopyDataLine("WM_COPYDATA 4294967295 2F"),
              std::make_pair(4294967295u, std::string("/")));
    for (const char* bad : {"WM_COPYDATA 0 abc", "WM_COPYDATA x 00", "WM_COPYDATA 0 zz",
                            "WM_COPYDATA", "WM_COPYDATA  00", "WM_COPYDATA 4294967296 00",
                            "WM_COPYDATA 99999999999999999999999 00", "WM_Tessarin10_IsMe"})
        EXPECT_FALSE(ParseCopyDataLine(bad)) << bad;
}

}  // namespace
}  // namespace tessarin
