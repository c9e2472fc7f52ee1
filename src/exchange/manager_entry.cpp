#include "exchange/manager_entry.h"

#include "exchange/manager_text.h"
#include "resources/string_ids.h"

namespace tessarin {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kLabelSeparator = ": ";
constexpr size_t kMaxHeadValues = kFieldCount - 1;  // fields 2 to 6

// `text`, then each line, with line breaks between the parts that are not empty.
std::string JoinNote(std::string_view text, const std::vector<std::string>& lines) {
    std::string note(text);
    for (const std::string& line : lines) {
        if (!note.empty())
            note += kLineBreak;
        note += line;
    }
    return note;
}

void AddLine(std::vector<std::string>& lines, std::string_view label, std::string_view value) {
    if (!value.empty())
        lines.push_back(NoteLine(label, value));
}

// The value of a head's line: a value in double quotes loses them and its escapes.
std::string FromHeadValue(std::string_view text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
        return std::string(text);
    text = text.substr(1, text.size() - 2);
    std::string value;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            value += text[i];
            continue;
        }
        const char escaped = text[++i];
        value += escaped == 'r' ? '\r' : escaped == 'n' ? '\n' : escaped;
    }
    return value;
}

}  // namespace

std::string HeadValue(std::string_view value) {
    if (value.find_first_of("\r\n") == std::string_view::npos && !value.starts_with('"'))
        return std::string(value);
    std::string text = "\"";
    for (char c : value) {
        if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else if (c == '\\' || c == '"')
            text.append(1, '\\').append(1, c);
        else
            text += c;
    }
    return text + '"';
}

std::string NoteLine(std::string_view label, std::string_view value) {
    std::string line(label);
    line += kLabelSeparator;
    line += value;
    return line;
}

bool SplitNoteHead(std::string_view note, std::string& type, std::vector<std::string>& values,
                   std::string& rest) {
    values.clear();
    rest.clear();
    auto nextLine = [&note](std::string_view& line) {
        if (note.empty())
            return false;
        const size_t end = note.find(kLineBreak);
        line = note.substr(0, end);
        note = end == std::string_view::npos ? std::string_view() : note.substr(end + 2);
        return true;
    };
    std::string_view line;
    const std::string typeLabel = NoteLine(note_label::kType, "");
    // The type may be one without a name, as the imports of older keepers make.
    if (!nextLine(line) || !line.starts_with(typeLabel))
        return false;
    type = line.substr(typeLabel.size());
    // The line ends of the note decide where the head ends: what follows the empty line is the
    // rest, exactly as it was.
    for (;;) {
        if (note.starts_with(kLineBreak)) {
            rest = note.substr(2);
            return true;
        }
        if (!nextLine(line))
            return true;
        const size_t separator = line.find(kLabelSeparator);
        if (separator == std::string_view::npos || values.size() == kMaxHeadValues)
            return false;
        values.push_back(FromHeadValue(line.substr(separator + kLabelSeparator.size())));
    }
}

void EntryToRow(CManagerEntry& entry, CImportRow& row) {
    row.Clear();
    std::vector<std::string>& v = row.values;
    v.resize(1 + kFieldCount + 1);
    std::vector<std::string> lines;
    CManagerRow& manager = row.manager;

    switch (entry.kind) {
        case CManagerEntry::Kind::Login: {
            manager.builtInType = str::kTypeWebLogins;
            // Proton Pass: the email where there is no username.
            v[2] = entry.username.empty() ? entry.email : entry.username;
            v[3] = entry.password;
            v[4] = entry.urls.empty() ? std::string() : entry.urls[0];
            v[5] = entry.totp;
            if (!entry.name.empty())
                v[1] = entry.name;
            else if (const std::string_view host = HostOf(v[4]); !host.empty())
                v[1] = host;
            else
                v[1] = v[2];
            for (size_t i = 1; i < entry.urls.size(); ++i)
                AddLine(lines, note_label::kOtherUrl, entry.urls[i]);
            break;
        }
        case CManagerEntry::Kind::Note:
            manager.builtInType = str::kUnfiled;
            v[1] = entry.name;
            // A secure note has no login values; should one hold some, they stay in the note.
            AddLine(lines, note_label::kUsername, entry.username);
            AddLine(lines, note_label::kPassword, entry.password);
            for (const std::string& url : entry.urls)
                AddLine(lines, note_label::kUrl, url);
            AddLine(lines, note_label::kTotp, entry.totp);
            break;
        case CManagerEntry::Kind::Card:
        case CManagerEntry::Kind::Identity:
            manager.builtInType = entry.kind == CManagerEntry::Kind::Card
                                      ? str::kTypeCreditCards
                                      : str::kTypeIdentification;
            for (int i = 0; i < kFieldCount; ++i)
                v[static_cast<size_t>(i) + 1] = std::move(entry.fields[static_cast<size_t>(i)]);
            break;
    }
    for (std::string& line : entry.lines)
        lines.push_back(std::move(line));
    AddLine(lines, note_label::kTags, entry.tags);
    if (entry.kind == CManagerEntry::Kind::Login && !entry.username.empty())
        AddLine(lines, note_label::kEmail, entry.email);

    std::string rest;
    if (entry.mayHaveHead &&
        SplitNoteHead(entry.notes, manager.headType, manager.headValues, rest)) {
        manager.hasHead = true;
        manager.wholeNote = JoinNote(entry.notes, lines);
        v[7] = JoinNote(rest, lines);
    } else {
        v[7] = JoinNote(entry.notes, lines);
    }
    row.category = std::move(entry.category);
}

}  // namespace tessarin
