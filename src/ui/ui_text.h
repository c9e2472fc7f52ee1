#pragma once

// Texts of the string table as widgets show them.
#include <initializer_list>
#include <string_view>

#include <QString>

#include "resources/string_table.h"

namespace tessarin {

// The text of number `id`, with its arguments (Windows-1252 bytes) put in, as UTF-16.
QString UiText(const CStringTable& strings, int id,
               std::initializer_list<std::string_view> args = {});

}  // namespace tessarin
