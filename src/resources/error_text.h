#pragma once

// What a system error code means, said in words from the string table ("the disk is full",
// "permission denied on FOLDER") beside the hexadecimal code that messages show: the common errno
// values have texts of their own (so a translation covers them); any other code gets the system's
// own description.
#include <string>
#include <string_view>

namespace tessarin {

class CStringTable;

// The words for `code` (Windows-1252, from a lower-case letter, no full stop; empty for 0). `where`
// is the file or folder concerned as a UTF-8 path, named in the words when not empty.
std::string ErrorWords(const CStringTable& strings, int code, std::string_view where = {});

// The same for a failure to write the file at `filePath` (written beside itself and renamed, as
// every file here is): where the fault is the folder's (full, read-only, not writable, gone) the
// folder is named, else the file.
std::string WriteErrorWords(const CStringTable& strings, int code, std::string_view filePath);

// Words and their code, for a sentence that has no code of its own: "the disk is full (error 1c)";
// the code alone without words.
std::string WordsWithCode(const CStringTable& strings, std::string_view words, int code);

// The line to show under a message about the file at `path` that already gives the code: "The
// system reported: WORDS." (WriteErrorWords when `writing`, else ErrorWords); empty for code 0.
std::string FileErrorDetail(const CStringTable& strings, int code, std::string_view path,
                            bool writing);

}  // namespace tessarin
