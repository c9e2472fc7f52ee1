#pragma once

// One command of the tool, behind one small interface; each lives in a file of its own.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin::cli {

class CCliSession;

struct COptionSpec {
    std::string name;       // "--no-defaults"
    std::string valueName;  // empty: a switch without value
    int help = 0;           // string number of its description
};

struct CParsedArgs {
    std::map<std::string, std::string> options;  // name -> value ("" for switches)
    std::vector<std::string> positional;
    bool Has(const std::string& name) const { return options.count(name) != 0; }
    std::string Value(const std::string& name) const {
        const auto it = options.find(name);
        return it == options.end() ? std::string() : it->second;
    }
};

class ICommand {
public:
    virtual ~ICommand() = default;
    virtual std::string_view Name() const = 0;
    virtual std::string_view Synopsis() const { return {}; }  // e.g. "OUT"
    virtual int Summary() const = 0;                          // string number
    virtual std::vector<COptionSpec> Options() const { return {}; }
    // How many positional arguments the command takes.
    virtual size_t MinArguments() const { return 0; }
    virtual size_t MaxArguments() const { return 0; }
    // Returns the process's exit code: 0 success, 1 failure, 2 wrong usage.
    virtual int Run(CCliSession& session, const CParsedArgs& args) = 0;
};

std::vector<std::unique_ptr<ICommand>> AllCommands();

// The commands, one factory each.
std::unique_ptr<ICommand> MakeCreateCommand();
std::unique_ptr<ICommand> MakeInfoCommand();
std::unique_ptr<ICommand> MakeDumpCommand();
std::unique_ptr<ICommand> MakePasswdCommand();
std::unique_ptr<ICommand> MakeMoveCommand();
std::unique_ptr<ICommand> MakeUsersCommand();
std::unique_ptr<ICommand> MakeGenerateCommand();
std::unique_ptr<ICommand> MakeIconsCommand();
std::unique_ptr<ICommand> MakeExportCommand();
std::unique_ptr<ICommand> MakeImportCommand();
std::unique_ptr<ICommand> MakeBackupCommand();
std::unique_ptr<ICommand> MakeRestoreCommand();
std::unique_ptr<ICommand> MakeLsCommand();
std::unique_ptr<ICommand> MakeShowCommand();
std::unique_ptr<ICommand> MakePrintCommand();
std::unique_ptr<ICommand> MakeHealthCommand();

}  // namespace tessarin::cli
