#pragma once

// Stored Windows-1252 text as Qt's UTF-16, at the edge where text meets Qt.
#include <string_view>

#include <QString>

namespace tessarin {

QString Cp1252ToQString(std::string_view text);
// The same into `out`, whose room is reused: for converting many texts one after another.
void Cp1252ToQString(std::string_view text, QString& out);

}  // namespace tessarin
