// show ROW: one row of the list (as "ls" with the same options numbers them, from 1) with its
// labels, values, category and note.
#include <charconv>

#include "base/codepage.h"
#include "cli/cli_session.h"
#include "cli/command.h"
#include "cli/json_writer.h"
#include "cli/list_query.h"
#include "listing/list_columns.h"
#include "resources/string_ids.h"

namespace tessarin::cli {

namespace {

// "Label:" as the details pane writes it: a colon unless the label has one.
std::string WithColon(std::string label) {
    if (!label.empty() && label.back() != ':')
        label += ':';
    return label;
}

// The note's lines end in LF on the terminal.
std::string NoteLines(std::string_view note) {
    std::string lines;
    for (size_t i = 0; i < note.size(); ++i)
        if (!(note[i] == '\r' && i + 1 < note.size() && note[i + 1] == '\n'))
            lines += note[i];
    return lines;
}

class CShowCommand : public ICommand {
public:
    std::string_view Name() const override { return "show"; }
    std::string_view Synopsis() const override { return "ROW"; }
    int Summary() const override { return str::kCliSummaryShow; }
    std::vector<COptionSpec> Options() const override { return ListOptions(); }
    size_t MinArguments() const override { return 1; }
    size_t MaxArguments() const override { return 1; }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        const std::string& given = args.positional[0];
        size_t number = 0;
        const auto [end, error] =
            std::from_chars(given.data(), given.data() + given.size(), number);
        if (error != std::errc() || end != given.data() + given.size() || number == 0)
            return session.UsageError(str::kCliBadRowNumber, {FromTerminal(given)});

        CListQuery query(session);
        if (int code = query.Run(args))
            return code;
        const CRecordListModel& list = query.List();
        if (number > list.RowCount())
            return session.Fail(str::kCliNoSuchRow,
                                {FromTerminal(given), std::to_string(list.RowCount())});
        const size_t row = number - 1;
        const CRecord& record = *list.RowAt(row);
        const CDatabaseObj& database = query.Database();

        std::array<std::string, kFieldCount> labels;
        for (int i = 0; i < kFieldCount; ++i) {
            labels[i] = database.LabelFor(record, i, false);
            // A field without a label of its own still needs a name here.
            if (labels[i].empty())
                labels[i] = session.Strings().Get(str::kFieldLabel1 + i);
        }
        const std::string_view type = list.CellText(row, kTypeColumn);
        const std::string_view category = list.CellText(row, kCategoryColumn);

        if (args.Has("--json")) {
            CJsonWriter json;
            json.BeginObject();
            json.Key("row");
            json.Number(static_cast<int64_t>(number));
            json.Key("icon");
            json.Number(record.m_icon);
            json.Key("type");
            json.String(Cp1252ToUtf8(type));
            json.Key("category");
            json.String(Cp1252ToUtf8(category));
            json.Key("labels");
            json.BeginArray(true);
            for (const std::string& label : labels)
                json.String(Cp1252ToUtf8(label));
            json.EndArray();
            json.Key("values");
            json.BeginArray(true);
            for (int c = kFirstFieldColumn; c < kNoteColumn; ++c)
                json.String(Cp1252ToUtf8(list.CellText(row, c)));
            json.EndArray();
            json.Key("note");
            json.String(Cp1252ToUtf8(record.GetNote()));
            json.EndObject();
            session.Io().out << json.Text() << '\n';
            return kExitOk;
        }

        const CStringTable& strings = session.Strings();
        auto say = [&](const std::string& label, std::string_view value) {
            std::string line = WithColon(label);
            if (!value.empty())
                line += ' ' + std::string(value);
            WriteLine(session.Io().out, line);
        };
        say(strings.Get(str::kTypeColumnTitle), type);
        say(strings.Get(str::kCategoryLabel), category);
        for (int i = 0; i < kFieldCount; ++i)
            say(labels[i], list.CellText(row, kFirstFieldColumn + i));
        if (!record.GetNote().empty()) {
            WriteLine(session.Io().out, strings.Get(str::kNoteLabel));
            WriteLine(session.Io().out, NoteLines(record.GetNote()));
        }
        return kExitOk;
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeShowCommand() {
    return std::make_unique<CShowCommand>();
}

}  // namespace tessarin::cli
