// backup: all records to an exchange file, with a password of its own when asked for.
#include "cli/cli_session.h"
#include "cli/command.h"
#include "cli/exchange_steps.h"
#include "resources/string_ids.h"

namespace tessarin::cli {

namespace {

class CBackupCommand : public ICommand {
public:
    std::string_view Name() const override { return "backup"; }
    std::string_view Synopsis() const override { return "OUT [--protect]"; }
    int Summary() const override { return str::kCliSummaryBackup; }
    std::vector<COptionSpec> Options() const override {
        return {{"--protect", "", str::kCliOptionProtect}};
    }
    size_t MinArguments() const override { return 1; }
    size_t MaxArguments() const override { return 1; }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        return ExportAllRecords(session, ExportFormat::Vex, args.Has("--protect"),
                                args.positional[0], str::kBackupSucceeded);
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeBackupCommand() {
    return std::make_unique<CBackupCommand>();
}

}  // namespace tessarin::cli
