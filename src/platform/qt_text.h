#pragma once

// Stored Windows-1252 text as Qt's UTF-16, at the edge where text meets Qt.
#include <string>
#include <string_view>

#include <QString>

namespace tessarin {

QString Cp1252ToQString(std::string_view text);
// The same into `out`, whose room is reused: for converting many texts one after another.
void Cp1252ToQString(std::string_view text, QString& out);
// Text of a widget as Windows-1252 bytes; a character that has none becomes '?'. The edits for
// stored text never hold such a character (they refuse it as it is typed), so for their text the
// conversion is exact; elsewhere it serves messages and names that only show.
std::string QStringToCp1252(const QString& text);

}  // namespace tessarin
