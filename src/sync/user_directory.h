#pragma once

// The users of the sync platform, each with a database of their own, and where each one's data
// lives.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sync/platform_manager.h"

namespace tessarin {

class IPreferenceStore;

inline constexpr uint32_t kFirstUserCommand = 40000;
inline constexpr uint32_t kLastUserCommand = 40030;
inline constexpr const char* kStandaloneFolderName = "_Standalone_";
inline constexpr const char* kUserDirectoryValue = "User Directory";

struct CPlatformUser {
    CPlatformUserRecord record;
    uint32_t menuCommand = 0;  // set when the user menu is built
    bool standalone = false;
    bool folderFromRegistry = false;  // the data folder is the stored "User Directory"
    // The settings section that holds the user's "User Directory": the platform name, " - " and
    // the user's folder name.
    std::string registryKey;

    std::string Name() const { return record.Name(); }
    std::string FolderName() const { return record.FolderName(); }
};

// One item of the "&User" menu.
struct CUserMenuItem {
    std::string name;
    uint32_t command = 0;
    bool checked = false;
};

// A folder name made safe for the file system: \ / : * ? " < > | become _, trailing white space
// goes.
std::string CleanFolderName(const std::string& name);

class CUserDirectory {
public:
    // The users the manager lists, in its order, then the standalone user when the platform has
    // no handheld or a standalone data folder exists in the documents folder.
    void Build(IPlatformManager& manager, const std::string& platformName,
               const std::string& documentsFolder);

    std::vector<std::unique_ptr<CPlatformUser>>& Users() { return m_users; }
    bool Empty() const { return m_users.empty(); }

    // The first user the manager reports as syncing now, or none.
    CPlatformUser* FindActiveUser(IPlatformManager& manager) const;
    // The user of that name (without regard to case), else the first user; none when empty.
    CPlatformUser* FindUserByName(const std::string& name) const;
    // The user whose menu item has that command, or none.
    CPlatformUser* FindUserByCommand(uint32_t command) const;

    // The user's data folder: the stored "User Directory" when not empty, else the manager's
    // default data folder for the user's cleaned folder name. Folders are file-system paths
    // (UTF-8); the stored value is Windows-1252 text, converted on the way in and out.
    std::string GetUserDataFolder(CPlatformUser& user, IPlatformManager& manager,
                                  const IPreferenceStore& store) const;
    // False when the folder could not be stored (or its name holds a character Windows-1252
    // cannot hold).
    bool SetUserDataFolder(CPlatformUser& user, const std::string& folder,
                           IPreferenceStore& store) const;
    // Empty for the standalone user; else the manager's platform folder for the user.
    std::string GetUserPlatformFolder(const CPlatformUser& user, IPlatformManager& manager) const;

    // The "&User" menu: one item per user with command 40000 + position; the current user, or the
    // first when the current one is not listed, is checked. Only commands up to 40030 choose a
    // user.
    std::vector<CUserMenuItem> FillUserMenu(const CPlatformUser* current);

private:
    std::vector<std::unique_ptr<CPlatformUser>> m_users;
};

}  // namespace tessarin
