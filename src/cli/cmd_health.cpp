// health: the masked fields of the list's rows that hold a weak, an empty or a reused password,
// one line (or JSON object) each with the row number that "show" takes, the field and the reason.
// No value is ever printed: a record is named by its type and its first field as "ls" shows it.
#include <string>

#include "base/codepage.h"
#include "cli/cli_session.h"
#include "cli/command.h"
#include "cli/json_writer.h"
#include "cli/list_query.h"
#include "listing/list_columns.h"
#include "listing/password_health.h"
#include "resources/string_ids.h"

namespace tessarin::cli {

namespace {

std::string_view ReasonKey(HealthReason reason) {
    switch (reason) {
        case HealthReason::Empty:
            return "empty";
        case HealthReason::Weak:
            return "weak";
        case HealthReason::Reused:
            break;
    }
    return "reused";
}

class CHealthCommand : public ICommand {
public:
    std::string_view Name() const override { return "health"; }
    int Summary() const override { return str::kCliSummaryHealth; }
    std::vector<COptionSpec> Options() const override {
        return {{"--json", "", str::kCliOptionJson}};
    }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        // The rows of "ls" without options: every record, in the sort the program last used.
        CListQuery query(session);
        if (int code = query.Run(args))
            return code;
        const CRecordListModel& list = query.List();
        const std::vector<CHealthFinding> findings = CheckPasswordHealth(list.Rows());
        const CStringTable& strings = session.Strings();
        const CDatabaseObj& database = query.Database();
        auto label = [&](const CHealthFinding& finding) {
            return HealthFieldLabel(strings, database, *list.RowAt(finding.row), finding.field);
        };

        if (args.Has("--json")) {
            CJsonWriter json;
            json.BeginArray();
            for (const CHealthFinding& finding : findings) {
                json.BeginObject(true);
                json.Key("row");
                json.Number(static_cast<int64_t>(finding.row + 1));
                json.Key("type");
                json.String(Cp1252ToUtf8(list.CellText(finding.row, kTypeColumn)));
                json.Key("record");
                json.String(Cp1252ToUtf8(list.CellText(finding.row, kFirstFieldColumn)));
                json.Key("field");
                json.Number(finding.field + 1);
                json.Key("label");
                json.String(Cp1252ToUtf8(label(finding)));
                json.Key("reason");
                json.String(ReasonKey(finding.reason));
                if (finding.reason == HealthReason::Reused) {
                    json.Key("sameAs");
                    json.BeginArray(true);
                    for (size_t other : finding.sameAs)
                        json.Number(static_cast<int64_t>(other + 1));
                    json.EndArray();
                }
                json.EndObject();
            }
            json.EndArray();
            session.Io().out << json.Text() << '\n';
            return kExitOk;
        }

        if (findings.empty()) {
            WriteLine(session.Io().out, strings.Get(str::kHealthNoFindings));
            return kExitOk;
        }
        const size_t width = std::to_string(list.RowCount()).size();
        for (const CHealthFinding& finding : findings) {
            std::string number = std::to_string(finding.row + 1);
            number.insert(0, width - number.size(), ' ');
            std::string line = number + "  ";
            line.append(list.CellText(finding.row, kTypeColumn)).append("  ");
            line.append(list.CellText(finding.row, kFirstFieldColumn)).append("  ");
            // One line each: a tab or a line break in a name shows as a space.
            for (char& c : line)
                if (static_cast<unsigned char>(c) < 0x20)
                    c = ' ';
            line += strings.Format(str::kHealthFindingLine,
                                   {label(finding), HealthReasonText(strings, finding)});
            WriteLine(session.Io().out, line);
        }
        return kExitOk;
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeHealthCommand() {
    return std::make_unique<CHealthCommand>();
}

}  // namespace tessarin::cli
