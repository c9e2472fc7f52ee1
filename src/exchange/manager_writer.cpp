// The exports for other password managers: CSV files in the layout of Bitwarden's and KeePassXC's
// own exports, UTF-8, which their imports read and this program's import reads back.
#include "base/codepage.h"
#include "base/text_case.h"
#include "exchange/exchange_writer.h"
#include "exchange/live_items.h"
#include "exchange/manager_entry.h"
#include "resources/string_ids.h"
#include "store/core_context.h"

namespace tessarin {

namespace {

constexpr std::string_view kBitwardenHeader =
    "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,"
    "login_totp";
constexpr std::string_view kKeePassXcHeader =
    "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\","
    "\"Last Modified\",\"Created\"";
// KeePassXC's top group, above every category.
constexpr std::string_view kKeePassXcRoot = "Root";

// One CSV field, as UTF-8: in double quotes (each quote doubled) when `quote` or when it holds a
// comma, a quote, a line break or blanks at either end.
void AppendField(std::string& out, std::string_view cp1252, bool quote) {
    quote = quote || cp1252.find_first_of(",\"\r\n") != std::string_view::npos ||
            (!cp1252.empty() && (cp1252.front() == ' ' || cp1252.back() == ' '));
    if (!quote) {
        AppendCp1252AsUtf8(out, cp1252);
        return;
    }
    out += '"';
    for (size_t quoteAt; (quoteAt = cp1252.find('"')) != std::string_view::npos;) {
        AppendCp1252AsUtf8(out, cp1252.substr(0, quoteAt + 1));
        out += '"';
        cp1252.remove_prefix(quoteAt + 1);
    }
    AppendCp1252AsUtf8(out, cp1252);
    out += '"';
}

// What one record gives the columns of either layout.
struct CExportEntry {
    bool login = false;
    std::string_view category;
    std::string_view name;
    std::string notes;
    std::string_view username, password, url, totp;
};

class CEntryMaker {
public:
    CEntryMaker(const CDatabaseObj& database, ExportFormat format)
        : m_format(format),
          m_types(database.m_types),
          m_categories(database.m_categories),
          m_strings(database.m_types.Strings()) {}

    CExportEntry Make(const CRecord& record) {
        CExportEntry entry;
        const auto* type = static_cast<const CTypeItem*>(m_types.Find(record.m_key));
        const std::string_view typeName =
            type ? type->GetName() : std::string_view(m_strings.Get(str::kUnfiled));
        if (const CBaseItem* category = m_categories.Find(record.m_categoryKey))
            entry.category = category->GetName();
        entry.name = record.GetValue(0);
        entry.login = type && EqualsNoCase(typeName, m_strings.Get(str::kTypeWebLogins));

        // The head names the type and carries the fields no column has: field 6 of a login,
        // fields 2 to 6 of anything else (up to the last with a value). A login without field 6
        // needs none, nor (for Bitwarden, which has secure notes) an unfiled record with nothing
        // beyond field 1; unless the note begins as a head would, as the import takes the head it
        // finds.
        int from = 1;
        if (entry.login) {
            entry.username = record.GetValue(1);
            entry.password = record.GetValue(2);
            entry.url = record.GetValue(3);
            entry.totp = record.GetValue(4);
            from = kFieldCount - 1;
        }
        int last = kFieldCount - 1;
        while (last >= from && record.GetValue(last).empty())
            --last;
        const std::string_view note = record.GetNote();
        const bool plain = entry.login || (!type && m_format == ExportFormat::BitwardenCsv);
        if (plain && last < from && !note.starts_with(NoteLine(note_label::kType, ""))) {
            entry.notes = note;
            return entry;
        }
        entry.notes = NoteLine(note_label::kType, typeName);
        for (int i = from; i <= last; ++i) {
            std::string label =
                record.LabelFor(i, type, m_strings.Get(str::kFieldLabel1 + i), false);
            if (label.empty())
                label = m_strings.Get(str::kFieldLabel1 + i);
            entry.notes.append("\r\n").append(NoteLine(label, HeadValue(record.GetValue(i))));
        }
        if (!note.empty())
            entry.notes.append("\r\n\r\n").append(note);
        return entry;
    }

private:
    ExportFormat m_format;
    CLiveItemsByKey m_types;
    CLiveItemsByKey m_categories;
    const CStringTable& m_strings;
};

void AppendBitwarden(std::string& out, const CExportEntry& e) {
    // folder, favorite, type, name, notes, fields, reprompt, then the login's columns.
    AppendField(out, e.category, false);
    out.append(",,").append(e.login ? "login" : "note").append(",");
    AppendField(out, e.name, false);
    out += ',';
    AppendField(out, e.notes, false);
    out.append(",,0,");
    for (std::string_view value : {e.url, e.username, e.password}) {
        AppendField(out, value, false);
        out += ',';
    }
    AppendField(out, e.totp, false);
    out.append("\r\n");
}

void AppendKeePassXc(std::string& out, const CExportEntry& e) {
    std::string group(kKeePassXcRoot);
    if (!e.category.empty())
        group.append("/").append(e.category);
    for (std::string_view value : {std::string_view(group), e.name, e.username, e.password, e.url,
                                   std::string_view(e.notes), e.totp}) {
        AppendField(out, value, true);
        out += ',';
    }
    // Icon, Last Modified and Created are not kept.
    out.append("\"\",\"\",\"\"\n");
}

}  // namespace

std::string BuildManagerCsvText(const CDatabaseObj& database,
                                const std::vector<const CRecord*>& records, ExportFormat format) {
    const bool bitwarden = format == ExportFormat::BitwardenCsv;
    size_t size = 256;
    for (const CRecord* record : records) {
        size += record->GetNote().size() + 128;
        for (int i = 0; i < kFieldCount; ++i)
            size += record->GetValue(i).size() + 16;
    }
    std::string out;
    out.reserve(size);
    out.append(bitwarden ? kBitwardenHeader : kKeePassXcHeader).append(bitwarden ? "\r\n" : "\n");
    CEntryMaker maker(database, format);
    for (const CRecord* record : records) {
        const CExportEntry entry = maker.Make(*record);
        if (bitwarden)
            AppendBitwarden(out, entry);
        else
            AppendKeePassXc(out, entry);
    }
    return out;
}

}  // namespace tessarin
