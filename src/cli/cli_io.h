#pragma once

// The tool's input and output, replaceable so that tests drive the tool in-process.
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "base/secure_memory.h"

namespace tessarin::cli {

struct CCliIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // Standard input is a terminal: passwords are asked with a prompt and without echo.
    bool terminal = false;
};

// Text from the command line or the file system (UTF-8) for a message (Windows-1252): a character
// Windows-1252 cannot hold shows as '?'.
std::string FromTerminal(std::string_view utf8);

// Writes Windows-1252 text to a stream as UTF-8.
void WriteText(std::ostream& stream, std::string_view cp1252);
void WriteLine(std::ostream& stream, std::string_view cp1252);

// Reads one line for a password: on a terminal after the prompt and without echo, otherwise the
// next line of standard input. None when the input has ended.
std::optional<std::string> ReadSecretLine(CCliIo& io, std::string_view prompt);

}  // namespace tessarin::cli
