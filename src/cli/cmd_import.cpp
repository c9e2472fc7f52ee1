// import: records from an exchange file, a CSV file or another password keeper's or manager's
// export.
#include <algorithm>
#include <iterator>
#include <utility>

#include "cli/cli_session.h"
#include "cli/command.h"
#include "cli/exchange_steps.h"
#include "resources/string_ids.h"

namespace tessarin::cli {

namespace {

constexpr std::pair<std::string_view, ExchangeFormat> kFormats[] = {
    {"auto", ExchangeFormat::Detect},
    {"vex", ExchangeFormat::Vex2},
    {"vex1", ExchangeFormat::Vex1},
    {"csv", ExchangeFormat::Csv},
    {"cryptinfo", ExchangeFormat::Cryptinfo},
    {"ewallet", ExchangeFormat::EWallet},
    {"mobilesafe", ExchangeFormat::MobileSafe},
    {"topsecret", ExchangeFormat::TopSecret},
    {"yaps", ExchangeFormat::Yaps},
    {"keepassxc", ExchangeFormat::KeePassXc},
    {"bitwarden", ExchangeFormat::Bitwarden},
    {"chrome", ExchangeFormat::Chrome},
    {"firefox", ExchangeFormat::Firefox},
    {"1password", ExchangeFormat::OnePassword},
    {"lastpass", ExchangeFormat::LastPass},
    {"protonpass", ExchangeFormat::ProtonPass},
};

class CImportCommand : public ICommand {
public:
    std::string_view Name() const override { return "import"; }
    std::string_view Synopsis() const override { return "[--format FORMAT] IN"; }
    int Summary() const override { return str::kCliSummaryImport; }
    std::vector<COptionSpec> Options() const override {
        return {{"--format", "FORMAT", str::kCliOptionImportFormat}};
    }
    size_t MinArguments() const override { return 1; }
    size_t MaxArguments() const override { return 1; }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        const std::string name = args.Has("--format") ? args.Value("--format") : "auto";
        const auto known = std::find_if(std::begin(kFormats), std::end(kFormats),
                                        [&](const auto& f) { return f.first == name; });
        if (known == std::end(kFormats))
            return session.UsageError(str::kCliUnknownFormat, {name});

        CDatabaseObj database(session.Context());
        if (int code = session.OpenExisting(database, true))
            return code;
        CAllTypesList list(database);
        CCliFilePrompt prompt(session);
        const CImportOutcome outcome =
            ImportFile(database, known->second, args.positional[0], false, list, prompt);
        return ReportImport(session, outcome, str::kCliImported);
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeImportCommand() {
    return std::make_unique<CImportCommand>();
}

}  // namespace tessarin::cli
