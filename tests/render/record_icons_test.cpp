#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <QImage>
#include <QPainter>

#include "render/builtin_icons.h"
#include "render/custom_icons.h"
#include "render/record_icons.h"
#include "render/view_pictures.h"
#include "store/icon_file.h"
#include "support/palm_files.h"

namespace tessarin {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr QRgb kBackground = qRgb(10, 120, 40);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kSilver = qRgb(0xC0, 0xC0, 0xC0);

// A canvas of `size` pixels at `scale`, filled with the background.
QImage Canvas(QSize size, qreal scale = 1) {
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(kBackground);
    return image;
}

// The device pixels that are no longer the background.
QRect ChangedArea(const QImage& image) {
    QRect changed;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kBackground)
                changed |= QRect(x, y, 1, 1);
    return changed;
}

bool Contains(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                return true;
    return false;
}

TEST(BuiltInIcons, TheRectangleChoosesTheSize) {
    const struct {
        int width, height;
        EIconSize size;
    } cases[] = {
        {19, 40, EIconSize::kSmall},  {40, 16, EIconSize::kSmall},  {12, 10, EIconSize::kSmall},
        {20, 17, EIconSize::kMedium}, {25, 40, EIconSize::kMedium}, {40, 21, EIconSize::kMedium},
        {26, 22, EIconSize::kLarge},  {28, 24, EIconSize::kLarge},  {100, 100, EIconSize::kLarge},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IconSizeFor(c.width, c.height), c.size) << c.width << " x " << c.height;
}

TEST(BuiltInIcons, CellsLieInTheirStripColumnByColumn) {
    const CImageStrip& small = BuiltInIconStrip(EIconSize::kSmall);
    const CImageStrip& medium = BuiltInIconStrip(EIconSize::kMedium);
    const CImageStrip& large = BuiltInIconStrip(EIconSize::kLarge);
    const struct {
        const CImageStrip& strip;
        int index;
        QRect cell;
    } cases[] = {
        {small, 0, QRect(4, 4, 12, 10)},
        {small, 1, QRect(4, 18, 12, 10)},
        {small, 8, QRect(20, 4, 12, 10)},
        {small, 63, QRect(116, 102, 12, 10)},
        {medium, 10, QRect(30, 48, 18, 15)},
        {medium, 63, QRect(174, 153, 18, 15)},
        {large, 24, QRect(104, 8, 24, 20)},
        {large, 63, QRect(232, 204, 24, 20)},
        {CopyButtonStrip(), 0, QRect(1, 1, 12, 13)},
        {CopyButtonStrip(), 1, QRect(1, 15, 12, 13)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.strip.Cell(c.index), c.cell) << c.index;
    EXPECT_EQ(small.Size(), QSize(132, 116));
    EXPECT_EQ(medium.Size(), QSize(198, 174));
    EXPECT_EQ(large.Size(), QSize(264, 232));
    EXPECT_EQ(CopyButtonStrip().Size(), QSize(14, 29));
    EXPECT_EQ(small.m_transparent, qRgb(255, 204, 255));
    EXPECT_EQ(CopyButtonStrip().m_transparent, qRgb(255, 153, 51));

    // In its stand-alone bitmap form the strip shows the transparent colour where no icon covers.
    const QImage bitmap = ComposeStrip(large, 1, EStripBackground::kTransparentColour);
    EXPECT_EQ(bitmap.size(), QSize(264, 232));
    EXPECT_EQ(bitmap.pixel(0, 0), qRgb(255, 204, 255));
    EXPECT_EQ(bitmap.pixel(263, 231), qRgb(255, 204, 255));
}

// Every icon at every size draws inside its centred cell and nowhere else, without a trace of the
// strips' transparent colour.
TEST(BuiltInIcons, EachIconDrawsInItsCentredCellOnly) {
    const struct {
        QRect target;
        QRect cell;
    } sizes[] = {
        {QRect(3, 2, 16, 14), QRect(5, 4, 12, 10)},  // small
        {QRect(3, 2, 23, 19), QRect(5, 4, 18, 15)},  // medium, spare 5 and 4
        {QRect(3, 2, 28, 24), QRect(5, 4, 24, 20)},  // large
        {QRect(3, 2, 10, 8), QRect(2, 1, 12, 10)},   // too small: centred all the same
    };
    for (const auto& size : sizes) {
        for (int number = 0; number < kBuiltInIconCount; ++number) {
            QImage canvas = Canvas(QSize(40, 30));
            {
                QPainter painter(&canvas);
                DrawBuiltInIcon(painter, size.target, number);
            }
            const QRect changed = ChangedArea(canvas);
            EXPECT_FALSE(changed.isEmpty()) << BuiltInIconPicture(number);
            EXPECT_TRUE(size.cell.contains(changed))
                << BuiltInIconPicture(number) << " in " << size.target.width();
            EXPECT_FALSE(Contains(canvas, qRgb(255, 204, 255))) << BuiltInIconPicture(number);
        }
    }
}

// On a screen of double density the icon is drawn from its picture at that density, not
// enlarged from the ordinary one.
TEST(BuiltInIcons, DenseScreensGetSharpIcons) {
    const QRect target(0, 0, 28, 24);
    QImage ordinary = Canvas(QSize(28, 24));
    QImage dense = Canvas(QSize(28, 24), 2);
    for (QImage* canvas : {&ordinary, &dense}) {
        QPainter painter(canvas);
        DrawBuiltInIcon(painter, target, 21);
    }
    EXPECT_EQ(ChangedArea(dense), QRect(4, 4, 48, 40) & ChangedArea(dense));
    const QImage enlarged =
        ordinary.scaled(dense.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    int differing = 0;
    for (int y = 0; y < dense.height(); ++y)
        for (int x = 0; x < dense.width(); ++x)
            differing += dense.pixel(x, y) != enlarged.pixel(x, y);
    EXPECT_GT(differing, 100);
}

// The small pictures of the views land where the list, the details pane and the record dialog
// put them, at either density.
TEST(ViewPictures, EachDrawsInItsPlace) {
    for (qreal scale : {1.0, 2.0}) {
        const struct {
            std::string what;
            std::function<void(QPainter&)> draw;
            QRect area;
        } cases[] = {
            {"note mark", [](QPainter& p) { DrawNoteMark(p, QRect(10, 4, 24, 22)); },
             QRect(15, 7, 16, 16)},
            {"copy button", [](QPainter& p) { DrawCopyButton(p, QRect(20, 6, 12, 13), false); },
             QRect(20, 6, 12, 13)},
            {"pressed copy button",
             [](QPainter& p) { DrawCopyButton(p, QRect(20, 6, 12, 13), true); },
             QRect(20, 6, 12, 13)},
            {"mask marker", [](QPainter& p) { DrawMaskMarker(p, QRect(4, 4, 16, 15)); },
             QRect(6, 5, 12, 13)},
        };
        for (const auto& c : cases) {
            QImage canvas = Canvas(QSize(40, 30), scale);
            {
                QPainter painter(&canvas);
                c.draw(painter);
            }
            const QRect area(c.area.topLeft() * scale, c.area.size() * scale);
            const QRect changed = ChangedArea(canvas);
            EXPECT_FALSE(changed.isEmpty()) << c.what;
            EXPECT_TRUE(area.contains(changed)) << c.what << " at " << scale;
        }
    }
    // The header images and the program icon come at the density asked for.
    for (const QIcon& icon :
         {HeaderImage(EHeaderImage::kIcon), HeaderImage(EHeaderImage::kNote), ProgramIcon()})
        EXPECT_EQ(icon.pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
    EXPECT_TRUE(PictureIcon(QStringLiteral("no-such-picture")).isNull());
}

// Icon 7: a family of a 2x2 one-bit bitmap without transparency, then a 4x4 8-bit bitmap of
// version 2 whose transparent index 0 is white (flags say nothing of transparency). Icon 8: a
// bitmap of version 4, which does not decode.
const Bytes kIconFile = test::Concat({
    test::IconFileHeader(2),
    {'T', 'b', 'm', 'p', 0x00, 0x07, 0, 0, 0, 100},
    {'T', 'b', 'm', 'p', 0x00, 0x08, 0, 0, 0, 152},
    {0, 0},
    // 100: 2x2, row bytes 2, one bit, version 1, next bitmap 5 x 4 bytes on
    {0, 2, 0, 2, 0, 2, 0, 0, 1, 1, 0, 5, 0, 0, 0, 0},
    {0x80, 0, 0x40, 0},  // black white / white black
    // 120: 4x4, row bytes 4, 8 bits, version 2, transparent index 0
    {0, 4, 0, 4, 0, 4, 0, 0, 8, 2, 0, 0, 0, 0, 0, 0},
    {0, 230, 230, 0, 230, 225, 225, 230, 230, 225, 225, 230, 0, 230, 230, 0},
    // 152: version 4
    {0, 1, 0, 1, 0, 2, 0, 0, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0},
});

class CustomIcons : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(icons.ReadIconData(kIconFile.data(), kIconFile.size()), EIconFileResult::kRead);
        ASSERT_EQ(icons.Size(), 2u);
    }

    // Draws icon `number` into `target` of a fresh 40 x 40 canvas.
    bool Draw(int number, const QRect& target, const CIconList* list) {
        canvas = Canvas(QSize(40, 40));
        QPainter painter(&canvas);
        return DrawRecordIcon(painter, target, number, list);
    }

    CIconList icons;
    QImage canvas;
};

TEST_F(CustomIcons, DrawnCentredWithoutTheTransparentColour) {
    ASSERT_TRUE(Draw(256 + 7, QRect(10, 20, 10, 8), &icons));
    // The 4x4 bitmap at (10 + 3, 20 + 2); its white corners leave the background as it was.
    const QRgb expected[4][4] = {{kBackground, kBlack, kBlack, kBackground},
                                 {kBlack, kSilver, kSilver, kBlack},
                                 {kBlack, kSilver, kSilver, kBlack},
                                 {kBackground, kBlack, kBlack, kBackground}};
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 13 && x < 17 && y >= 22 && y < 26;
            EXPECT_EQ(canvas.pixel(x, y), inside ? expected[y - 22][x - 13] : kBackground)
                << x << ", " << y;
        }
}

TEST_F(CustomIcons, TheBitmapThatFitsIsChosenAndDrawnOpaqueWithoutTransparency) {
    // 3x3 takes the 2x2 bitmap (the 4x4 does not fit), which has no transparent colour.
    ASSERT_TRUE(Draw(256 + 7, QRect(5, 5, 3, 3), &icons));
    EXPECT_EQ(canvas.pixel(5, 5), kBlack);
    EXPECT_EQ(canvas.pixel(6, 5), kWhite);
    EXPECT_EQ(canvas.pixel(5, 6), kWhite);
    EXPECT_EQ(canvas.pixel(6, 6), kBlack);
    EXPECT_EQ(ChangedArea(canvas), QRect(5, 5, 2, 2));
}

TEST_F(CustomIcons, NothingIsDrawnForWhatDoesNotFitDecodeOrExist) {
    const struct {
        std::string what;
        int number;
        QRect target;
        const CIconList* list;
    } cases[] = {
        {"smaller than the smallest bitmap", 256 + 7, QRect(5, 5, 1, 3), &icons},
        {"a bitmap that does not decode", 256 + 8, QRect(5, 5, 20, 20), &icons},
        {"no icon of that id", 256 + 9, QRect(5, 5, 20, 20), &icons},
        {"beyond every resource id", 256 + 0x10000 + 7, QRect(5, 5, 20, 20), &icons},
        {"no custom icons", 256 + 7, QRect(5, 5, 20, 20), nullptr},
        {"between built-in and custom", 64, QRect(5, 5, 20, 20), &icons},
        {"the last before custom", 255, QRect(5, 5, 20, 20), &icons},
        {"negative", -1, QRect(5, 5, 20, 20), &icons},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Draw(c.number, c.target, c.list)) << c.what;
        EXPECT_TRUE(ChangedArea(canvas).isEmpty()) << c.what;
    }
    // Built-in icons are always there.
    EXPECT_TRUE(Draw(24, QRect(5, 5, 28, 24), nullptr));
    EXPECT_FALSE(ChangedArea(canvas).isEmpty());
}

}  // namespace
}  // namespace tessarin
