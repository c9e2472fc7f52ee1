#include "cli/cli_session.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "base/codepage.h"
#include "base/test_switches.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "security/password_rules.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "store/password_preferences.h"

namespace tessarin::cli {

MessageAnswer CCliMessages::Show(const CMessage& message) {
    const std::vector<std::string_view> args(message.args.begin(), message.args.end());
    WriteLine(m_io.err, FormatText(m_strings.Get(message.id), args));
    if (!message.detail.empty())
        WriteLine(m_io.err, message.detail);
    return CSilentMessages().Show(message);
}

std::chrono::milliseconds LockTimeout() {
    if (const char* value = TestSwitch("TESSARIN_TEST_LOCK_TIMEOUT_MS"); value && *value)
        return std::chrono::milliseconds(std::strtol(value, nullptr, 10));
    return std::chrono::milliseconds(10000);
}

namespace {

// The tool cannot show dialog 217: it says where the database was looked for, and gives up.
class CCliMissingFolder : public IMissingFolderPrompt {
public:
    explicit CCliMissingFolder(CCliSession& session) : m_session(session) {}
    Choice Ask(const std::string& folder) override {
        WriteLine(m_session.Io().err, m_session.Strings().Get(str::kCliDatabaseNotFoundAt));
        WriteLine(m_session.Io().err, FromTerminal(folder));
        return Choice::Cancel;
    }
    std::optional<std::string> PickFolder() override { return std::nullopt; }

private:
    CCliSession& m_session;
};

}  // namespace

CCliSession::CCliSession(CCliIo& io, std::string databasePath, std::string userName)
    : m_io(io),
      m_databasePath(std::move(databasePath)),
      m_messages(io, m_context.Strings()),
      m_userName(std::move(userName)) {
    m_context.SetMessages(&m_messages);
    m_context.SetLock(&m_lock);
    m_context.SetPoster(&m_poster);
    m_context.m_lockTimeout = LockTimeout();
}

int CCliSession::Fail(int id, std::initializer_list<std::string_view> args) {
    WriteLine(m_io.err, Strings().Format(id, args));
    return kExitFailure;
}

int CCliSession::UsageError(int id, std::initializer_list<std::string_view> args) {
    WriteLine(m_io.err, Strings().Format(id, args));
    return kExitUsage;
}

void CCliSession::Say(int id, std::initializer_list<std::string_view> args) {
    WriteLine(m_io.out, Strings().Format(id, args));
}

int CCliSession::StartPlatform() {
    if (m_platformStarted)
        return kExitOk;
    m_platformStarted = true;
    const int result = m_libraries.Load(PlatformLibraryFolder(ProgramFolder()), DocumentsFolder());
    m_context.SetPlatform(&m_libraries.Platform());
    if (result != 0)
        return Fail(str::kErrorInitializingPlatform, {HexCode(result)});
    if (!m_libraries.RefusedLibrary().empty())
        WriteLine(m_io.err, Strings().Format(str::kPlatformLibraryRefused,
                                             {FromTerminal(m_libraries.RefusedLibrary())}));
    m_context.m_hardDelete = m_libraries.Manager().GetDeleteRecordMethod();
    return kExitOk;
}

IPreferenceStore& CCliSession::Store() {
    Preferences();
    return *m_store;
}

int CCliSession::RequireDatabasePath() {
    if (int code = StartPlatform())
        return code;
    if (!m_databasePath.empty())
        return kExitOk;
    CCliMissingFolder prompt(*this);
    const CStartupChoice choice = ChooseUserAndDatabase(
        m_context, m_libraries.Platform(), m_directory, Preferences(), Store(), prompt,
        DocumentsFolder(), m_userName.empty() ? nullptr : &m_userName);
    if (choice.result == CStartupChoice::NoUser)
        return Fail(m_userName.empty() ? str::kCliNoUsers : str::kCliNoSuchUser, {m_userName});
    if (choice.result != CStartupChoice::Ready)
        return kExitFailure;
    m_user = choice.user;
    m_databasePath = choice.databasePath;
    return kExitOk;
}

std::optional<CSecret> CCliSession::AskSecret(int promptId, bool* ended) {
    std::optional<std::string> line = ReadSecretLine(m_io, Strings().Get(promptId));
    if (ended)
        *ended = !line;
    if (!line) {
        if (!ended)
            Fail(str::kCliNoPasswordInput);
        return std::nullopt;
    }
    std::string converted;
    const bool ok = Utf8ToCp1252(*line, converted);
    WipeMemory(line->data(), line->size());
    CSecret secret(converted);
    WipeMemory(converted.data(), converted.size());
    if (!ok) {
        Fail(str::kCliNotWindows1252, {Strings().Get(promptId)});
        return std::nullopt;
    }
    return secret;
}

int CCliSession::OpenExisting(CDatabaseObj& database, bool forChange) {
    if (int code = RequireDatabasePath())
        return code;
    std::error_code error;
    if (!std::filesystem::exists(m_databasePath, error))
        return Fail(str::kCliDatabaseMissing, {FromTerminal(m_databasePath)});
    if (IsPasswordSet(m_databasePath)) {
        std::optional<CSecret> password = AskSecret(str::kCliPasswordPrompt);
        if (!password)
            return kExitFailure;
        if (!CheckPassword(m_databasePath, *password))
            return Fail(str::kWrongPassword);
        SetDatabaseKey(m_context, *password);
    } else {
        SetDatabaseKey(m_context, CSecret());
    }
    if (forChange)
        if (int code = HoldLockUntilDone())
            return code;
    return Report(Load(database, m_databasePath));
}

int CCliSession::HoldLockUntilDone() {
    if (int code = RequireDatabasePath())
        return code;
    m_hold.emplace(m_lock, m_context.m_lockTimeout);
    if (m_hold->Held())
        return kExitOk;
    m_hold.reset();
    return Fail(str::kCliLockTimeout, {FromTerminal(m_databasePath)});
}

CCliSession::CHoldPause::CHoldPause(CCliSession& session)
    : m_session(session), m_paused(session.m_hold.has_value()) {
    m_session.m_hold.reset();
}

CCliSession::CHoldPause::~CHoldPause() {
    // Not taken again within the wait: the save then waits once more, and says so if in vain.
    if (m_paused) {
        m_session.m_hold.emplace(m_session.m_lock, m_session.m_context.m_lockTimeout);
        if (!m_session.m_hold->Held())
            m_session.m_hold.reset();
    }
}

int CCliSession::SaveDatabase(CDatabaseObj& database) {
    return Report(Save(database, false));
}

int CCliSession::Report(const CStoreResult& result) {
    if (result.Ok())
        return kExitOk;
    if (!result.message)
        WriteLine(m_io.err, ResultText(result, Strings()));
    return kExitFailure;
}

CPreferences& CCliSession::Preferences() {
    if (!m_preferences) {
        StartPlatform();
        m_store = std::make_unique<CSettingsStore>();
        m_preferences = std::make_unique<CPreferences>(*m_store);
        m_preferences->SetPlatformName(m_libraries.Manager().GetPlatformName());
        m_preferences->SetUserName(m_preferences->ReadText(Pref::CurrentUser));
    }
    return *m_preferences;
}

int CCliSession::CheckNewDatabasePassword(const CSecret& fresh, const CSecret& confirm,
                                          std::optional<bool> oldIsRight) {
    const auto requirements = ReadRequirements(Preferences());
    const CPasswordVerdict verdict =
        oldIsRight ? CheckChangePassword(fresh, confirm, *oldIsRight, requirements)
                   : CheckFirstPassword(fresh, confirm, requirements);
    if (verdict.Accepted())
        return kExitOk;
    WriteLine(m_io.err, VerdictText(verdict, Strings(), Preferences()));
    return kExitFailure;
}

}  // namespace tessarin::cli
