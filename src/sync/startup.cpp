#include "sync/startup.h"

#include <filesystem>

#include "base/text_case.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "store/preferences.h"

namespace tessarin {

namespace fs = std::filesystem;

namespace {

bool HasDatabase(const std::string& folder) {
    std::error_code error;
    return !folder.empty() && fs::exists(DatabasePathIn(folder), error);
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) ||
           fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

}  // namespace

CPlatformUser* ChooseCurrentUser(CUserDirectory& directory, IPlatformManager& manager,
                                 const CPreferences& preferences) {
    if (CPlatformUser* active = directory.FindActiveUser(manager))
        return active;
    return directory.FindUserByName(preferences.ReadText(Pref::CurrentUser));
}

CStartupChoice ChooseUserAndDatabase(CCoreContext& context, IPlatformManager& manager,
                                     CUserDirectory& directory, CPreferences& preferences,
                                     IPreferenceStore& store, IMissingFolderPrompt& prompt,
                                     const std::string& documentsFolder,
                                     const std::string* requestedUser) {
    CStartupChoice choice;
    const std::string platformName = manager.GetPlatformName();
    preferences.SetPlatformName(platformName);
    context.m_hardDelete = manager.GetDeleteRecordMethod();

    directory.Build(manager, platformName, documentsFolder);
    CPlatformUser* user = nullptr;
    if (requestedUser) {
        user = directory.FindUserByName(*requestedUser);
        if (user && !EqualsNoCase(user->Name(), *requestedUser))
            user = nullptr;
    } else {
        user = ChooseCurrentUser(directory, manager, preferences);
    }
    if (!user) {
        choice.result = CStartupChoice::NoUser;
        return choice;
    }

    if (manager.GetPlatform() == kPlatformRootFolders) {
        const std::string platformFolder = directory.GetUserPlatformFolder(*user, manager);
        const std::string dataFolder = directory.GetUserDataFolder(*user, manager, store);
        // Folders are told apart as the file system does: on Linux, letter case matters.
        if (!platformFolder.empty() && !SameFolder(platformFolder, dataFolder) &&
            HasDatabase(platformFolder))
            MoveDatabaseFolder(platformFolder, dataFolder);
    }

    std::string folder = directory.GetUserDataFolder(*user, manager, store);
    std::error_code error;
    while (user->folderFromRegistry && !fs::is_directory(folder, error)) {
        const IMissingFolderPrompt::Choice answer = prompt.Ask(folder);
        if (answer == IMissingFolderPrompt::Choice::Cancel) {
            choice.result = CStartupChoice::Cancelled;
            return choice;
        }
        if (answer != IMissingFolderPrompt::Choice::Change)
            continue;
        const std::optional<std::string> picked = prompt.PickFolder();
        if (!picked)
            continue;
        if (HasDatabase(*picked)) {
            context.ShowMessage(str::kDatabaseAlreadyExists);
            continue;
        }
        directory.SetUserDataFolder(*user, *picked, store);
        folder = *picked;
        break;
    }

    preferences.WriteText(Pref::CurrentUser, user->Name());
    preferences.SetUserName(user->Name());
    context.m_currentUser = user->record;

    choice.user = user;
    choice.dataFolder = folder;
    choice.databasePath = DatabasePathIn(folder);
    choice.firstRun = !fs::exists(choice.databasePath, error);
    return choice;
}

}  // namespace tessarin
