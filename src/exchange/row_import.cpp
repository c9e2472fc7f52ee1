#include "exchange/row_import.h"

#include <algorithm>
#include <new>
#include <optional>

#include "base/text_case.h"
#include "exchange/manager_formats.h"
#include "exchange/manager_import.h"
#include "exchange/vex_format.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "store/name_index.h"

namespace tessarin {

namespace {

bool IsVex(ExchangeFormat format) {
    return format == ExchangeFormat::Vex1 || format == ExchangeFormat::Vex2;
}

// The line (from 1) of the first character at or after `offset` that is not a blank or line end.
size_t LineAt(std::string_view text, size_t offset) {
    while (offset < text.size() && IsWhite(text[offset]))
        ++offset;
    return 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + offset, '\n'));
}

class CRowImport {
public:
    CRowImport(CDatabaseObj& database, ExchangeFormat format, std::string_view text,
               IRecordList& list, CImportOutcome& outcome)
        : m_database(database),
          m_text(text),
          m_format(format),
          m_list(list),
          m_outcome(outcome),
          m_types(database.m_types),
          m_categories(database.m_categories),
          m_unfiled(database.Context().Strings().Get(str::kUnfiled)) {
        if (IsManagerFormat(format))
            m_manager =
                std::make_unique<CManagerImport>(database, m_types, m_categories, m_notices, text);
    }

    // Parses and imports until the text is used up (false) or a row without values ends the
    // import (true, with where that row began and whether the text was unreadable there).
    bool Run(IRowParser& parser, CParsedEnd& end);
    // Imports one row (not one without values) that began at `rowAt` of the text.
    void ImportOne(CImportRow& row, size_t rowAt);
    // Puts the new types and categories into their lists; hands over the notices of what was
    // created.
    CNoticeList Finish();

private:
    void ImportTypeRow(CImportRow& row);
    // False for a row without the values a record needs.
    bool ImportRecordRow(CImportRow& row, size_t rowAt);

    void NoteBadRow(size_t& count, size_t rowAt);

    CDatabaseObj& m_database;
    std::string_view m_text;
    ExchangeFormat m_format;
    IRecordList& m_list;
    CImportOutcome& m_outcome;
    CNameIndex m_types;
    CNameIndex m_categories;
    const std::string& m_unfiled;
    CNoticeList m_notices;
    // Set by each type row, for the record rows below it.
    std::string m_currentType;
    bool m_sawTypeRow = false;
    // Other password managers' exports only.
    std::unique_ptr<CManagerImport> m_manager;
};

bool CRowImport::Run(IRowParser& parser, CParsedEnd& end) {
    CImportRow row;
    for (;;) {
        const size_t before = parser.Cursor().Offset();
        // A parser that stood still would loop for ever: every parser moves on, but an import
        // must end whatever the text holds.
        if (!parser.Next(row) || parser.Cursor().Offset() == before)
            return false;
        if (row.values.empty()) {
            end.stoppedAt = before;
            end.unreadable = row.unreadable;
            return true;
        }
        ImportOne(row, before);
    }
}

void CRowImport::ImportOne(CImportRow& row, size_t rowAt) {
    if (row.cut)
        NoteBadRow(m_outcome.cut, rowAt);
    if (row.typeRow)
        ImportTypeRow(row);
    else if (!ImportRecordRow(row, rowAt))
        NoteBadRow(m_outcome.unreadable, rowAt);
}

void CRowImport::NoteBadRow(size_t& count, size_t rowAt) {
    if (!m_outcome.cut && !m_outcome.unreadable)
        m_outcome.firstBadLine = LineAt(m_text, rowAt);
    ++count;
}

void CRowImport::ImportTypeRow(CImportRow& row) {
    std::string& name = row.values[0];
    if (name.size() > kMaxTypeNameLength)
        name.resize(kMaxTypeNameLength);
    m_currentType = name;
    m_sawTypeRow = true;
    // The short row of records without a type names no type to create.
    if (EqualsNoCase(name, m_unfiled) || m_types.FindByName(name))
        return;
    auto created = m_database.m_types.CreateItem();
    auto& type = static_cast<CTypeItem&>(*created);
    type.SetName(name);
    type.m_icon = row.icon;
    type.m_maskBits = row.mask;
    for (int i = 0; i < kFieldCount; ++i)
        type.SetValue(i, static_cast<size_t>(i) + 1 < row.values.size() ? row.values[i + 1] : "");
    type.m_modified = true;
    if (type.PackedSize() > kMaxPackedSize) {
        ++m_outcome.refused;
        return;
    }
    const CBaseItem* added = m_types.AddSorted(std::move(created));
    m_notices.push_back({kActionAdded, kKindType, added->m_recordNumber});
}

bool CRowImport::ImportRecordRow(CImportRow& row, size_t rowAt) {
    std::vector<std::string>& values = row.values;
    if (m_manager)
        m_manager->Prepare(row);
    // Every record row of an exchange file belongs to the type row above it, even one of a type
    // without a name; the other formats name the type in their first value.
    if (IsVex(m_format) && m_sawTypeRow)
        values.insert(values.begin(), m_currentType);
    else if (values[0].size() > kMaxTypeNameLength)
        values[0].resize(kMaxTypeNameLength);
    if (values.size() < 2)
        return false;
    if (m_manager && m_manager->IsPresent(row)) {
        ++m_outcome.skipped;
        return true;
    }
    uint16_t icon = row.icon;
    uint16_t mask = row.mask;
    if (m_format != ExchangeFormat::Vex2 && !EqualsNoCase(values[0], m_unfiled)) {
        if (const CBaseItem* type = m_types.FindByName(values[0])) {
            mask = type->m_maskBits;
            if (m_format != ExchangeFormat::Vex1 && icon == 0)
                icon = type->m_icon;
        }
    }
    CRecord* record = m_database.AddFromColumns(values, row.category, icon, mask, row.customLabels,
                                                m_notices, &m_types, &m_categories);
    if (!record) {
        ++m_outcome.refused;
        return true;
    }
    ++m_outcome.records;
    if (m_manager)
        m_manager->Added(*record, row, rowAt);
    const ItemKey filter = m_list.TypeFilter();
    if (filter == AnyKey || filter == record->m_key)
        m_list.AddAndSelect(*record);
    return true;
}

CNoticeList CRowImport::Finish() {
    if (m_manager)
        m_outcome.replaced = m_manager->TakeReplaced();
    m_types.Flush();
    m_categories.Flush();
    return std::move(m_notices);
}

// The text up to its first zero byte; `zeroAt` is set when more than padding follows that byte.
std::string_view CutAtZero(std::string_view text, std::optional<size_t>& zeroAt) {
    const size_t at = text.find('\0');
    if (at == std::string_view::npos)
        return text;
    const std::string_view after = text.substr(at);
    if (!std::all_of(after.begin(), after.end(), [](char c) { return c == 0 || IsWhite(c); }))
        zeroAt = at;
    return text.substr(0, at);
}

// A protected exchange text that the key does not open: nothing of it can be read.
bool KeyDoesNotFit(ExchangeFormat format, std::string_view text, const CKeySchedule* key) {
    return IsVex(format) && IsProtectedVex(text) && (!key || CheckFilePassword(text, key) != 0);
}

// Tells what kept rows from being imported, and marks the outcome so.
void ReportImportEnd(CCoreContext& context, std::string_view text, const CParsedEnd& end,
                     CImportOutcome& outcome) {
    if (outcome.refused)
        context.ShowMessage(str::kImportRowsTooLarge, {std::to_string(outcome.refused)},
                            MessageIcon::Exclamation);
    if (end.stoppedAt) {
        outcome.stoppedEarly = true;
        context.ShowMessage(end.unreadable ? str::kImportUnreadableFrom : str::kImportStoppedEarly,
                            {std::to_string(LineAt(text, *end.stoppedAt))},
                            MessageIcon::Exclamation);
    }
    if (end.zeroAt) {
        outcome.stoppedEarly = true;
        context.ShowMessage(str::kImportZeroByte, {std::to_string(*end.zeroAt)},
                            MessageIcon::Exclamation);
    }
    if (end.outOfMemory) {
        outcome.stoppedEarly = true;
        context.ShowMessage(str::kErrorReadingImportFile, {}, MessageIcon::Exclamation);
    }
}

}  // namespace

CImportOutcome ImportRows(CDatabaseObj& database, ExchangeFormat format, std::string_view text,
                          const CKeySchedule* key, IRecordList& list, CNoticeList& notices) {
    CCoreContext& context = database.Context();
    CImportOutcome outcome;
    CParsedEnd end;
    text = CutAtZero(text, end.zeroAt);
    if (KeyDoesNotFit(format, text, key)) {
        context.ShowMessage(str::kImportWrongPassword, {}, MessageIcon::Exclamation);
        outcome.result = CImportOutcome::Failed;
        return outcome;
    }

    {
        CRowImport import(database, format, text, list, outcome);
        try {
            auto parser = MakeRowParser(format, text, key);
            import.Run(*parser, end);
        } catch (const std::bad_alloc&) {
            // What was imported so far stays.
            end.outOfMemory = true;
        }
        notices = import.Finish();
    }
    ReportImportEnd(context, text, end, outcome);
    return outcome;
}

bool ParseRows(ExchangeFormat format, std::string_view text, const CKeySchedule* key,
               CParsedRows& parsed, const std::function<bool(size_t offset)>& progress) {
    parsed = CParsedRows();
    text = CutAtZero(text, parsed.end.zeroAt);
    parsed.textSize = text.size();
    if (KeyDoesNotFit(format, text, key)) {
        parsed.wrongKey = true;
        return true;
    }
    try {
        auto parser = MakeRowParser(format, text, key);
        CImportRow row;
        for (size_t count = 0;; ++count) {
            const size_t before = parser->Cursor().Offset();
            if (!parser->Next(row) || parser->Cursor().Offset() == before)
                break;
            if (row.values.empty()) {
                parsed.end.stoppedAt = before;
                parsed.end.unreadable = row.unreadable;
                break;
            }
            parsed.rows.push_back(std::move(row));
            parsed.offsets.push_back(before);
            row.Clear();
            if (count % kParseProgressRows == 0 && progress && !progress(before))
                return false;
        }
    } catch (const std::bad_alloc&) {
        // The rows read so far are imported, as by ImportRows.
        parsed.end.outOfMemory = true;
    }
    return true;
}

struct CRowImporter::CState {
    CState(CDatabaseObj& database, ExchangeFormat format, std::string_view text, IRecordList& list)
        : import(database, format, text, list, outcome) {}
    CImportOutcome outcome;
    CRowImport import;
};

CRowImporter::CRowImporter(CDatabaseObj& database, ExchangeFormat format, std::string_view text,
                           IRecordList& list)
    : m_database(database), m_text(text) {
    m_state = std::make_unique<CState>(database, format, CutAtZero(text, m_ignored), list);
}

CRowImporter::~CRowImporter() = default;

void CRowImporter::Import(CParsedRows& parsed, size_t from, size_t to) {
    to = std::min(to, parsed.rows.size());
    try {
        for (size_t i = from; i < to; ++i) {
            m_state->import.ImportOne(parsed.rows[i], parsed.offsets[i]);
            // The row is spent: its memory goes back while the import goes on.
            parsed.rows[i] = CImportRow();
        }
    } catch (const std::bad_alloc&) {
        parsed.end.outOfMemory = true;
    }
}

CImportOutcome CRowImporter::Finish(const CParsedRows& parsed, CNoticeList& notices) {
    notices = m_state->import.Finish();
    CImportOutcome outcome = m_state->outcome;
    if (parsed.wrongKey) {
        m_database.Context().ShowMessage(str::kImportWrongPassword, {}, MessageIcon::Exclamation);
        outcome.result = CImportOutcome::Failed;
        return outcome;
    }
    ReportImportEnd(m_database.Context(), m_text.substr(0, parsed.textSize), parsed.end, outcome);
    return outcome;
}

void FinishImport(CDatabaseObj& database, IRecordList& list, const CNoticeList& notices,
                  CImportOutcome& outcome) {
    outcome.save = Save(database);
    list.MarkDatabaseChanged();
    // Nobody hears of items the file does not hold.
    if (outcome.save.Ok())
        PostNotices(database.Context(), notices);
    list.Refill();
}

CImportOutcome ImportText(CDatabaseObj& database, ExchangeFormat format, std::string_view text,
                          const CKeySchedule* key, IRecordList& list) {
    CNoticeList notices;
    CImportOutcome outcome = ImportRows(database, format, text, key, list, notices);
    if (outcome.result == CImportOutcome::Imported)
        FinishImport(database, list, notices, outcome);
    return outcome;
}

}  // namespace tessarin
