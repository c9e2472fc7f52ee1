#include "render/builtin_icons.h"

#include <array>

#include <QPainter>

namespace tessarin {

namespace {

// By icon number. The built-in record types use 2, 3, 9, 10, 11, 14-18, 21-24, 29, 32, 34 and 35;
// 24 is also the icon of a record without a type.
constexpr std::array<const char*, kBuiltInIconCount> kPictures = {
    "icon-key",
    "icon-padlock",
    "icon-bank",
    "icon-credit-card",
    "icon-banknote",
    "icon-coins",
    "icon-safe",
    "icon-wallet",
    "icon-heart",
    "icon-prescription",
    "icon-serial-number",
    "icon-calling-card",
    "icon-star",
    "icon-folder",
    "icon-car",
    "icon-voice-mail",
    "icon-airplane",
    "icon-emergency",
    "icon-email",
    "icon-globe",
    "icon-computer",
    "icon-web-login",
    "icon-combination",
    "icon-birthday",
    "icon-identification",
    "icon-person",
    "icon-people",
    "icon-house",
    "icon-office",
    "icon-shirt",
    "icon-gift",
    "icon-cart",
    "icon-phone",
    "icon-mobile",
    "icon-insurance",
    "icon-membership",
    "icon-document",
    "icon-book",
    "icon-calendar",
    "icon-clock",
    "icon-music",
    "icon-camera",
    "icon-game",
    "icon-suitcase",
    "icon-ticket",
    "icon-graduation",
    "icon-briefcase",
    "icon-wrench",
    "icon-lightbulb",
    "icon-flag",
    "icon-tag",
    "icon-bell",
    "icon-shield",
    "icon-cloud",
    "icon-wifi",
    "icon-printer",
    "icon-database",
    "icon-chat",
    "icon-map-pin",
    "icon-gear",
    "icon-trophy",
    "icon-leaf",
    "icon-paw",
    "icon-question",
};

constexpr QRgb kTransparent = qRgb(255, 204, 255);

const CImageStrip kSmall{QSize(12, 10), 4, 8, 8, kTransparent, kPictures};
const CImageStrip kMedium{QSize(18, 15), 6, 8, 8, kTransparent, kPictures};
const CImageStrip kLarge{QSize(24, 20), 8, 8, 8, kTransparent, kPictures};

}  // namespace

EIconSize IconSizeFor(int width, int height) {
    if (width < 20 || height < 17)
        return EIconSize::kSmall;
    if (width < 26 || height < 22)
        return EIconSize::kMedium;
    return EIconSize::kLarge;
}

const CImageStrip& BuiltInIconStrip(EIconSize size) {
    switch (size) {
        case EIconSize::kSmall:
            return kSmall;
        case EIconSize::kMedium:
            return kMedium;
        case EIconSize::kLarge:
            break;
    }
    return kLarge;
}

const char* BuiltInIconPicture(int number) {
    if (number < 0 || number >= kBuiltInIconCount)
        return nullptr;
    return kPictures[size_t(number)];
}

QRect BuiltInIconRect(const QRect& target, EIconSize size) {
    const QSize cell = BuiltInIconStrip(size).m_cell;
    return QRect(target.x() + (target.width() - cell.width()) / 2,
                 target.y() + (target.height() - cell.height()) / 2, cell.width(), cell.height());
}

void DrawBuiltInIcon(QPainter& painter, const QRect& target, int number) {
    if (number < 0 || number >= kBuiltInIconCount)
        return;
    const EIconSize size = IconSizeFor(target.width(), target.height());
    DrawStripImage(painter, BuiltInIconStrip(size), number,
                   BuiltInIconRect(target, size).topLeft());
}

}  // namespace tessarin
