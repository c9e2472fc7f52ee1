// restore: replaces every type, category and record by those of a backup, once confirmed.
#include <iostream>

#include "base/text_case.h"
#include "cli/cli_session.h"
#include "cli/command.h"
#include "cli/exchange_steps.h"
#include "exchange/backup.h"
#include "resources/string_ids.h"

namespace tessarin::cli {

namespace {

class CRestoreCommand : public ICommand {
public:
    std::string_view Name() const override { return "restore"; }
    std::string_view Synopsis() const override { return "IN [--yes]"; }
    int Summary() const override { return str::kCliSummaryRestore; }
    std::vector<COptionSpec> Options() const override {
        return {{"--yes", "", str::kCliOptionYes}};
    }
    size_t MinArguments() const override { return 1; }
    size_t MaxArguments() const override { return 1; }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        CCliIo& io = session.Io();
        // The question has No for its default: without a terminal to ask, only --yes restores.
        if (!args.Has("--yes") && !io.terminal)
            return session.UsageError(str::kCliRestoreNeedsYes);
        CDatabaseObj database(session.Context());
        if (int code = session.OpenExisting(database, true))
            return code;
        if (!args.Has("--yes") && !Confirmed(session))
            return session.Fail(str::kCliNothingRestored);

        CAllTypesList list(database);
        CCliFilePrompt prompt(session);
        const CImportOutcome outcome = Restore(database, args.positional[0], list, prompt);
        const int code = ReportImport(session, outcome, str::kCliRestored);
        if (!outcome.keptAt.empty() && outcome.save.Ok())
            session.Say(str::kRestoreKeptAt, {FromTerminal(outcome.keptAt)});
        return code;
    }

private:
    static bool Confirmed(CCliSession& session) {
        CCliIo& io = session.Io();
        WriteLine(io.err, session.Strings().Get(str::kRestoreConfirm));
        WriteText(io.err, session.Strings().Get(str::kCliRestoreQuestion));
        io.err.flush();
        std::string answer;
        if (!std::getline(io.in, answer))
            return false;
        return EqualsNoCase(answer, "y") || EqualsNoCase(answer, "yes");
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeRestoreCommand() {
    return std::make_unique<CRestoreCommand>();
}

}  // namespace tessarin::cli
