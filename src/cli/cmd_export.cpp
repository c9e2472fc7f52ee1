// export: all records to an exchange file (optionally with a password of its own) or a CSV file.
#include "cli/cli_session.h"
#include "cli/command.h"
#include "cli/exchange_steps.h"
#include "resources/string_ids.h"

namespace tessarin::cli {

namespace {

class CExportCommand : public ICommand {
public:
    std::string_view Name() const override { return "export"; }
    std::string_view Synopsis() const override { return "--format vex|csv [--protect] OUT"; }
    int Summary() const override { return str::kCliSummaryExport; }
    std::vector<COptionSpec> Options() const override {
        return {{"--format", "vex|csv", str::kCliOptionExportFormat},
                {"--protect", "", str::kCliOptionProtect}};
    }
    size_t MinArguments() const override { return 1; }
    size_t MaxArguments() const override { return 1; }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        const std::string format = args.Has("--format") ? args.Value("--format") : "vex";
        if (format != "vex" && format != "csv")
            return session.UsageError(str::kCliUnknownFormat, {format});
        const bool csv = format == "csv";
        // CSV is never enciphered.
        if (csv && args.Has("--protect"))
            return session.UsageError(str::kCliCsvNotProtected);
        return ExportAllRecords(session, csv ? ExportFormat::Csv : ExportFormat::Vex,
                                args.Has("--protect"), args.positional[0], str::kExportSucceeded);
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeExportCommand() {
    return std::make_unique<CExportCommand>();
}

}  // namespace tessarin::cli
