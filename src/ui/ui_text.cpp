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

std::string FileNameForMessage(const std::string& path) {
    return QStringToCp1252(QFileInfo(QString::fromStdString(path)).fileName());
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

QString AccessibleNameOf(const QString& label) {
    QString name;
    name.reserve(label.size());
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] == QLatin1Char('&')) {
            // The mnemonic's mark goes; a doubled one is a shown "&".
            if (i + 1 < label.size() && label[i + 1] == QLatin1Char('&'))
                name += label[++i];
            continue;
        }
        name += label[i];
    }
    name = name.trimmed();
    while (name.endsWith(QLatin1Char(':')))
        name = name.chopped(1).trimmed();
    return name;
}

}  // namespace tessarin
