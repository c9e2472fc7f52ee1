#pragma once

// The application object: start-up from the first step to the first list shown, the commands
// that need the whole program (passwords, auto-lock, the user guide), and shut-down.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/lock_timer.h"
#include "store/core_context.h"
#include "store/preferences.h"
#include "sync/platform_loader.h"
#include "sync/user_directory.h"

namespace tessarin {

class CActivityFilter;
class CDesktopCommands;
class CDesktopEndpoint;
class CFileLock;
class CFrameStates;
class CAutoLock;
class CLockController;
class CMainFrame;
class CMessageBoxSink;
class CQtLocale;
class CRecordCommands;
class CSessionLockWatcher;
class CSocketPoster;
class CTessarinDesktopView;
class CTrayIcon;
class IBackgroundRunner;
class IFilePrompts;
class IPreferenceStore;
class IShellPrompts;

inline constexpr const char* kSampleDataFileName = "sample-data.vex";

struct CDesktopOptions {
    std::vector<std::string> args;  // the command line, without the program's name
    std::string programFolder;      // the sample data, the guide, the language file, the libraries
    std::string documentsFolder;
    std::string currentFolder;  // relative paths of the command line are taken from here
    // Test doubles; the program's own when none.
    IShellPrompts* prompts = nullptr;
    IMessageSink* messages = nullptr;
    IPreferenceStore* store = nullptr;
    IFilePrompts* filePrompts = nullptr;
    IBackgroundRunner* runner = nullptr;
    std::function<std::unique_ptr<ILockTimer>()> makeTimer;
    // Whether to follow the desktop session's lock over D-Bus.
    bool watchSession = true;
    // Whether the desktop shows a tray; asked of the desktop when not given.
    std::optional<bool> trayAvailable;
};

class CTessarinDesktopApp {
public:
    explicit CTessarinDesktopApp(CDesktopOptions options);
    ~CTessarinDesktopApp();
    CTessarinDesktopApp(const CTessarinDesktopApp&) = delete;
    CTessarinDesktopApp& operator=(const CTessarinDesktopApp&) = delete;

    // The start-up sequence; false ends the program (exit code 0) without a window.
    bool InitInstance();
    // Shut-down after the main window closed: the automatic backup, the libraries. The exit code.
    int ExitInstance();

    CCoreContext& Context() { return m_context; }
    CPreferences& Preferences() { return *m_preferences; }
    CMainFrame* Frame() { return m_frame; }
    CTessarinDesktopView* View() { return m_view; }
    CAutoLock* Lock() { return m_lock.get(); }
    CLockController* LockController() { return m_lockController.get(); }
    CRecordCommands* RecordCommands() { return m_recordCommands; }
    CPlatformUser* CurrentUser() { return m_user; }
    CDesktopCommands* Commands() { return m_commands.get(); }
    CFrameStates* FrameStates() { return m_frameStates.get(); }
    CTrayIcon* Tray() { return m_tray.get(); }
    CSessionLockWatcher* SessionWatcher() { return m_sessionWatcher.get(); }
    bool Started() const { return m_started; }

    // "&Set Password...", "&Auto-Lock..." and "Pr&eferences...".
    void SetPasswordCommand();
    void AutoLockCommand();
    void PreferencesCommand();

private:
    void LoadLanguage();
    // The login at start; false when the user quit.
    bool LogIn(std::string& folder);
    void MakeUserCurrent(CPlatformUser& user);
    bool CreateFrame(const std::string& folder);
    void BindCommands();

    CDesktopOptions m_options;
    CCoreContext m_context;
    std::unique_ptr<CMessageBoxSink> m_messageBoxes;
    std::unique_ptr<CFileLock> m_fileLock;
    std::unique_ptr<CSocketPoster> m_poster;
    std::unique_ptr<IPreferenceStore> m_ownStore;
    IPreferenceStore* m_store = nullptr;
    std::unique_ptr<CPreferences> m_preferences;
    std::unique_ptr<IShellPrompts> m_ownPrompts;
    IShellPrompts* m_prompts = nullptr;
    std::unique_ptr<CQtLocale> m_locale;
    CPlatformLibraries m_libraries;
    CUserDirectory m_directory;
    CPlatformUser* m_user = nullptr;
    CMainFrame* m_frame = nullptr;
    CTessarinDesktopView* m_view = nullptr;
    CRecordCommands* m_recordCommands = nullptr;  // owned by the frame
    std::unique_ptr<CDesktopEndpoint> m_endpoint;
    std::unique_ptr<CLockController> m_lockController;
    std::unique_ptr<CAutoLock> m_lock;
    std::unique_ptr<CSessionLockWatcher> m_sessionWatcher;
    std::unique_ptr<CFrameStates> m_frameStates;
    std::unique_ptr<CActivityFilter> m_activity;
    std::unique_ptr<CTrayIcon> m_tray;
    std::unique_ptr<CDesktopCommands> m_commands;
    bool m_started = false;
};

// Runs the desktop program; the process's exit code.
int RunDesktopApp(int argc, char** argv);

}  // namespace tessarin
