#include "sync/startup.h"

#include <filesystem>

#include "base/codepage.h"
#include "base/error_codes.h"
#include "base/text_case.h"
#include "resources/error_text.h"
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

std::optional<std::string> FindDataFolder(CCoreContext& context, IPlatformManager& manager,
                                          CUserDirectory& directory, CPlatformUser& user,
                                          IPreferenceStore& store, IMissingFolderPrompt& prompt) {
    std::string folder = directory.GetUserDataFolder(user, manager, store);
    std::error_code error;
    while (user.folderFromRegistry && !fs::is_directory(folder, error)) {
        const IMissingFolderPrompt::Choice answer = prompt.Ask(folder);
        if (answer == IMissingFolderPrompt::Choice::Cancel)
            return std::nullopt;
        if (answer != IMissingFolderPrompt::Choice::Change)
            continue;
        const std::optional<std::string> picked = prompt.PickFolder();
        if (!picked)
            continue;
        if (HasDatabase(*picked)) {
            context.ShowMessage(str::kDatabaseAlreadyExists);
            continue;
        }
        directory.SetUserDataFolder(user, *picked, store);
        return *picked;
    }
    return folder;
}

std::string MovePlatformFolder(CCoreContext& context, IPlatformManager& manager,
                               CUserDirectory& directory, CPlatformUser& user,
                               const std::string& dataFolder) {
    if (manager.GetPlatform() != kPlatformRootFolders)
        return dataFolder;
    const std::string platformFolder = directory.GetUserPlatformFolder(user, manager);
    // Folders are told apart as the file system does: on Linux, letter case matters.
    if (platformFolder.empty() || SameFolder(platformFolder, dataFolder) ||
        !HasDatabase(platformFolder))
        return dataFolder;
    const CStoreResult moved = MoveDatabaseFolder(platformFolder, dataFolder);
    if (moved.Ok())
        return dataFolder;
    context.ShowMessage(
        str::kPlatformFolderNotMoved,
        {Utf8ToCp1252Shown(platformFolder), Utf8ToCp1252Shown(dataFolder),
         WordsWithCode(context.Strings(), ErrorWords(context.Strings(), moved.error), moved.error)},
        MessageIcon::Exclamation);
    return platformFolder;
}

CStartupChoice ChooseUserAndDatabase(CCoreContext& context, CPlatformBinding& platform,
                                     CUserDirectory& directory, CPreferences& preferences,
                                     IPreferenceStore& store, IMissingFolderPrompt& prompt,
                                     const std::string& documentsFolder,
                                     const std::string* requestedUser) {
    IPlatformManager& manager = platform.Manager();
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

    const std::string stored = directory.GetUserDataFolder(*user, manager, store);
    const std::string moved = MovePlatformFolder(context, manager, directory, *user, stored);
    std::optional<std::string> folder =
        FindDataFolder(context, manager, directory, *user, store, prompt);
    if (!folder) {
        choice.result = CStartupChoice::Cancelled;
        return choice;
    }
    // A database the move could not bring over is opened where it still is.
    if (moved != stored)
        folder = moved;

    preferences.WriteText(Pref::CurrentUser, user->Name());
    preferences.SetUserName(user->Name());
    platform.SetCurrentUser(user->record);

    choice.user = user;
    choice.dataFolder = *folder;
    choice.databasePath = DatabasePathIn(*folder);
    std::error_code error;
    choice.firstRun = !fs::exists(choice.databasePath, error);
    return choice;
}

}  // namespace tessarin
