#pragma once

// The optional translation file, "Tessarin_Language.txt", that replaces texts of the string table
// when it is there. Its format (docs/strings.md): UTF-8 text, one "number=text" a line; "\n", "\t"
// and "\\" in a text stand for a line break, a tab and a backslash; empty lines and lines that
// begin with '#' are skipped, as is a line whose number is not one or whose text Windows-1252
// cannot hold.
#include <string>
#include <string_view>

namespace tessarin {

class CStringTable;

inline constexpr const char* kLanguageFileName = "Tessarin_Language.txt";

// Replaces the texts the file's content carries; how many it replaced.
size_t ApplyLanguageText(std::string_view content, CStringTable& strings);

// Far more than a translation of every text takes.
inline constexpr size_t kMaxLanguageFileSize = 4 << 20;

// Reads the file at `path` and applies it; false when there is no such file, when it is larger
// than kMaxLanguageFileSize, or when someone other than the user or the system administrator could
// have written it or its folder (IsTrustedFile).
bool LoadLanguageFile(const std::string& path, CStringTable& strings);

}  // namespace tessarin
