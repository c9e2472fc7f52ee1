#include "exchange/row_import.h"

#include <algorithm>
#include <new>

#include "base/text_case.h"
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
          m_unfiled(database.Context().Strings().Get(str::kUnfiled)) {}

    // Parses and imports until the text is used up (false) or a row without values ends the
    // import (true, with the offset where that row began).
    bool Run(IRowParser& parser, size_t& stoppedAt);
    // Puts the new types and categories into their lists; hands over the notices of what was
    // created.
    CNoticeList Finish();

private:
    void ImportTypeRow(CImportRow& row);
    // False for a row without the values a record needs.
    bool ImportRecordRow(CImportRow& row);

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
};

bool CRowImport::Run(IRowParser& parser, size_t& stoppedAt) {
    CImportRow row;
    for (;;) {
        const size_t before = parser.Cursor().Offset();
        // A parser that stood still would loop for ever: every parser moves on, but an import
        // must end whatever the text holds.
        if (!parser.Next(row) || parser.Cursor().Offset() == before)
            return false;
        if (row.values.empty()) {
            stoppedAt = before;
            return true;
        }
        if (row.cut)
            NoteBadRow(m_outcome.cut, before);
        if (row.typeRow)
            ImportTypeRow(row);
        else if (!ImportRecordRow(row))
            NoteBadRow(m_outcome.unreadable, before);
    }
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

bool CRowImport::ImportRecordRow(CImportRow& row) {
    std::vector<std::string>& values = row.values;
    // Every record row of an exchange file belongs to the type row above it, even one of a type
    // without a name; the other formats name the type in their first value.
    if (IsVex(m_format) && m_sawTypeRow)
        values.insert(values.begin(), m_currentType);
    else if (values[0].size() > kMaxTypeNameLength)
        values[0].resize(kMaxTypeNameLength);
    if (values.size() < 2)
        return false;
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
    const ItemKey filter = m_list.TypeFilter();
    if (filter == AnyKey || filter == record->m_key)
        m_list.AddAndSelect(*record);
    return true;
}

CNoticeList CRowImport::Finish() {
    m_types.Flush();
    m_categories.Flush();
    return std::move(m_notices);
}

}  // namespace

CImportOutcome ImportRows(CDatabaseObj& database, ExchangeFormat format, std::string_view text,
                          const CKeySchedule* key, IRecordList& list, CNoticeList& notices) {
    CCoreContext& context = database.Context();
    CImportOutcome outcome;
    // A zero byte ends the text. What follows it is not read: say so when it is more than
    // padding.
    const size_t zeroAt = text.find('\0');
    bool cutAtZero = false;
    if (zeroAt != std::string_view::npos) {
        const std::string_view after = text.substr(zeroAt);
        cutAtZero =
            !std::all_of(after.begin(), after.end(), [](char c) { return c == 0 || IsWhite(c); });
        text = text.substr(0, zeroAt);
    }
    if (IsVex(format) && IsProtectedVex(text) && (!key || CheckFilePassword(text, key) != 0)) {
        context.ShowMessage(str::kImportWrongPassword, {}, MessageIcon::Exclamation);
        outcome.result = CImportOutcome::Failed;
        return outcome;
    }

    size_t stoppedAt = 0;
    bool stopped = false;
    bool outOfMemory = false;
    {
        CRowImport import(database, format, text, list, outcome);
        try {
            auto parser = MakeRowParser(format, text, key);
            stopped = import.Run(*parser, stoppedAt);
        } catch (const std::bad_alloc&) {
            // What was imported so far stays.
            outOfMemory = true;
        }
        notices = import.Finish();
    }

    if (outcome.refused)
        context.ShowMessage(str::kImportRowsTooLarge, {std::to_string(outcome.refused)},
                            MessageIcon::Exclamation);
    if (stopped) {
        outcome.stoppedEarly = true;
        context.ShowMessage(str::kImportStoppedEarly, {std::to_string(LineAt(text, stoppedAt))},
                            MessageIcon::Exclamation);
    }
    if (cutAtZero) {
        outcome.stoppedEarly = true;
        context.ShowMessage(str::kImportZeroByte, {std::to_string(zeroAt)},
                            MessageIcon::Exclamation);
    }
    if (outOfMemory) {
        outcome.stoppedEarly = true;
        context.ShowMessage(str::kErrorReadingImportFile, {}, MessageIcon::Exclamation);
    }
    return outcome;
}

void FinishImport(CDatabaseObj& database, IRecordList& list, const CNoticeList& notices,
                  CImportOutcome& outcome) {
    outcome.save = Save(database);
    list.MarkDatabaseChanged();
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
