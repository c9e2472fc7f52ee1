#include "app/desktop_commands.h"

#include <QMainWindow>
#include <QStatusBar>

#include "app/locking.h"
#include "app/x11_clipboard_probe.h"
#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/preferences.h"
#include "sync/platform_loader.h"
#include "ui/desktop_view.h"
#include "ui/ui_text.h"

namespace tessarin {

CDesktopCommands::CDesktopCommands(CUserCommands::CParts parts, CPlatformUser*& current,
                                   CAutoLock& lock, const std::string& documentsFolder,
                                   IFilePrompts* filePrompts, IBackgroundRunner* runner)
    : m_frame(parts.frame), m_view(parts.view) {
    const CStringTable& strings = parts.context.Strings();
    if (!filePrompts) {
        m_ownPrompts = MakeDialogFilePrompts(strings, parts.context.Messages(), &parts.frame);
        filePrompts = m_ownPrompts.get();
    }
    if (!runner) {
        m_ownRunner = MakeThreadRunner(strings, &parts.frame);
        runner = m_ownRunner.get();
    }
    // The view's own imports (the sample data, a file handed over) ask with the same dialog.
    parts.view.SetFilePasswordPrompt(&filePrompts->ImportPassword());
    m_files = std::make_unique<CFileCommands>(parts.context, parts.view, *filePrompts, *runner,
                                              documentsFolder);
    m_files->m_keepAwake = [&lock] { lock.RestartAutoLockTimer(); };
    CUserDirectory& directory = parts.directory;
    IPreferenceStore& store = parts.store;
    m_files->m_storeFolder = [&directory, &store, &current](const std::string& folder) {
        return current && directory.SetUserDataFolder(*current, folder, store);
    };

    CPreferences& preferences = parts.preferences;
    m_findPrint = std::make_unique<CFindPrintCommands>(
        parts.context, preferences, parts.view,
        [&current, &preferences] { return current ? current->Name() : preferences.UserName(); },
        &parts.frame);

    m_users = std::make_unique<CUserCommands>(parts, current);
    m_users->m_askNewPassword = [&lock] { lock.SyncUnlock(); };
    CUserCommands* users = m_users.get();
    parts.view.m_syncButtonAction = [users] { users->SyncCommand(); };
    const bool standalone = parts.libraries.Manager().GetPlatform() == kPlatformStandalone;
    QMainWindow& frame = parts.frame;
    m_users->m_userChanged = [&frame, &lock, &directory, &strings,
                              standalone](CPlatformUser& user) {
        QString title = UiText(strings, str::kProgramName);
        if (!standalone)
            title += QStringLiteral(" - ") + Cp1252ToQString(user.Name());
        frame.setWindowTitle(title);
        const auto& users = directory.Users();
        for (size_t i = 0; i < users.size(); ++i)
            if (users[i].get() == &user)
                lock.SetCurrentUser(static_cast<int>(i));
        lock.RestartAutoLockTimer();
    };

    m_health = std::make_unique<CPasswordHealthCommand>(parts.context, parts.view, &parts.frame);
    m_clipboard = std::make_unique<CClipboardCommands>(parts.context, parts.preferences, parts.view,
                                                       nullptr, MakeClipboardProbe());
    m_clipboard->m_showStatus = [&frame](const QString& text) {
        frame.statusBar()->showMessage(text);
    };
}

CDesktopCommands::~CDesktopCommands() = default;

void CDesktopCommands::Bind(CCommandTable& commands) {
    m_files->Bind(commands, &m_view);
    m_users->Bind(commands);
    m_clipboard->Bind(commands);
    m_findPrint->Bind(commands);
    m_health->Bind(commands);
}

}  // namespace tessarin
