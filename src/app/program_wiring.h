#pragma once

// Who hears whom in the desktop program: every connection between its parts is made here, once,
// when the main window and its commands exist. A part that follows one of its own members (the
// automatic lock its timer, the view its list) connects that itself.
namespace tessarin {

class CAutoLock;
class CDesktopCommands;
class CLockController;
class CMainFrame;
class CRecordCommands;
class CTessarinDesktopView;
class CUserDirectory;
class CStringTable;

struct CProgramParts {
    const CStringTable& strings;
    CMainFrame& frame;
    CTessarinDesktopView& view;
    CLockController& lock;
    CAutoLock& autoLock;
    CDesktopCommands& commands;
    CRecordCommands& records;
    CUserDirectory& directory;
    // The platform has no handheld: the title does not name the user.
    bool standalone;
};

void WireProgram(const CProgramParts& parts);

}  // namespace tessarin
