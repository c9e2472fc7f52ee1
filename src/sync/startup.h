#pragma once

// The part of start-up that needs no window, shared by the desktop program and the command-line
// tool: choose the user, move a platform folder's database, find the database folder, and record
// the user as current.
#include <optional>
#include <string>

#include "sync/platform_binding.h"
#include "sync/user_directory.h"

namespace tessarin {

class CCoreContext;
class CPreferences;
class IPreferenceStore;

// Asked while a user's stored database folder does not exist (the desktop shows dialog 217).
class IMissingFolderPrompt {
public:
    enum class Choice { Retry, Change, Cancel };
    virtual ~IMissingFolderPrompt() = default;
    virtual Choice Ask(const std::string& folder) = 0;
    // The folder the user picked instead, or none.
    virtual std::optional<std::string> PickFolder() = 0;
};

// The user start-up would choose (the directory built): the first the platform reports as syncing,
// else the one named by "Current User" (without regard to case), else the first; none when the
// directory is empty.
CPlatformUser* ChooseCurrentUser(CUserDirectory& directory, IPlatformManager& manager,
                                 const CPreferences& preferences);

struct CStartupChoice {
    enum Result { Ready, NoUser, Cancelled } result = Ready;
    CPlatformUser* user = nullptr;
    std::string dataFolder;
    std::string databasePath;
    bool firstRun = false;  // no database file yet
};

// The user's data folder, asking `prompt` while the folder stored for the user does not exist:
// Retry looks again, Change takes a folder the user picks unless it already holds a database
// (message 171), Cancel gives none.
std::optional<std::string> FindDataFolder(CCoreContext& context, IPlatformManager& manager,
                                          CUserDirectory& directory, CPlatformUser& user,
                                          IPreferenceStore& store, IMissingFolderPrompt& prompt);

// When the platform keeps user folders in its root, moves a database left in the user's platform
// folder into `dataFolder`. The folder the database is in afterwards: `dataFolder`, or, when the
// move failed (after message 19000 with both folders and the code), the platform folder, so that
// the user's records are opened where they still are.
std::string MovePlatformFolder(CCoreContext& context, IPlatformManager& manager,
                               CUserDirectory& directory, CPlatformUser& user,
                               const std::string& dataFolder);

// Builds the user directory and chooses the user: `requestedUser` when given (without regard to
// case; NoUser when nobody has that name), else the first one the platform reports as syncing,
// else the one named by "Current User", else the first. When the platform keeps user folders in
// its root, a database left in the user's platform folder is moved to the data folder. While the
// stored data folder is missing, `prompt` decides. The chosen user's name is stored as "Current
// User", the preferences' user section becomes the user's, and the platform's current user is set.
CStartupChoice ChooseUserAndDatabase(CCoreContext& context, CPlatformBinding& platform,
                                     CUserDirectory& directory, CPreferences& preferences,
                                     IPreferenceStore& store, IMissingFolderPrompt& prompt,
                                     const std::string& documentsFolder,
                                     const std::string* requestedUser = nullptr);

}  // namespace tessarin
