#include "app/program_wiring.h"

#include <QStatusBar>
#include <QUrl>

#include "app/desktop_commands.h"
#include "app/locking.h"
#include "app/main_frame.h"
#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "ui/desktop_view.h"
#include "ui/lock_controller.h"
#include "ui/record_commands.h"
#include "ui/shell_open.h"
#include "ui/ui_text.h"

namespace tessarin {

void WireProgram(const CProgramParts& p) {
    CAutoLock& autoLock = p.autoLock;
    CMainFrame& frame = p.frame;
    const auto activity = [&autoLock] { autoLock.RestartAutoLockTimer(); };

    // What counts as the user's activity re-arms the automatic lock.
    QObject::connect(&p.view, &CTessarinDesktopView::activity, &frame, activity);
    QObject::connect(&p.records, &CRecordCommands::activity, &frame, activity);
    QObject::connect(&p.commands.Files(), &CFileCommands::activity, &frame, activity);

    // The database's password changed elsewhere: once the call that met it has returned, the
    // program locks and asks for the new one. Coming back to the window looks first.
    QObject::connect(
        &p.view, &CTessarinDesktopView::passwordChangedElsewhere, &frame,
        [&autoLock] { autoLock.SyncUnlock(); }, Qt::QueuedConnection);
    QObject::connect(&p.commands.Users(), &CUserCommands::newPasswordNeeded, &frame,
                     [&autoLock] { autoLock.SyncUnlock(); });
    QObject::connect(&frame, &CMainFrame::activated, &frame,
                     [&autoLock] { autoLock.CheckKeyStillFits(); });

    // Locked means nothing readable: no secret of ours stays on the clipboard either.
    CClipboardCommands& clipboard = p.commands.Clipboard();
    QObject::connect(&p.lock, &CLockController::locked, &frame,
                     [&clipboard] { clipboard.ClearSecretsNow(); });
    QObject::connect(&clipboard, &CClipboardCommands::statusMessage, &frame,
                     [&frame](const QString& text) { frame.statusBar()->showMessage(text); });

    QObject::connect(&p.view, &CTessarinDesktopView::openLink, &frame,
                     [](const QString& target) { OpenInDesktop(QUrl(target)); });

    // Another user: the title names them, the lock's dialog offers them, and the idle time counts
    // from the switch.
    const CStringTable& strings = p.strings;
    CUserDirectory& directory = p.directory;
    const bool standalone = p.standalone;
    QObject::connect(&p.commands.Users(), &CUserCommands::userChanged, &frame,
                     [&frame, &autoLock, &directory, &strings, standalone](CPlatformUser* user) {
                         QString title = UiText(strings, str::kProgramName);
                         if (!standalone)
                             title += QStringLiteral(" - ") + Cp1252ToQString(user->Name());
                         frame.setWindowTitle(title);
                         const auto& users = directory.Users();
                         for (size_t i = 0; i < users.size(); ++i)
                             if (users[i].get() == user)
                                 autoLock.SetCurrentUser(static_cast<int>(i));
                         autoLock.RestartAutoLockTimer();
                     });
}

}  // namespace tessarin
