// generate: new passwords, one a line, by the rules of the "Generate Password" dialog.
#include <string>

#include "base/codepage.h"
#include "cli/cli_session.h"
#include "cli/command.h"
#include "resources/string_ids.h"
#include "security/password_generator.h"

namespace tessarin::cli {

namespace {

constexpr int kMaxCount = 1000000;

// The sets named by SETS, one character each (Windows-1252); none after a message.
std::optional<uint16_t> ParseSets(CCliSession& session, const std::string& utf8) {
    std::string text;
    if (!Utf8ToCp1252(utf8, text)) {
        session.UsageError(str::kCliNotWindows1252, {"--sets"});
        return std::nullopt;
    }
    uint16_t bits = 0;
    for (const char c : text) {
        switch (static_cast<uint8_t>(c)) {
            case 'a':
                bits |= kSetLower;
                break;
            case 'A':
                bits |= kSetCapitals;
                break;
            case '0':
                bits |= kSetDigits;
                break;
            case '!':
                bits |= kSetSymbols;
                break;
            case 0xE4:  // ä
                bits |= kSetAccented;
                break;
            default:
                session.UsageError(str::kCliUnknownSet, {std::string_view(&c, 1)});
                return std::nullopt;
        }
    }
    return bits;
}

class CGenerateCommand : public ICommand {
public:
    std::string_view Name() const override { return "generate"; }
    int Summary() const override { return str::kCliSummaryGenerate; }
    std::vector<COptionSpec> Options() const override {
        return {{"--length", "N", str::kCliOptionLength},
                {"--sets", "SETS", str::kCliOptionSets},
                {"--pronounceable", "", str::kCliOptionPronounceable},
                {"--count", "K", str::kCliOptionCount}};
    }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        // An empty field opens the dialog with its shortest default length.
        int length = InitialDialogLength(0);
        if (args.Has("--length")) {
            const auto given =
                ParseIntInRange(args.Value("--length"), kMinDialogLength, kMaxDialogLength);
            if (!given)
                return session.UsageError(str::kParseIntRange, {std::to_string(kMinDialogLength),
                                                                std::to_string(kMaxDialogLength)});
            length = *given;
        }
        int count = 1;
        if (args.Has("--count")) {
            const auto given = ParseIntInRange(args.Value("--count"), 1, kMaxCount);
            if (!given)
                return session.UsageError(str::kParseIntRange, {"1", std::to_string(kMaxCount)});
            count = *given;
        }
        uint16_t bits;
        if (args.Has("--sets")) {
            const auto sets = ParseSets(session, args.Value("--sets"));
            if (!sets)
                return kExitUsage;
            bits = *sets;
        } else {
            // The sets ticked when the program last generated; its method is chosen here.
            bits = static_cast<uint16_t>(
                session.Preferences().ReadNumber(Pref::PasswordGeneratorFlags) & kAllSets);
        }
        if ((bits & kAllSets) == 0)
            return session.UsageError(str::kNoCharacterSet);
        if (args.Has("--pronounceable"))
            bits |= kPronounceable;

        CPasswordGenerator& generator = session.Context().PasswordGenerator();
        for (int i = 0; i < count; ++i) {
            const CSecret password = generator.Generate(static_cast<size_t>(length), bits);
            std::string line = Cp1252ToUtf8(password.View());
            line += '\n';
            session.Io().out << line;
            WipeMemory(line.data(), line.size());
        }
        return kExitOk;
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeGenerateCommand() {
    return std::make_unique<CGenerateCommand>();
}

}  // namespace tessarin::cli
