// users: the user directory, with each user's database folder and which user is current.
#include "cli/cli_session.h"
#include "cli/command.h"
#include "platform/paths.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/database_lifecycle.h"

namespace tessarin::cli {

namespace {

class CUsersCommand : public ICommand {
public:
    std::string_view Name() const override { return "users"; }
    int Summary() const override { return str::kCliSummaryUsers; }

    int Run(CCliSession& session, const CParsedArgs&) override {
        if (int code = session.StartPlatform())
            return code;
        IPlatformManager& manager = session.Manager();
        CUserDirectory& directory = session.Directory();
        directory.Build(manager, manager.GetPlatformName(), DocumentsFolder());
        const CPlatformUser* current = ChooseCurrentUser(directory, manager, session.Preferences());
        session.Say(str::kCliUsersHeading);
        const CStringTable& strings = session.Strings();
        for (const auto& user : directory.Users()) {
            const std::string folder = directory.GetUserDataFolder(*user, manager, session.Store());
            const bool password = IsPasswordSet(DatabasePathIn(folder));
            session.Say(str::kCliUserLine,
                        {user.get() == current ? "* " : "  ", user->Name(), user->FolderName(),
                         std::to_string(user->record.PlatformKind()), FromTerminal(folder),
                         strings.Get(password ? str::kCliYes : str::kCliNo)});
        }
        return kExitOk;
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeUsersCommand() {
    return std::make_unique<CUsersCommand>();
}

}  // namespace tessarin::cli
