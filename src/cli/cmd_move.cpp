// move: the database (and its companion icon file) into another folder.
#include "cli/cli_session.h"
#include "cli/command.h"
#include "resources/string_ids.h"
#include "store/database_lifecycle.h"

namespace tessarin::cli {

namespace {

class CMoveCommand : public ICommand {
public:
    std::string_view Name() const override { return "move"; }
    std::string_view Synopsis() const override { return "FOLDER"; }
    int Summary() const override { return str::kCliSummaryMove; }
    size_t MinArguments() const override { return 1; }
    size_t MaxArguments() const override { return 1; }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        CDatabaseObj database(session.Context());
        if (int code = session.OpenExisting(database, true))
            return code;
        const std::string& folder = args.positional[0];
        if (int code = session.Report(ChangeDatabaseLocation(database, folder, nullptr)))
            return code;
        session.Say(str::kCliMoved, {FromTerminal(folder)});
        return kExitOk;
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeMoveCommand() {
    return std::make_unique<CMoveCommand>();
}

}  // namespace tessarin::cli
