// The list font's record: a font chosen in the program survives being stored, and a record
// stored elsewhere gives the font it describes.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QStringList>

#include "render/list_font.h"

namespace tessarin {
namespace {

TEST(ListFont, AChosenFontComesBackFromItsRecord) {
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPixelSize(17);
    chosen.setWeight(QFont::Bold);
    chosen.setItalic(true);
    chosen.setStrikeOut(true);
    const CLogFont stored = LogFontFromFont(chosen);
    EXPECT_EQ(stored.height, -17);
    EXPECT_EQ(stored.weight, 700);
    EXPECT_EQ(stored.italic, 1);
    EXPECT_EQ(stored.underline, 0);
    EXPECT_EQ(stored.strikeOut, 1);
    EXPECT_EQ(stored.faceName, "DejaVu Serif");
    // Through the preference's bytes and back.
    const QFont again = FontFromLogFont(CLogFont::FromBytes(stored.ToBytes().data()), QFont());
    EXPECT_EQ(again.families().value(0), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(QFontInfo(again).pixelSize(), 17);
    EXPECT_TRUE(again.bold());
    EXPECT_TRUE(again.italic());
    EXPECT_TRUE(again.strikeOut());
    EXPECT_FALSE(again.underline());
}

TEST(ListFont, FaceNamesAreCutToTheRecordAndKeptInWindows1252) {
    QFont font(QStringLiteral("Caf\u00e9 Sans with a name far longer than the record holds"));
    font.setPixelSize(12);
    const CLogFont stored = LogFontFromFont(font);
    EXPECT_EQ(stored.faceName.size(), CLogFont::kFaceNameBytes - 1);
    EXPECT_EQ(stored.faceName.substr(0, 5), "Caf\xe9 ");
    EXPECT_EQ(CLogFont::FromBytes(stored.ToBytes().data()), stored);
}

}  // namespace
}  // namespace tessarin
