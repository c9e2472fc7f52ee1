#include "cli/cli_io.h"

#include <iostream>

#include <termios.h>
#include <unistd.h>

#include "base/codepage.h"

namespace tessarin::cli {

std::string FromTerminal(std::string_view utf8) {
    return Utf8ToCp1252Shown(utf8);
}

void WriteText(std::ostream& stream, std::string_view cp1252) {
    stream << Cp1252ToUtf8(cp1252);
}

void WriteLine(std::ostream& stream, std::string_view cp1252) {
    WriteText(stream, cp1252);
    stream << '\n';
}

namespace {

// Turns terminal echo off for as long as it lives.
class CEchoOff {
public:
    CEchoOff() {
        if (::tcgetattr(STDIN_FILENO, &m_saved) == 0) {
            termios quiet = m_saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            m_active = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
        }
    }
    ~CEchoOff() {
        if (m_active)
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
    }
    CEchoOff(const CEchoOff&) = delete;
    CEchoOff& operator=(const CEchoOff&) = delete;

private:
    termios m_saved{};
    bool m_active = false;
};

}  // namespace

std::optional<std::string> ReadSecretLine(CCliIo& io, std::string_view prompt) {
    std::string line;
    bool got;
    if (io.terminal) {
        WriteText(io.err, prompt);
        io.err.flush();
        CEchoOff quiet;
        got = static_cast<bool>(std::getline(io.in, line));
        io.err << '\n';
    } else {
        got = static_cast<bool>(std::getline(io.in, line));
    }
    if (!got)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

}  // namespace tessarin::cli
