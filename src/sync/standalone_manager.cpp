#include <filesystem>

#include "sync/platform_manager.h"

namespace tessarin {

std::string ProgramDataFolder(const std::string& documentsFolder) {
    return (std::filesystem::path(documentsFolder) / "Marrowgate" / "Tessarin").string();
}

std::string CStandaloneManager::GetPlatformRootDir2(const CPlatformUserRecord&,
                                                    const std::string& folderName) {
    if (m_documents.empty())
        return {};
    return (std::filesystem::path(ProgramDataFolder(m_documents)) / folderName).string();
}

}  // namespace tessarin
