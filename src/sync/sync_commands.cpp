#include "sync/sync_commands.h"

#include "resources/string_ids.h"
#include "security/blowfish.h"
#include "security/password.h"
#include "store/core_context.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "store/database_session.h"
#include "store/preferences.h"

namespace tessarin {

CMenuVisibility StartMenus(IPlatformManager& manager, ISyncEngine& engine,
                           const CPlatformUser* user) {
    CMenuVisibility menus;
    menus.userMenu = manager.GetPlatform() != kPlatformStandalone;
    menus.syncMenu = user && engine.HasUserActivatedSync(user->record);
    return menus;
}

CSyncResult RunSync(CCoreContext& context, ISyncEngine& engine, const CPlatformUser* user,
                    CDatabaseSession& session, void* owner) {
    CSyncResult result;
    if (!user)
        return result;
    if (!engine.CanUserSyncNow(user->record)) {
        context.ShowMessage(str::kDeviceNotConnected, {}, MessageIcon::Error);
        result.outcome = SyncOutcome::NotConnected;
        return result;
    }
    if (session.HasUnsaved() && !session.SaveNow().Ok()) {
        result.outcome = SyncOutcome::NotSaved;
        return result;
    }
    if (!engine.PlatformSync(owner, user->record)) {
        result.outcome = SyncOutcome::NotRun;
        return result;
    }
    // The handheld may have brought a new password along.
    if (!CheckCurrentKey(context, DatabasePathIn(session.Folder()))) {
        result.outcome = SyncOutcome::NeedPassword;
        return result;
    }
    result.reload = session.Reload();
    // Another password may have arrived between the check and the reload.
    result.outcome = result.reload.code == StoreCode::KeyChanged ? SyncOutcome::NeedPassword
                                                                 : SyncOutcome::Reloaded;
    return result;
}

CSyncResult RunAutoSync(CCoreContext& context, ISyncEngine& engine, const CPlatformUser* user,
                        CDatabaseSession& session, void* owner) {
    if (!user)
        return {};
    while (!engine.CanUserSyncNow(user->record)) {
        if (context.ShowMessage(str::kConnectHandheldToSync, {}, MessageIcon::Exclamation,
                                MessageButtons::OkCancel) != MessageAnswer::Ok)
            return {SyncOutcome::NotConnected, {}};
    }
    return RunSync(context, engine, user, session, owner);
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

CSwitchOutcome SwitchUser(CCoreContext& context, CPlatformBinding& platform,
                          CUserDirectory& directory, CPreferences& preferences,
                          IPreferenceStore& store, IMissingFolderPrompt& prompt, IUserSwitchUi& ui,
                          CPlatformUser* current, uint32_t command, CDatabaseObj& database) {
    IPlatformManager& manager = platform.Manager();
    CSwitchOutcome outcome{current, {}};
    CPlatformUser* chosen = directory.FindUserByCommand(command);
    if (!chosen || chosen == current)
        return outcome;
    ui.SaveListSettings();

    const std::optional<std::string> dataFolder =
        FindDataFolder(context, manager, directory, *chosen, store, prompt);
    if (!dataFolder)
        return outcome;
    const std::string folder =
        MovePlatformFolder(context, manager, directory, *chosen, *dataFolder);

    // The current user's key comes back when the switch does not happen.
    std::unique_ptr<CKeySchedule> previousKey = context.TakeDatabaseKey();
    auto keepCurrent = [&] {
        context.HoldDatabaseKey(std::move(previousKey));
        return outcome;
    };
    if (IsPasswordSet(DatabasePathIn(folder))) {
        if (!ui.LogIn(*chosen))
            return keepCurrent();
    } else {
        SetDatabaseKey(context, CSecret());
    }

    // Opened before anything else changes: a load that reads nothing leaves the current user's
    // database in memory, with its own path.
    outcome.opened = Open(database, folder);
    if (outcome.opened.code == StoreCode::KeyChanged)
        return keepCurrent();
    preferences.WriteText(Pref::CurrentUser, chosen->Name());
    preferences.SetUserName(chosen->Name());
    platform.SetCurrentUser(chosen->record);
    ui.RebuildList();
    outcome.user = chosen;
    return outcome;
}

}  // namespace tessarin
