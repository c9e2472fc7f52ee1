#pragma once

// What the shell asks the user at start and at a lock, behind one interface: the program shows
// its dialogs, tests answer in their place.
#include <functional>
#include <memory>
#include <optional>

#include <QStringList>

#include "base/secure_memory.h"
#include "sync/startup.h"
#include "ui/start_failure_dialog.h"

class QWidget;

namespace tessarin {

class CPreferences;
class CStringTable;
class IMessageSink;

// A start that could not read the user's database: what the load said, and the newest automatic
// backup (its name and when it was written; empty when there is none, then the folder where none
// was found).
struct CStartFailure {
    QString why;
    QString newestBackup;
    QString written;
    QString backupFolder;
};

class IShellPrompts {
public:
    using CheckFunction = std::function<bool(int user, const CSecret& password)>;
    virtual ~IShellPrompts() = default;

    // "Enter Password" until `check` accepts (the chosen user on OK) or the user quits (none).
    // `forUser` chooses the text for several users.
    virtual std::optional<int> AskPassword(bool forUser, const QStringList& users, int selected,
                                           bool usersEnabled, const CheckFunction& check) = 0;
    // "Welcome to Tessarin": a new password that meets the requirements, or none on "Quit".
    virtual std::optional<CSecret> AskWelcomePassword() = 0;
    // Dialog 217 and its folder picker.
    virtual IMissingFolderPrompt& MissingFolder() = 0;
    virtual void ShowGettingStarted() = 0;
    // What to do about a database that could not be read at start.
    virtual StartFailureChoice AskStartFailure(const CStartFailure& failure) = 0;
};

// The program's dialogs.
std::unique_ptr<IShellPrompts> MakeDialogPrompts(const CStringTable& strings,
                                                 IMessageSink& messages,
                                                 const CPreferences& preferences);

}  // namespace tessarin
