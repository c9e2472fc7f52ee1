#pragma once

// Finding a user's newest automatic backup, to restore a database that cannot be read.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessarin {

class CStringTable;

struct CBackupFile {
    std::string path;
    std::filesystem::file_time_type written;
};

// Of the files in the automatic backup folder that are the user's automatic backup (see
// AutoBackupFileName) or one of a series of them (its name less ".vex", then a date and time
// written with digits and separators, then ".vex"), the one written last; none when there is none.
std::optional<CBackupFile> NewestAutoBackup(const CStringTable& strings,
                                            const std::string& documentsFolder,
                                            std::string_view platformText,
                                            std::string_view userName);

}  // namespace tessarin
