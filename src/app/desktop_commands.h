#pragma once

// The file, user, sync, clipboard, find and print commands of the main window, made and bound by
// the shell in one piece.
#include <memory>
#include <string>

#include "app/user_commands.h"
#include "ui/clipboard_commands.h"
#include "ui/file_commands.h"
#include "ui/find_print_commands.h"
#include "ui/password_health_dialog.h"

namespace tessarin {

class CDesktopCommands {
public:
    // `filePrompts` and `runner`: test doubles; the program's dialogs and worker thread when none.
    CDesktopCommands(CUserCommands::CParts parts, CPlatformUser*& current,
                     const std::string& documentsFolder, IFilePrompts* filePrompts = nullptr,
                     IBackgroundRunner* runner = nullptr);
    ~CDesktopCommands();

    void Bind(CCommandTable& commands);

    CFileCommands& Files() { return *m_files; }
    CUserCommands& Users() { return *m_users; }
    CClipboardCommands& Clipboard() { return *m_clipboard; }
    CFindPrintCommands& FindPrint() { return *m_findPrint; }
    CPasswordHealthCommand& Health() { return *m_health; }

private:
    std::unique_ptr<IFilePrompts> m_ownPrompts;
    std::unique_ptr<IBackgroundRunner> m_ownRunner;
    std::unique_ptr<CFileCommands> m_files;
    std::unique_ptr<CUserCommands> m_users;
    std::unique_ptr<CClipboardCommands> m_clipboard;
    std::unique_ptr<CFindPrintCommands> m_findPrint;
    std::unique_ptr<CPasswordHealthCommand> m_health;
    QMainWindow& m_frame;
    CTessarinDesktopView& m_view;
};

}  // namespace tessarin
