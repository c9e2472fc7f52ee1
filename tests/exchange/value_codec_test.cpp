// The shared readers and writers of single values.
#include <gtest/gtest.h>

#include "exchange/value_reader.h"
#include "exchange/value_writer.h"
#include "security/password.h"

namespace tessarin {
namespace {

TEST(ValueReader, ReadsQuotedAndBareValuesAndStopsWhereTheNextBegins) {
    struct Case {
        std::string input;
        std::string value;
        std::string rest;  // what is left for the next read
    };
    const Case cases[] = {
        {"abc,def", "abc", "def"},
        {"abc\r\nnext", "abc", "\r\nnext"},
        {"abc\nnext", "abc", "\nnext"},
        {"  \t\r\n\v\fabc,", "abc", ""},              // leading blanks and line ends go
        {"a b  ,   \r\nx", "a b  ", "\r\nx"},         // blanks after the comma up to the line end
        {"one\vtwo,", "one\r\ntwo", ""},              // a vertical tab is a line break
        {"\"a,b\",c", "a,b", "c"},                    // commas inside quotes are data
        {"\"say \"\"hi\"\"\",x", "say \"hi\"", "x"},  // doubled quotes
        {"\"line\r\nbreak\v!\",x", "line\r\nbreak\r\n!", "x"},
        {"\"\",x", "", "x"},
        {",x", "", "x"},
        {"\"open to the end", "open to the end", ""},
        {"\"ab\"cd,e", "abd", "e"},  // after the closing quote: first one dropped
        {"\"ab\"\r\nx", "ab", "\r\nx"},
        {"x\"y\",z", "x\"y\"", "z"},  // a quote inside a bare value is data
        {"", "", ""},
        {"\xE9\x80\xFF,", "\xE9\x80\xFF", ""},
    };
    for (const Case& c : cases) {
        CTextCursor cursor(c.input);
        std::string value = "stale";
        ReadValue(cursor, value);
        EXPECT_EQ(value, c.value) << c.input;
        EXPECT_EQ(cursor.Rest(), c.rest) << c.input;
    }
}

TEST(ValueReader, ScansForSeparatorsAtEveryPosition) {
    // Eight bytes are looked at a step: a separator must be found wherever it falls, and bytes
    // 0x80-0xFF around it (and 0x2C + 0x80 = 0xAC) are no separators.
    for (size_t at = 0; at < 20; ++at) {
        for (char separator : {',', '"', '\r', '\n'}) {
            std::string text(20, '\xAC');
            for (size_t i = 0; i < text.size(); i += 3)
                text[i] = static_cast<char>(0x80 + i);
            text[at] = separator;
            EXPECT_EQ(SpanWithout(text, ',', '"', '\r', '\n'), at) << at;
        }
    }
    EXPECT_EQ(SpanWithout(std::string(17, '\xFF'), ',', '"', '\r', '\n'), 17u);
    EXPECT_EQ(SpanWithout("", ',', '"', '\r', '\n'), 0u);
}

TEST(ValueReader, FlagsNumbersAndHexadecimal) {
    std::string scratch;
    for (auto [input, flag] : {std::pair{"T,", true},
                               {"True", true},
                               {"F", false},
                               {"t", false},
                               {"", false},
                               {" T", true}}) {
        CTextCursor cursor(input);
        EXPECT_EQ(ReadFlag(cursor, scratch), flag) << input;
    }
    const std::pair<const char*, uint16_t> numbers[] = {
        {"24", 24}, {"65535", 65535}, {"65536", 0}, {"65537", 1}, {"-1", 65535},
        {"+7", 7},  {"12abc", 12},    {"abc", 0},   {"", 0},      {" 42 ", 42}};
    for (auto [text, number] : numbers) {
        CTextCursor cursor(text);
        EXPECT_EQ(ReadNumber(cursor, scratch), number) << text;
    }
    // Any number of digits keeps its low 16 bits: (10^20 - 1) mod 2^16.
    EXPECT_EQ(NumberFromText("99999999999999999999"), 65535);

    const std::pair<const char*, std::string> hex[] = {
        {"0A1bFF", std::string("\x0A", 1)},  // lower case ends the number
        {" \r\n00FF", std::string("\x00\xFF", 2)},
        {"ABC", "\xAB"},  // an odd last digit is dropped
        {"G1", ""},
        {"7F,80", "\x7F"},
    };
    for (auto [text, bytes] : hex) {
        std::string out = "x";
        EXPECT_EQ(AppendHexBytes(text, out), bytes.size()) << text;
        EXPECT_EQ(out, "x" + bytes) << text;
    }
}

TEST(ValueWriter, QuotesOnlyWhatAReaderWouldOtherwiseMisread) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"with blanks inside", "with blanks inside"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"one\r\ntwo", "one\vtwo"},  // CR as a vertical tab, LF dropped, still bare
        {"", ""},
        // Leading blanks and line breaks would be skipped by a reader: quoted, they survive.
        {"  indented", "\"  indented\""},
        {"\r\nafter a break", "\"\vafter a break\""},
        {"\xE9t\xE9 \x80", "\xE9t\xE9 \x80"},
    };
    for (const auto& [value, written] : cases) {
        std::string out;
        AppendPlainValue(out, value);
        EXPECT_EQ(out, written);
        // And every value reads back as it was, the dropped LF's CR aside.
        CTextCursor cursor(out);
        std::string back;
        ReadValue(cursor, back);
        EXPECT_EQ(back, value);
    }
    // Long values are written whole.
    const std::string longValue(100000, 'x');
    std::string out;
    AppendPlainValue(out, longValue);
    EXPECT_EQ(out, longValue);
}

TEST(ValueWriter, ProtectedValuesTakeWholeBlocksInHexadecimal) {
    const auto key = MakeKeySchedule(CSecret("pw"));
    CRandomSource random(1);
    const std::pair<size_t, size_t> sizes[] = {{0, 16}, {7, 16}, {8, 32}, {15, 32}, {16, 48}};
    for (auto [length, digits] : sizes) {
        std::string out;
        CRowWriter row(out, key.get(), random);
        const std::string value(length, 'v');
        row.Value(value);
        row.End(false);
        EXPECT_EQ(out.size(), digits + 2) << length;
        // Deciphered, the value is followed by its zero.
        std::string bytes;
        AppendHexBytes(out, bytes);
        CipherWhole(*key, reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), false);
        EXPECT_EQ(bytes.substr(0, length + 1), value + std::string(1, '\0'));
    }
}

TEST(ValueWriter, RowsJoinItemsWithCommas) {
    CRandomSource random(1);
    std::string out;
    CRowWriter row(out, nullptr, random);
    row.Literal("T");
    row.Number(24);
    row.Value("a,b");
    row.End(true);
    row.Literal("F");
    row.Number(65535);
    row.Value("");
    row.End(false);
    EXPECT_EQ(out, "T,24,\"a,b\",\r\nF,65535,\r\n");
}

}  // namespace
}  // namespace tessarin
