#include "exchange/backup.h"

#include <filesystem>

#include "exchange/exchange_writer.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/file_io.h"

namespace tessarin {

namespace {

constexpr const char* kProgramFolder = "Tessarin";
constexpr const char* kBackupFolder = "Backup";

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

bool AutoBackup(CDatabaseObj& database, bool databaseChanged, const std::string& documentsFolder,
                std::string_view platformText, std::string_view userName) {
    if (!databaseChanged || documentsFolder.empty())
        return false;
    if (database.m_records.CountMatching(AnyKey, AnyKey) == 0)
        return false;
    CCoreContext& context = database.Context();
    const std::string folder = AutoBackupFolder(context.Strings(), documentsFolder);
    CreatePrivateFolders(folder);  // a failure shows when the file is written
    const std::string path =
        (std::filesystem::path(folder) / AutoBackupFileName(platformText, userName)).string();
    return WriteExchange(database, ExportFormat::Vex, ExportScope::All, nullptr, path,
                         context.DatabaseKey(), true);
}

CImportOutcome Restore(CDatabaseObj& database, const std::string& path, IRecordList& list,
                       IFilePasswordPrompt& prompt) {
    return ImportFile(database, ExchangeFormat::Vex2, path, true, list, prompt);
}

}  // namespace tessarin
