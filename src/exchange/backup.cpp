#include "exchange/backup.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "exchange/exchange_writer.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/file_io.h"

namespace tessarin {

namespace {

constexpr const char* kProgramFolder = "Tessarin";
constexpr const char* kBackupFolder = "Backup";
constexpr std::string_view kExtension = ".vex";
// "YYYY-MM-DD HH-MM-SS": sorts as it runs, and holds no character a file name may not.
constexpr std::string_view kStampPattern = "dddd-dd-dd dd-dd-dd";

std::string_view Stem(std::string_view fileName) {
    if (fileName.ends_with(kExtension))
        fileName.remove_suffix(kExtension.size());
    return fileName;
}

bool IsStamp(std::string_view text) {
    if (text.size() != kStampPattern.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (kStampPattern[i] == 'd' ? !digit : text[i] != kStampPattern[i])
            return false;
    }
    return true;
}

// Adds a dated copy of the backup at `path` to the series and removes the oldest copies beyond
// `keep`. A copy of the same second is replaced: the newer one holds the later state.
void AddToSeries(const std::string& folder, const std::string& path, unsigned keep,
                 std::time_t now) {
    const std::string fileName = std::filesystem::path(path).filename().string();
    const std::string dated =
        (std::filesystem::path(folder) / DatedBackupFileName(fileName, now)).string();
    std::error_code error;
    std::filesystem::remove(dated, error);
    if (CopyFileNoReplace(path, dated) != 0)
        return;
    std::vector<std::string> series = DatedBackups(folder, fileName);
    while (series.size() > keep) {
        std::filesystem::remove(std::filesystem::path(folder) / series.front(), error);
        series.erase(series.begin());
    }
}

}  // namespace

std::string AutoBackupFolder(const CStringTable& strings, const std::string& documentsFolder) {
    return (std::filesystem::path(documentsFolder) / strings.Get(str::kCompanyKey) /
            kProgramFolder / kBackupFolder)
        .string();
}

std::string AutoBackupFileName(std::string_view platformText, std::string_view userName) {
    std::string name = kProgramFolder;
    name.append("-").append(platformText).append("-").append(userName).append(".vex");
    for (char& c : name)
        if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    return name;
}

std::string DatedBackupFileName(std::string_view fileName, std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M-%S", &local);
    std::string name(Stem(fileName));
    name.append(" ").append(stamp).append(kExtension);
    return name;
}

std::vector<std::string> DatedBackups(const std::string& folder, std::string_view fileName) {
    const std::string prefix = std::string(Stem(fileName)) + " ";
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + kStampPattern.size() + kExtension.size() &&
            name.starts_with(prefix) && name.ends_with(kExtension) &&
            IsStamp(std::string_view(name).substr(prefix.size(), kStampPattern.size())) &&
            entry.is_regular_file(error))
            found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool AutoBackup(CDatabaseObj& database, bool databaseChanged, const std::string& documentsFolder,
                std::string_view platformText, std::string_view userName, unsigned keep,
                std::time_t now) {
    if (!databaseChanged || documentsFolder.empty())
        return false;
    if (database.m_records.CountMatching(AnyKey, AnyKey) == 0)
        return false;
    CCoreContext& context = database.Context();
    const std::string folder = AutoBackupFolder(context.Strings(), documentsFolder);
    CreatePrivateFolders(folder);  // a failure shows when the file is written
    const std::string path =
        (std::filesystem::path(folder) / AutoBackupFileName(platformText, userName)).string();
    if (!WriteExchange(database, ExportFormat::Vex, ExportScope::All, nullptr, path,
                       context.DatabaseKey(), true))
        return false;
    if (keep > 0)
        AddToSeries(folder, path, keep, now);
    return true;
}

CImportOutcome Restore(CDatabaseObj& database, const std::string& path, IRecordList& list,
                       IFilePasswordPrompt& prompt) {
    return ImportFile(database, ExchangeFormat::Vex2, path, true, list, prompt);
}

}  // namespace tessarin
