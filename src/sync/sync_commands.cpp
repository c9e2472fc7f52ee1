#include "sync/sync_commands.h"

#include <filesystem>

#include "resources/string_ids.h"
#include "security/password.h"
#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "store/preferences.h"

namespace tessarin {

namespace fs = std::filesystem;

CMenuVisibility StartMenus(IPlatformManager& manager, ISyncEngine& engine,
                           const CPlatformUser* user) {
    CMenuVisibility menus;
    menus.userMenu = manager.GetPlatform() != kPlatformStandalone;
    menus.syncMenu = user && engine.HasUserActivatedSync(user->record);
    return menus;
}

SyncOutcome RunSync(CCoreContext& context, ISyncEngine& engine, const CPlatformUser* user,
                    CDatabaseObj& database, const std::string& folder, void* owner) {
    if (!user)
        return SyncOutcome::Nothing;
    if (!engine.CanUserSyncNow(user->record)) {
        context.ShowMessage(str::kDeviceNotConnected, {}, MessageIcon::Error);
        return SyncOutcome::NotConnected;
    }
    if (!engine.PlatformSync(owner, user->record))
        return SyncOutcome::NotRun;
    // The handheld may have brought a new password along.
    if (!CheckCurrentKey(context, DatabasePathIn(folder)))
        return SyncOutcome::NeedPassword;
    ReloadAll(database, folder);
    return SyncOutcome::Reloaded;
}

SyncOutcome RunAutoSync(CCoreContext& context, ISyncEngine& engine, const CPlatformUser* user,
                        CDatabaseObj& database, const std::string& folder, void* owner) {
    if (!user)
        return SyncOutcome::Nothing;
    while (!engine.CanUserSyncNow(user->record)) {
        if (context.ShowMessage(str::kConnectHandheldToSync, {}, MessageIcon::Exclamation,
                                MessageButtons::OkCancel) != MessageAnswer::Ok)
            return SyncOutcome::NotConnected;
    }
    return RunSync(context, engine, user, database, folder, owner);
}

void ShowSyncSettings(ISyncEngine& engine, const CPlatformUser* user, void* owner) {
    if (user && engine.CanDisplaySyncSettings(user->record))
        engine.DisplaySyncSettings(owner, user->record);
}

void RemindOfHandheldPassword(CCoreContext& context, IPlatformManager& manager) {
    if (manager.GetPlatform() != kPlatformStandalone)
        context.ShowMessage(str::kSetSamePasswordOnHandheld,
                            {context.Strings().Get(str::kProgramName)}, MessageIcon::Information);
}

CPlatformUser* SwitchUser(CCoreContext& context, IPlatformManager& manager,
                          CUserDirectory& directory, CPreferences& preferences,
                          IPreferenceStore& store, IMissingFolderPrompt& prompt, IUserSwitchUi& ui,
                          CPlatformUser* current, uint32_t command, CDatabaseObj& database) {
    CPlatformUser* chosen = directory.FindUserByCommand(command);
    if (!chosen || chosen == current)
        return current;
    ui.SaveListSettings();

    std::string folder = directory.GetUserDataFolder(*chosen, manager, store);
    std::error_code error;
    while (chosen->folderFromRegistry && !fs::is_directory(folder, error)) {
        const IMissingFolderPrompt::Choice answer = prompt.Ask(folder);
        if (answer == IMissingFolderPrompt::Choice::Cancel)
            return current;
        if (answer != IMissingFolderPrompt::Choice::Change)
            continue;
        const std::optional<std::string> picked = prompt.PickFolder();
        if (!picked)
            continue;
        if (fs::exists(DatabasePathIn(*picked), error)) {
            context.ShowMessage(str::kDatabaseAlreadyExists);
            continue;
        }
        directory.SetUserDataFolder(*chosen, *picked, store);
        folder = *picked;
    }

    if (manager.GetPlatform() == kPlatformRootFolders) {
        const std::string platformFolder = directory.GetUserPlatformFolder(*chosen, manager);
        if (!platformFolder.empty() && fs::exists(DatabasePathIn(platformFolder), error))
            MoveDatabaseFolder(platformFolder, folder);
    }

    if (IsPasswordSet(DatabasePathIn(folder))) {
        if (!ui.LogIn(*chosen))
            return current;
    } else {
        SetDatabaseKey(context, CSecret());
    }

    preferences.WriteText(Pref::CurrentUser, chosen->Name());
    preferences.SetUserName(chosen->Name());
    context.m_currentUser = chosen->record;
    database.Empty();
    Open(database, folder);
    ui.RebuildList();
    return chosen;
}

}  // namespace tessarin
