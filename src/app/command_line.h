#pragma once

// The program's command line: a file to import, and switches. A switch is a slash followed by
// letters only ("/rl"); every other argument is a path (absolute paths begin with a slash too), and
// a "file:" URL, as a file manager may pass, names its local file.
#include <optional>
#include <string>
#include <vector>

namespace tessarin {

class CCommandLine {
public:
    explicit CCommandLine(std::vector<std::string> args) : m_args(std::move(args)) {}

    bool Empty() const { return m_args.empty(); }
    // The whole command line is "/rl": a restored window moves 30 pixels right and down.
    bool ShiftsWindow() const { return m_args.size() == 1 && m_args[0] == "/rl"; }
    // The file named, made absolute against `currentFolder`; none when the command line is empty
    // or begins with a switch.
    std::optional<std::string> FilePath(const std::string& currentFolder) const;

    static bool IsSwitch(const std::string& arg);

private:
    std::vector<std::string> m_args;
};

}  // namespace tessarin
