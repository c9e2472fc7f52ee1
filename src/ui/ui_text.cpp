#include "ui/ui_text.h"

#include <QFileInfo>

#include "base/codepage.h"
#include "platform/qt_text.h"

namespace tessarin {

QString UiText(const CStringTable& strings, int id, std::initializer_list<std::string_view> args) {
    if (args.size() == 0)
        return Cp1252ToQString(strings.Get(id));
    return Cp1252ToQString(strings.Format(id, args));
}

std::string ToMessageText(const QString& text) {
    return Utf16ToCp1252(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<size_t>(text.size())));
}

std::string FileNameForMessage(const std::string& path) {
    return ToMessageText(QFileInfo(QString::fromStdString(path)).fileName());
}

std::optional<CSecret> SecretFromField(const QString& text) {
    std::string bytes;
    const QByteArray utf8 = text.toUtf8();
    const bool ok = Utf8ToCp1252(std::string_view(utf8.constData(), utf8.size()), bytes);
    CSecret secret(bytes);
    WipeMemory(bytes.data(), bytes.size());
    if (!ok)
        return std::nullopt;
    return secret;
}

QString PlainLabel(QString label) {
    label.remove(QLatin1Char('&'));
    if (label.endsWith(QLatin1Char(':')))
        label.chop(1);
    return label;
}

}  // namespace tessarin
