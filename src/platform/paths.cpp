#include "platform/paths.h"

#include <filesystem>

#include <QStandardPaths>

namespace tessarin {

std::string DocumentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
}

std::string ProgramFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

}  // namespace tessarin
