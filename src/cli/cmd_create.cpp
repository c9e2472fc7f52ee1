// create: a new database file, with the built-in types and categories unless asked not to.
#include <filesystem>

#include "cli/cli_session.h"
#include "cli/command.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/builtins.h"
#include "store/core_context.h"
#include "store/database_key.h"
#include "store/file_io.h"

namespace tessarin::cli {

namespace {

class CCreateCommand : public ICommand {
public:
    std::string_view Name() const override { return "create"; }
    int Summary() const override { return str::kCliSummaryCreate; }
    std::vector<COptionSpec> Options() const override {
        return {{"--no-defaults", "", str::kCliOptionNoDefaults},
                {"--set-password", "", str::kCliOptionSetPassword}};
    }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        if (int code = session.RequireDatabasePath())
            return code;
        const std::string& path = session.DatabasePath();
        std::error_code error;
        if (std::filesystem::exists(path, error))
            return session.Fail(str::kCliDatabaseExists, {FromTerminal(path)});

        CSecret password;
        if (args.Has("--set-password")) {
            auto first = session.AskSecret(str::kCliNewPasswordPrompt);
            if (!first)
                return kExitFailure;
            auto confirm = session.AskSecret(str::kCliConfirmPasswordPrompt);
            if (!confirm)
                return kExitFailure;
            if (int code = session.CheckNewDatabasePassword(*first, *confirm, std::nullopt))
                return code;
            password = *first;
        }

        CDatabaseObj database(session.Context());
        database.m_path = path;
        if (!args.Has("--no-defaults")) {
            CreateBuiltInTypes(database.m_types);
            CreateBuiltInCategories(database.m_categories);
        }
        SetPassword(session.Context(), database, password);
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!folder.empty())
            CreatePrivateFolders(folder.string());  // a failure shows when the file is saved
        // Nobody else may make the file between the look and the save.
        CLockHold hold(session.Context().Lock(), session.Context().m_lockTimeout);
        if (!hold.Held())
            return session.Report(CStoreResult::Failure(StoreCode::LockTimeout, 0, path));
        if (std::filesystem::exists(path, error))
            return session.Fail(str::kCliDatabaseExists, {FromTerminal(path)});
        if (int code = session.SaveDatabase(database))
            return code;
        session.Say(str::kCliCreated, {FromTerminal(path)});
        return kExitOk;
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeCreateCommand() {
    return std::make_unique<CCreateCommand>();
}

}  // namespace tessarin::cli
