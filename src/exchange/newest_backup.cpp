#include "exchange/newest_backup.h"

#include <algorithm>

#include "exchange/backup.h"

namespace tessarin {

namespace {

constexpr std::string_view kVex = ".vex";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSeparator(char c) {
    return std::string_view(" -_.T").find(c) != std::string_view::npos;
}

// Whether `name` is `stem` and ".vex", or `stem`, a time stamp and ".vex".
bool IsBackupOf(std::string_view name, std::string_view stem) {
    if (name.size() < stem.size() + kVex.size() || !name.starts_with(stem) || !name.ends_with(kVex))
        return false;
    const std::string_view stamp =
        name.substr(stem.size(), name.size() - stem.size() - kVex.size());
    if (stamp.empty())
        return true;
    // Another user's name that begins with this one's goes on with a letter.
    return IsSeparator(stamp.front()) && std::any_of(stamp.begin(), stamp.end(), IsDigit) &&
           std::all_of(stamp.begin(), stamp.end(),
                       [](char c) { return IsDigit(c) || IsSeparator(c); });
}

}  // namespace

std::optional<CBackupFile> NewestAutoBackup(const CStringTable& strings,
                                            const std::string& documentsFolder,
                                            std::string_view platformText,
                                            std::string_view userName) {
    if (documentsFolder.empty())
        return std::nullopt;
    std::string stem = AutoBackupFileName(platformText, userName);
    stem.resize(stem.size() - kVex.size());
    std::optional<CBackupFile> newest;
    std::error_code error;
    // A folder that cannot be listed to its end gives what was listed.
    std::filesystem::directory_iterator it(AutoBackupFolder(strings, documentsFolder), error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code fileError;
        if (!it->is_regular_file(fileError) || !IsBackupOf(it->path().filename().string(), stem))
            continue;
        const auto written = it->last_write_time(fileError);
        if (fileError)
            continue;
        if (!newest || written > newest->written)
            newest = CBackupFile{it->path().string(), written};
    }
    return newest;
}

}  // namespace tessarin
