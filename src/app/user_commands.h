#pragma once

// The "&User" menu and the switch between users, "Sync", "Sync Settings..." and the automatic
// sync when the list opens and when the program ends.
#include <QObject>
#include <QStringList>

#include "sync/sync_commands.h"

class QMainWindow;
class QMenu;

namespace tessarin {

class CCommandTable;
class CCoreContext;
class CPlatformLibraries;
class CPreferences;
class CTessarinDesktopView;
class IPreferenceStore;
class IShellPrompts;

// The "&User" menu, switching users and the sync commands. A switch or a sync reads the database
// again and has the record list rebuild its settings, font, filters and rows for the user then
// current.
class CUserCommands : public QObject {
    Q_OBJECT
public:
    struct CParts {
        CCoreContext& context;
        CPlatformLibraries& libraries;
        CUserDirectory& directory;
        CPreferences& preferences;
        IPreferenceStore& store;
        IShellPrompts& prompts;
        CTessarinDesktopView& view;
        QMainWindow& frame;
    };
    // `current` is the shell's current user, which a switch changes.
    CUserCommands(CParts parts, CPlatformUser*& current, QObject* parent = nullptr);

    // Binds "Sync", "Sync Settings..." and the users' commands; the "&User" menu is built anew
    // each time it opens.
    void Bind(CCommandTable& commands);

    // The "&User" menu's items, as they are about to be shown.
    void FillUserMenu(QMenu& menu);
    // Command 40000 + n. True when the user changed.
    bool SwitchTo(uint32_t command);
    // "Sync" (also the button of the list's strip): message 193 when the device is not connected.
    void SyncCommand();
    // The automatic sync when the list is first shown, and when the program ends: only when the
    // engine wants it for the current user; message 194 until the device is connected or skipped.
    void AutoSync();
    void SyncSettingsCommand();

Q_SIGNALS:
    // The password changed in a sync: the list has emptied, and the login is to ask for the new
    // one (the shell's unlock, which ends the program on anything but OK).
    void newPasswordNeeded();
    // Another user is current: what shows the user (the title, the lock's dialog) follows.
    void userChanged(CPlatformUser* user);

private:
    void AfterSync(const CSyncResult& result);
    void Rebuild();
    void SaveListSettings();
    QStringList UserNames() const;
    int IndexOf(const CPlatformUser* user) const;

    CParts m_parts;
    CPlatformUser*& m_current;
    CCommandTable* m_commands = nullptr;
};

}  // namespace tessarin
