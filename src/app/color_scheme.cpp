#include "app/color_scheme.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QPalette>
#include <QStyleFactory>

namespace tessarin {

namespace {

inline constexpr int kPortalWaitMs = 500;

// 1: the desktop prefers dark, 2: light, 0: no preference or nobody answered.
unsigned PortalColorScheme() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return 0;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("Read"));
    call << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme");
    const QDBusMessage reply = bus.call(call, QDBus::Block, kPortalWaitMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    // The value comes wrapped in one or two variants.
    QVariant value = reply.arguments().first();
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value.toUInt();
}

bool PrefersDark() {
    const QByteArray chosen = qgetenv("TESSARIN_COLOR_SCHEME").toLower();
    if (chosen == "dark")
        return true;
    if (chosen == "light")
        return false;
    if (const unsigned scheme = PortalColorScheme())
        return scheme == 1;
    return qgetenv("GTK_THEME").toLower().contains("dark");
}

QPalette DarkPalette() {
    const QColor window(0x2b, 0x2e, 0x33), base(0x1f, 0x22, 0x26), text(0xe6, 0xe8, 0xeb);
    const QColor highlight(0x3f, 0x7f, 0xd9), disabled(0x80, 0x84, 0x8a);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabled);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Link, highlight.lighter(130));
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Light, window.lighter(150));
    palette.setColor(QPalette::Midlight, window.lighter(125));
    palette.setColor(QPalette::Mid, window.darker(120));
    palette.setColor(QPalette::Dark, window.darker(150));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabled);
    return palette;
}

}  // namespace

void FollowDesktopColorScheme() {
    if (!PrefersDark())
        return;
    // Fusion draws every control from the palette, so the whole program turns dark.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(DarkPalette());
}

}  // namespace tessarin
