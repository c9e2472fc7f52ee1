#include "app/command_line.h"

#include <algorithm>
#include <filesystem>

#include <QUrl>

namespace tessarin {

bool CCommandLine::IsSwitch(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '/' && std::all_of(arg.begin() + 1, arg.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
           });
}

std::optional<std::string> CCommandLine::FilePath(const std::string& currentFolder) const {
    if (m_args.empty() || IsSwitch(m_args[0]) || m_args[0].empty())
        return std::nullopt;
    std::string path = m_args[0];
    if (path.rfind("file:", 0) == 0)
        path = QUrl(QString::fromStdString(path)).toLocalFile().toStdString();
    if (path.empty())
        return std::nullopt;
    return (std::filesystem::path(currentFolder) / path).lexically_normal().string();
}

}  // namespace tessarin
