#pragma once

// What every command works with: the streams, the core's context, the database file named, and the
// shared steps of asking for passwords and opening and saving the database.
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/error_codes.h"
#include "base/messages.h"
#include "base/secure_memory.h"
#include "cli/cli_io.h"
#include "platform/file_lock.h"
#include "platform/notice_socket.h"
#include "store/core_context.h"
#include "store/database.h"
#include "store/preferences.h"
#include "store/store_result.h"
#include "sync/platform_loader.h"
#include "sync/startup.h"
#include "sync/user_directory.h"

namespace tessarin::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Messages the core asks for, printed on standard error.
class CCliMessages : public IMessageSink {
public:
    CCliMessages(CCliIo& io, const CStringTable& strings) : m_io(io), m_strings(strings) {}
    MessageAnswer Show(const CMessage& message) override;

private:
    CCliIo& m_io;
    const CStringTable& m_strings;
};

class CCliSession {
public:
    // Without a database path, the current user's database is found the way start-up finds it;
    // `userName` picks another user than the current one.
    CCliSession(CCliIo& io, std::string databasePath, std::string userName = {});

    CCliIo& Io() { return m_io; }
    CCoreContext& Context() { return m_context; }
    const CStringTable& Strings() const { return m_context.Strings(); }
    const std::string& DatabasePath() const { return m_databasePath; }

    // Prints the string-table text with its arguments to standard error.
    int Fail(int id, std::initializer_list<std::string_view> args = {});
    int UsageError(int id, std::initializer_list<std::string_view> args = {});
    void Say(int id, std::initializer_list<std::string_view> args = {});

    // Starts the sync platform (its libraries, or the standalone manager) once. 0, or the exit code
    // after message 191.
    int StartPlatform();
    // Makes sure there is a database path: the one named, else the chosen user's. 0, or the exit
    // code after a message.
    int RequireDatabasePath();
    CUserDirectory& Directory() { return m_directory; }
    IPlatformManager& Manager() { return m_libraries.Manager(); }
    CPlatformUser* CurrentUser() { return m_user; }
    IPreferenceStore& Store();

    // Asks for one password. None (after a message) when the input has ended or holds a character
    // that Windows-1252 cannot hold. With `ended`, the end of the input is said there instead of
    // in a message.
    std::optional<CSecret> AskSecret(int promptId, bool* ended = nullptr);

    // Opens the database file that must exist: asks for its password when it has one, then loads
    // it. With `forChange`, the lock is held from the load to the end of the command
    // (HoldLockUntilDone). 0, or the exit code after a message.
    int OpenExisting(CDatabaseObj& database, bool forChange = false);

    // Holds the database lock from now to the end of the command, for a command that changes the
    // database: its read and its save are then one hold, and nobody writes in between. 0, or the
    // exit code after the message that the database is in use.
    int HoldLockUntilDone();
    // Lets go of that hold while the user is asked something, and takes it again afterwards: a
    // question must not keep every other writer waiting. What others save meanwhile is brought in
    // by the save.
    class CHoldPause {
    public:
        explicit CHoldPause(CCliSession& session);
        ~CHoldPause();
        CHoldPause(const CHoldPause&) = delete;
        CHoldPause& operator=(const CHoldPause&) = delete;

    private:
        CCliSession& m_session;
        bool m_paused;
    };

    // Saves; 0, or the exit code after the save's message.
    int SaveDatabase(CDatabaseObj& database);
    // The exit code of a result of the store: 0 when it is Ok; otherwise 1, after saying what went
    // wrong unless the store has shown its own message already.
    int Report(const CStoreResult& result);

    // The program's preferences (the user's settings file, and the system-wide one behind it),
    // read as the user who last logged in to the program ("Current User").
    CPreferences& Preferences();

    // Checks a new database password as the "Set Password" dialogs do (173 with the old password's
    // verdict, else 176), the administrator's requirements included. 0, or the exit code after the
    // message.
    int CheckNewDatabasePassword(const CSecret& fresh, const CSecret& confirm,
                                 std::optional<bool> oldIsRight);

private:
    CCliIo& m_io;
    CCoreContext m_context;
    std::string m_databasePath;
    CCliMessages m_messages;
    CFileLock m_lock;
    std::optional<CLockHold> m_hold;
    CSocketPoster m_poster;
    std::unique_ptr<IPreferenceStore> m_store;
    std::unique_ptr<CPreferences> m_preferences;
    std::string m_userName;
    CPlatformLibraries m_libraries;
    bool m_platformStarted = false;
    CUserDirectory m_directory;
    CPlatformUser* m_user = nullptr;
};

// How long loads and saves wait for the lock: 10 s, or what the test-only variable
// TESSARIN_TEST_LOCK_TIMEOUT_MS says.
std::chrono::milliseconds LockTimeout();

// Runs the tool on its arguments (without the program name).
int RunCli(const std::vector<std::string>& args, CCliIo& io);

}  // namespace tessarin::cli
