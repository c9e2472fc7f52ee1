#include "platform/qt_text.h"

#include "base/codepage.h"

namespace tessarin {

QString Cp1252ToQString(std::string_view text) {
    QString out;
    Cp1252ToQString(text, out);
    return out;
}

void Cp1252ToQString(std::string_view text, QString& out) {
    out.resize(static_cast<qsizetype>(text.size()));
    QChar* chars = out.data();
    // Every Windows-1252 character lies in the basic plane: one UTF-16 unit each.
    for (size_t i = 0; i < text.size(); ++i)
        chars[i] = QChar(static_cast<char16_t>(Cp1252ToCodePoint(static_cast<uint8_t>(text[i]))));
}

std::string QStringToCp1252(const QString& text) {
    return Utf16ToCp1252(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<size_t>(text.size())));
}

}  // namespace tessarin
