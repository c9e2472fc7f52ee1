#include "cli/cli_session.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "base/codepage.h"
#include "platform/settings_store.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "security/password_rules.h"
#include "store/database_lifecycle.h"

namespace tessarin::cli {

std::string HexCode(int code) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(code));
    return text;
}

MessageAnswer CCliMessages::Show(const CMessage& message) {
    const std::vector<std::string_view> args(message.args.begin(), message.args.end());
    WriteLine(m_io.err, FormatText(m_strings.Get(message.id), args));
    ++m_shown;
    return CSilentMessages().Show(message);
}

std::chrono::milliseconds LockTimeout() {
    if (const char* value = std::getenv("TESSARIN_TEST_LOCK_TIMEOUT_MS"); value && *value)
        return std::chrono::milliseconds(std::strtol(value, nullptr, 10));
    return std::chrono::milliseconds(10000);
}

CCliSession::CCliSession(CCliIo& io, std::string databasePath)
    : m_io(io), m_databasePath(std::move(databasePath)), m_messages(io, m_context.Strings()) {
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

bool CCliSession::RequireDatabasePath() {
    if (!m_databasePath.empty())
        return true;
    UsageError(str::kCliNoDatabase);
    return false;
}

std::optional<CSecret> CCliSession::AskSecret(int promptId) {
    std::optional<std::string> line = ReadSecretLine(m_io, Strings().Get(promptId));
    if (!line) {
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

int CCliSession::OpenExisting(CDatabaseObj& database) {
    if (!RequireDatabasePath())
        return kExitUsage;
    std::error_code error;
    if (!std::filesystem::exists(m_databasePath, error))
        return Fail(str::kCliDatabaseMissing, {m_databasePath});
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
    std::string detail;
    const int result = Load(database, m_databasePath, &detail);
    if (result == -1)
        return Fail(str::kCliLockTimeout, {m_databasePath});
    if (result != 0 && database.m_loadState != LoadState::Loaded)
        return Fail(str::kCliDatabaseUnreadable, {m_databasePath, detail});
    // A failed upgrade save has shown its message already.
    return result == 0 ? kExitOk : kExitFailure;
}

int CCliSession::SaveDatabase(CDatabaseObj& database) {
    const int shown = m_messages.Shown();
    const int result = Save(database, false);
    // A save that could not get the lock says nothing itself; every other failure has spoken.
    if (result == -1 && m_messages.Shown() == shown)
        return Fail(str::kCliLockTimeout, {m_databasePath});
    return result == 0 ? kExitOk : kExitFailure;
}

CPreferences& CCliSession::Preferences() {
    if (!m_preferences) {
        m_store = std::make_unique<CSettingsStore>();
        m_preferences = std::make_unique<CPreferences>(*m_store);
        m_preferences->SetPlatformName(m_context.Manager().GetPlatformName());
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
