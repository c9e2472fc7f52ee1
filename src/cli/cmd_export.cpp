// export: all records to an exchange file (optionally with a password of its own), a CSV file, or a
// CSV file for Bitwarden or KeePassXC.
#include <algorithm>
#include <iterator>
#include <utility>

#include "cli/cli_session.h"
#include "cli/command.h"
#include "cli/exchange_steps.h"
#include "resources/string_ids.h"

namespace tessarin::cli {

namespace {

constexpr std::pair<std::string_view, ExportFormat> kFormats[] = {
    {"vex", ExportFormat::Vex},
    {"csv", ExportFormat::Csv},
    {"bitwarden-csv", ExportFormat::BitwardenCsv},
    {"keepassxc-csv", ExportFormat::KeePassXcCsv},
};

class CExportCommand : public ICommand {
public:
    std::string_view Name() const override { return "export"; }
    std::string_view Synopsis() const override {
        return "--format vex|csv|bitwarden-csv|keepassxc-csv [--protect] OUT";
    }
    int Summary() const override { return str::kCliSummaryExport; }
    std::vector<COptionSpec> Options() const override {
        return {{"--format", "vex|csv|bitwarden-csv|keepassxc-csv", str::kCliOptionExportFormat},
                {"--protect", "", str::kCliOptionProtect}};
    }
    size_t MinArguments() const override { return 1; }
    size_t MaxArguments() const override { return 1; }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        const std::string name = args.Has("--format") ? args.Value("--format") : "vex";
        const auto known = std::find_if(std::begin(kFormats), std::end(kFormats),
                                        [&](const auto& f) { return f.first == name; });
        if (known == std::end(kFormats))
            return session.UsageError(str::kCliUnknownFormat, {name});
        const ExportFormat format = known->second;
        // CSV is never enciphered.
        if (format != ExportFormat::Vex && args.Has("--protect"))
            return session.UsageError(str::kCliCsvNotProtected);
        const int code = ExportAllRecords(session, format, args.Has("--protect"),
                                          args.positional[0], str::kExportSucceeded);
        // Said of the CSV files for other managers, which leave this program to be read.
        if (code == kExitOk && IsForOtherManager(format))
            WriteLine(session.Io().err, session.Strings().Get(str::kManagerExportInClear));
        return code;
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeExportCommand() {
    return std::make_unique<CExportCommand>();
}

}  // namespace tessarin::cli
