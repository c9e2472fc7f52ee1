#include <algorithm>
#include <iostream>

#include "cli/cli_session.h"
#include "cli/command.h"
#include "resources/string_ids.h"

namespace tessarin::cli {

std::vector<std::unique_ptr<ICommand>> AllCommands() {
    std::vector<std::unique_ptr<ICommand>> commands;
    commands.push_back(MakeCreateCommand());
    commands.push_back(MakeInfoCommand());
    commands.push_back(MakeDumpCommand());
    commands.push_back(MakePasswdCommand());
    commands.push_back(MakeMoveCommand());
    commands.push_back(MakeUsersCommand());
    commands.push_back(MakeGenerateCommand());
    commands.push_back(MakeIconsCommand());
    commands.push_back(MakeExportCommand());
    commands.push_back(MakeImportCommand());
    commands.push_back(MakeBackupCommand());
    commands.push_back(MakeRestoreCommand());
    commands.push_back(MakeLsCommand());
    commands.push_back(MakeShowCommand());
    commands.push_back(MakePrintCommand());
    commands.push_back(MakeHealthCommand());
    return commands;
}

namespace {

const COptionSpec kHelpOption{"--help", "", str::kCliOptionHelp};
const COptionSpec kDbOption{"--db", "FILE", str::kCliOptionDb};
const COptionSpec kUserOption{"--user", "NAME", str::kCliOptionUser};

void PrintOptions(const CStringTable& strings, std::ostream& out,
                  const std::vector<COptionSpec>& options) {
    WriteLine(out, strings.Get(str::kCliOptionsHeading));
    for (const COptionSpec& o : options) {
        std::string left = "  " + o.name + (o.valueName.empty() ? "" : " " + o.valueName);
        left.resize(std::max<size_t>(left.size() + 2, 24), ' ');
        WriteLine(out, left + strings.Get(o.help));
    }
}

void PrintUsage(const CStringTable& strings, std::ostream& out,
                const std::vector<std::unique_ptr<ICommand>>& commands) {
    WriteLine(out, strings.Get(str::kCliUsage));
    out << '\n';
    PrintOptions(strings, out, {kDbOption, kUserOption, kHelpOption});
    out << '\n';
    WriteLine(out, strings.Get(str::kCliCommandsHeading));
    for (const auto& command : commands) {
        std::string left = "  " + std::string(command->Name());
        left.resize(std::max<size_t>(left.size() + 2, 24), ' ');
        WriteLine(out, left + strings.Get(command->Summary()));
    }
    out << '\n';
    WriteLine(out, strings.Get(str::kCliHelpHint));
}

// Splits arguments into the options of `specs` and positional arguments. Returns 0, or the
// exit code after a message.
int ParseArgs(CCliSession& session, const std::vector<std::string>& args, size_t first,
              const std::vector<COptionSpec>& specs, CParsedArgs& parsed, bool stopAtPositional,
              size_t* stoppedAt = nullptr) {
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            parsed.positional.insert(parsed.positional.end(), args.begin() + i + 1, args.end());
            return 0;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            if (stopAtPositional) {
                *stoppedAt = i;
                return 0;
            }
            parsed.positional.push_back(arg);
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const auto option = std::find_if(specs.begin(), specs.end(),
                                       [&](const COptionSpec& s) { return s.name == name; });
        if (option == specs.end())
            return session.UsageError(str::kCliUnknownOption, {name});
        if (option->valueName.empty()) {
            if (equals != std::string::npos)
                return session.UsageError(str::kCliUnexpectedArgument, {arg});
            parsed.options[name] = "";
        } else if (equals != std::string::npos) {
            parsed.options[name] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            parsed.options[name] = args[++i];
        } else {
            return session.UsageError(str::kCliOptionNeedsValue, {name});
        }
    }
    if (stopAtPositional)
        *stoppedAt = args.size();
    return 0;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CCliIo& io) {
    const auto commands = AllCommands();
    // Parsing only needs the texts; the session for the command is made once the database is known.
    CCliSession parsing(io, "");
    CParsedArgs global;
    size_t commandAt = 0;
    if (int code = ParseArgs(parsing, args, 0, {kDbOption, kUserOption, kHelpOption}, global, true,
                             &commandAt))
        return code;
    if (commandAt >= args.size()) {
        PrintUsage(parsing.Strings(), global.Has("--help") ? io.out : io.err, commands);
        return global.Has("--help") ? kExitOk : kExitUsage;
    }
    const std::string& name = args[commandAt];
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const auto& c) { return c->Name() == name; });
    if (command == commands.end())
        return parsing.UsageError(str::kCliUnknownCommand, {name});

    std::vector<COptionSpec> specs = (*command)->Options();
    specs.push_back(kDbOption);
    specs.push_back(kUserOption);
    specs.push_back(kHelpOption);
    CParsedArgs parsed;
    if (int code = ParseArgs(parsing, args, commandAt + 1, specs, parsed, false))
        return code;
    if (parsed.Has("--help")) {
        std::string usage = "tessarin-cli [--db FILE] " + name;
        if (!(*command)->Synopsis().empty())
            usage += " " + std::string((*command)->Synopsis());
        WriteLine(io.out, usage);
        WriteLine(io.out, parsing.Strings().Get((*command)->Summary()));
        io.out << '\n';
        PrintOptions(parsing.Strings(), io.out, specs);
        return kExitOk;
    }
    if (parsed.positional.size() > (*command)->MaxArguments())
        return parsing.UsageError(str::kCliUnexpectedArgument, {parsed.positional.back()});
    if (parsed.positional.size() < (*command)->MinArguments()) {
        std::string usage =
            "tessarin-cli [--db FILE] " + name + " " + std::string((*command)->Synopsis());
        WriteLine(io.err, usage);
        return kExitUsage;
    }
    // --db may also follow the command.
    auto option = [&](const std::string& name) {
        return parsed.Has(name) ? parsed.Value(name) : global.Value(name);
    };
    CCliSession session(io, option("--db"), option("--user"));
    return (*command)->Run(session, parsed);
}

}  // namespace tessarin::cli
