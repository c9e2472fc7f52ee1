#include "sync/user_directory.h"

#include <filesystem>

#include "base/codepage.h"
#include "base/text_case.h"
#include "store/preference_store.h"

namespace tessarin {

namespace {

// A manager that answers "skip" for ever must not hold the program at start.
constexpr int kMaxIndexes = 100000;

std::string RegistryKey(const std::string& platformName, const std::string& folderName) {
    return platformName + " - " + folderName;
}

}  // namespace

std::string CleanFolderName(const std::string& name) {
    std::string clean = name;
    for (char& c : clean)
        if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    while (!clean.empty() && (clean.back() == ' ' || clean.back() == '\t' || clean.back() == '\r' ||
                              clean.back() == '\n' || clean.back() == '\v' || clean.back() == '\f'))
        clean.pop_back();
    return clean;
}

void CUserDirectory::Build(IPlatformManager& manager, const std::string& platformName,
                           const std::string& documentsFolder) {
    m_users.clear();
    for (int index = 0; index < kMaxIndexes; ++index) {
        CPlatformUserRecord record;
        const EnumerateResult result = manager.EnumeratePlatformUsers(index, record);
        if (result == EnumerateResult::End)
            break;
        if (result == EnumerateResult::Skip)
            continue;
        auto user = std::make_unique<CPlatformUser>();
        user->record = record;
        user->registryKey = RegistryKey(platformName, record.FolderName());
        m_users.push_back(std::move(user));
    }
    std::error_code error;
    const bool standaloneFolder =
        !documentsFolder.empty() &&
        std::filesystem::is_directory(
            std::filesystem::path(ProgramDataFolder(documentsFolder)) / kStandaloneFolderName,
            error);
    if (manager.GetPlatform() == kPlatformStandalone || standaloneFolder) {
        auto user = std::make_unique<CPlatformUser>();
        user->record = CPlatformUserRecord::Standalone();
        user->standalone = true;
        user->registryKey = RegistryKey(platformName, kStandaloneFolderName);
        m_users.push_back(std::move(user));
    }
}

CPlatformUser* CUserDirectory::FindActiveUser(IPlatformManager& manager) const {
    for (const auto& user : m_users)
        if (manager.IsPlatformUserActive(user->Name(), user->FolderName(),
                                         user->record.UserNumber()))
            return user.get();
    return nullptr;
}

CPlatformUser* CUserDirectory::FindUserByName(const std::string& name) const {
    for (const auto& user : m_users)
        if (EqualsNoCase(user->Name(), name))
            return user.get();
    return m_users.empty() ? nullptr : m_users.front().get();
}

CPlatformUser* CUserDirectory::FindUserByCommand(uint32_t command) const {
    if (command < kFirstUserCommand || command > kLastUserCommand)
        return nullptr;
    for (const auto& user : m_users)
        if (user->menuCommand == command)
            return user.get();
    return nullptr;
}

std::string CUserDirectory::GetUserDataFolder(CPlatformUser& user, IPlatformManager& manager,
                                              const IPreferenceStore& store) const {
    const std::string folderName = CleanFolderName(user.FolderName());
    if (auto stored = store.ReadText(user.registryKey, kUserDirectoryValue);
        stored && !stored->empty()) {
        user.folderFromRegistry = true;
        return Cp1252ToUtf8(*stored);  // a folder's name as the file system spells it
    }
    return manager.GetPlatformRootDir2(user.record, folderName);
}

bool CUserDirectory::SetUserDataFolder(CPlatformUser& user, const std::string& folder,
                                       IPreferenceStore& store) const {
    // Stored text is Windows-1252: a folder whose name it cannot hold is not stored.
    std::string text;
    if (!Utf8ToCp1252(folder, text))
        return false;
    store.WriteText(user.registryKey, kUserDirectoryValue, text);
    const auto stored = store.ReadText(user.registryKey, kUserDirectoryValue);
    if (!stored || *stored != text)
        return false;
    user.folderFromRegistry = true;
    return true;
}

std::string CUserDirectory::GetUserPlatformFolder(const CPlatformUser& user,
                                                  IPlatformManager& manager) const {
    if (user.standalone)
        return {};
    return manager.GetPlatformRootDir(user.record, CleanFolderName(user.FolderName()));
}

std::vector<CUserMenuItem> CUserDirectory::FillUserMenu(const CPlatformUser* current) {
    std::vector<CUserMenuItem> items;
    bool currentListed = false;
    for (size_t i = 0; i < m_users.size(); ++i) {
        CPlatformUser& user = *m_users[i];
        user.menuCommand = kFirstUserCommand + static_cast<uint32_t>(i);
        currentListed = currentListed || &user == current;
        items.push_back({user.Name(), user.menuCommand, &user == current});
    }
    if (!currentListed && !items.empty())
        items.front().checked = true;
    return items;
}

}  // namespace tessarin
