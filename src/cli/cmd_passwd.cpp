// passwd: sets, changes or removes the database password.
#include <filesystem>

#include "cli/cli_session.h"
#include "cli/command.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"

namespace tessarin::cli {

namespace {

class CPasswdCommand : public ICommand {
public:
    std::string_view Name() const override { return "passwd"; }
    int Summary() const override { return str::kCliSummaryPasswd; }

    int Run(CCliSession& session, const CParsedArgs&) override {
        if (int code = session.RequireDatabasePath())
            return code;
        const std::string& path = session.DatabasePath();
        std::error_code error;
        if (!std::filesystem::exists(path, error))
            return session.Fail(str::kCliDatabaseMissing, {FromTerminal(path)});

        // The same questions and checks, in the same order, as the "Set Password" dialogs.
        const bool hasPassword = IsPasswordSet(path);
        CSecret old;
        if (hasPassword) {
            auto answer = session.AskSecret(str::kCliOldPasswordPrompt);
            if (!answer)
                return kExitFailure;
            old = *answer;
        }
        auto fresh = session.AskSecret(str::kCliNewPasswordPrompt);
        if (!fresh)
            return kExitFailure;
        auto confirm = session.AskSecret(str::kCliConfirmPasswordPrompt);
        if (!confirm)
            return kExitFailure;
        std::optional<bool> oldIsRight;
        if (hasPassword)
            oldIsRight = CheckPassword(path, old);
        if (int code = session.CheckNewDatabasePassword(*fresh, *confirm, oldIsRight))
            return code;

        CDatabaseObj database(session.Context());
        SetDatabaseKey(session.Context(), old);
        if (int code = session.Report(Load(database, path)))
            return code;
        if (int code = session.Report(ChangePassword(database, *fresh)))
            return code;
        session.Say(fresh->Empty() ? str::kCliPasswordRemoved : str::kCliPasswordSet);
        return kExitOk;
    }
};

}  // namespace

std::unique_ptr<ICommand> MakePasswdCommand() {
    return std::make_unique<CPasswdCommand>();
}

}  // namespace tessarin::cli
