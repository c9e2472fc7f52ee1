#include "sync/sync_commands.h"

#include "resources/string_ids.h"
#include "security/password.h"
#include "store/core_context.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "store/preferences.h"

namespace tessarin {

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

CPlatformUser* SwitchUser(CCoreContext& context, CPlatformBinding& platform,
                          CUserDirectory& directory, CPreferences& preferences,
                          IPreferenceStore& store, IMissingFolderPrompt& prompt, IUserSwitchUi& ui,
                          CPlatformUser* current, uint32_t command, CDatabaseObj& database) {
    IPlatformManager& manager = platform.Manager();
    CPlatformUser* chosen = directory.FindUserByCommand(command);
    if (!chosen || chosen == current)
        return current;
    ui.SaveListSettings();

    const std::optional<std::string> dataFolder =
        FindDataFolder(context, manager, directory, *chosen, store, prompt);
    if (!dataFolder)
        return current;
    const std::string folder =
        MovePlatformFolder(context, manager, directory, *chosen, *dataFolder);

    if (IsPasswordSet(DatabasePathIn(folder))) {
        if (!ui.LogIn(*chosen))
            return current;
    } else {
        SetDatabaseKey(context, CSecret());
    }

    preferences.WriteText(Pref::CurrentUser, chosen->Name());
    preferences.SetUserName(chosen->Name());
    platform.SetCurrentUser(chosen->record);
    database.Empty();
    Open(database, folder);
    ui.RebuildList();
    return chosen;
}

}  // namespace tessarin
