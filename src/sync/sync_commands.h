#pragma once

// The sync commands, the automatic sync and the switch between users, as far as they need no
// window: the desktop program supplies what must be shown through small interfaces.
#include <functional>
#include <string>

#include "store/store_result.h"
#include "sync/startup.h"
#include "sync/user_directory.h"

namespace tessarin {

class CCoreContext;
class CDatabaseObj;
class CDatabaseSession;
class CPreferences;
class IPreferenceStore;

// Which of the main menu's popups stay at start.
struct CMenuVisibility {
    bool userMenu = true;  // removed when the platform has no handheld
    bool syncMenu = true;  // removed while the user has not activated sync
};
CMenuVisibility StartMenus(IPlatformManager& manager, ISyncEngine& engine,
                           const CPlatformUser* user);

enum class SyncOutcome {
    Nothing,       // no current user
    NotConnected,  // message 193 was shown (or the automatic sync was skipped)
    NotRun,        // the engine did not sync
    NotSaved,      // a change the program could not save before is still not saved (its message was
                   // shown): no sync, so that nothing reads the file over it
    NeedPassword,  // the password changed in the sync: ask for it (anything but OK ends the
                   // program), then reload
    Reloaded,      // the database was read again from its file (see `reload` for how it went)
};

struct CSyncResult {
    SyncOutcome outcome = SyncOutcome::Nothing;
    CStoreResult reload;  // of reading the database again
};

// "Sync": enabled while CanUserSyncNow is true for the current user. A change whose save failed
// is saved first (the handheld gets it, and the reading after the sync would lose it); then the
// engine syncs and the session reads the database again from its folder (its observers let go of
// every item and are told so).
CSyncResult RunSync(CCoreContext& context, ISyncEngine& engine, const CPlatformUser* user,
                    CDatabaseSession& session, void* owner = nullptr);

// The automatic sync: while the device is not connected, message 194 (OK tries again, Cancel
// skips); then as "Sync".
CSyncResult RunAutoSync(CCoreContext& context, ISyncEngine& engine, const CPlatformUser* user,
                        CDatabaseSession& session, void* owner = nullptr);

// "Sync Settings...": enabled while CanDisplaySyncSettings is true.
void ShowSyncSettings(ISyncEngine& engine, const CPlatformUser* user, void* owner = nullptr);

// After a new password is set: message 160 unless the platform has no handheld.
void RemindOfHandheldPassword(CCoreContext& context, IPlatformManager& manager);

// What switching users needs from the desktop program.
class IUserSwitchUi {
public:
    virtual ~IUserSwitchUi() = default;
    // Keeps the list's settings for the user who is current now.
    virtual void SaveListSettings() = 0;
    // The login dialog for `user` (its database has a password): true with the password's key
    // held (SetDatabaseKey) on OK.
    virtual bool LogIn(CPlatformUser& user) = 0;
    // Rebuilds the list's settings, font, filters (all types, all categories) and contents.
    virtual void RebuildList() = 0;
};

struct CSwitchOutcome {
    CPlatformUser* user = nullptr;  // current afterwards: the chosen one, or the one before
    CStoreResult opened;            // of opening the chosen user's database
};

// Command 40000 + n: makes the user of that menu item current and opens their database. The user
// before stays current, with their database, key and list as they were, when the switch is
// abandoned (missing folder, login refused) or the chosen database's password changed between the
// login and the load (KeyChanged). Any other failure to open is in `opened`: the chosen user is
// current then, with what could be read.
CSwitchOutcome SwitchUser(CCoreContext& context, CPlatformBinding& platform,
                          CUserDirectory& directory, CPreferences& preferences,
                          IPreferenceStore& store, IMissingFolderPrompt& prompt, IUserSwitchUi& ui,
                          CPlatformUser* current, uint32_t command, CDatabaseObj& database);

}  // namespace tessarin
