#pragma once

// Texts of the string table as widgets show them.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include <QString>

#include "base/secure_memory.h"
#include "resources/string_table.h"

namespace tessarin {

// The text of number `id`, with its arguments (Windows-1252 bytes) put in, as UTF-16.
QString UiText(const CStringTable& strings, int id,
               std::initializer_list<std::string_view> args = {});

// The name of a file (not its folder) for a message, from a file-system path.
std::string FileNameForMessage(const std::string& path);

// The one rule for accessible names: a label's text as a screen reader names the control it
// labels, which is what the label shows without its mnemonic "&" ("&&" shows one "&") and
// without the final ":" and spaces.
QString AccessibleNameOf(const QString& label);

// What was typed in a password field, as the database's Windows-1252 bytes; none when it holds a
// character Windows-1252 cannot hold.
std::optional<CSecret> SecretFromField(const QString& text);

}  // namespace tessarin
