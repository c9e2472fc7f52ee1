// info: the database's format version, password, item counts and handheld name.
#include "cli/cli_session.h"
#include "cli/command.h"
#include "resources/string_ids.h"
#include "security/password.h"

namespace tessarin::cli {

namespace {

class CInfoCommand : public ICommand {
public:
    std::string_view Name() const override { return "info"; }
    int Summary() const override { return str::kCliSummaryInfo; }

    int Run(CCliSession& session, const CParsedArgs&) override {
        CDatabaseObj database(session.Context());
        if (int code = session.OpenExisting(database))
            return code;
        const CStringTable& strings = session.Strings();
        auto count = [&](int id, int kind) {
            const size_t all = database.ListOf(kind).Size();
            const size_t live = database.CountLive(kind);
            session.Say(id, {std::to_string(live), std::to_string(all - live)});
        };
        session.Say(str::kCliInfoVersion, {std::to_string(database.m_version)});
        session.Say(str::kCliInfoPasswordSet,
                    {strings.Get(IsZero(database.m_checkBlock) ? str::kCliNo : str::kCliYes)});
        count(str::kCliInfoTypes, kKindType);
        count(str::kCliInfoCategories, kKindCategory);
        count(str::kCliInfoRecords, kKindRecord);
        session.Say(str::kCliInfoHandheldName, {database.m_handheldName});
        return kExitOk;
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeInfoCommand() {
    return std::make_unique<CInfoCommand>();
}

}  // namespace tessarin::cli
