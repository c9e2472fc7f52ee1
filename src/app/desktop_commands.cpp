#include "app/desktop_commands.h"

#include <QMainWindow>

#include "app/x11_clipboard_probe.h"
#include "store/core_context.h"
#include "store/preferences.h"
#include "ui/desktop_view.h"
#include "ui/view_imports.h"

namespace tessarin {

CDesktopCommands::CDesktopCommands(CUserCommands::CParts parts, CPlatformUser*& current,
                                   const std::string& documentsFolder, IFilePrompts* filePrompts,
                                   IBackgroundRunner* runner)
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
    parts.view.Imports().SetFilePasswordPrompt(&filePrompts->ImportPassword());
    CUserDirectory& directory = parts.directory;
    IPreferenceStore& store = parts.store;
    m_files = std::make_unique<CFileCommands>(
        parts.context, parts.view, *filePrompts, *runner, documentsFolder,
        [&directory, &store, &current](const std::string& folder) {
            return current && directory.SetUserDataFolder(*current, folder, store);
        });

    CPreferences& preferences = parts.preferences;
    m_findPrint = std::make_unique<CFindPrintCommands>(
        parts.context, preferences, parts.view,
        [&current, &preferences] { return current ? current->Name() : preferences.UserName(); },
        &parts.frame);

    m_users = std::make_unique<CUserCommands>(parts, current);
    m_health = std::make_unique<CPasswordHealthCommand>(parts.context, parts.view, &parts.frame);
    m_clipboard = std::make_unique<CClipboardCommands>(parts.context, parts.preferences, parts.view,
                                                       nullptr, MakeClipboardProbe());
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
