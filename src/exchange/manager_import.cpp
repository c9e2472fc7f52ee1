#include "exchange/manager_import.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "base/text_case.h"
#include "exchange/manager_formats.h"
#include "exchange/row_import.h"
#include "resources/string_ids.h"
#include "store/builtins.h"
#include "store/core_context.h"

namespace tessarin {

namespace {

// The values of a manager's row: type name, six fields, note.
constexpr size_t kNoteValue = 1 + kFieldCount;

size_t Mix(size_t seed, size_t value) {
    return seed ^ (value + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2));
}

size_t KeyHash(const ItemKey& key) {
    return std::hash<std::string_view>()(
        std::string_view(reinterpret_cast<const char*>(key.bytes.data()), key.bytes.size()));
}

// What makes two records equal here: type, category, six values and note.
template <typename ValueAt>
size_t Signature(const ItemKey& type, const ItemKey& category, ValueAt valueAt,
                 std::string_view note) {
    const std::hash<std::string_view> hash;
    size_t seed = Mix(KeyHash(type), KeyHash(category));
    for (int i = 0; i < kFieldCount; ++i)
        seed = Mix(seed, hash(valueAt(i)));
    seed = Mix(seed, hash(note));
    // The table takes its slot from the low bits: they must depend on every input bit.
    seed ^= seed >> 33;
    seed *= 0xFF51AFD7ED558CCDull;
    return seed ^ (seed >> 33);
}

}  // namespace

// Records by their signature, in one array probed in turn from the signature's slot: a lookup of
// every imported row touches one or two neighbouring slots instead of a node each.
class CManagerImport::CRecordTable {
public:
    void Add(size_t signature, const CRecord* record) {
        if ((m_count + 1) * 2 > m_slots.size())
            Grow();
        Place(signature, record);
        ++m_count;
    }
    template <typename Match>
    bool Any(size_t signature, Match match) const {
        if (m_slots.empty())
            return false;
        const size_t mask = m_slots.size() - 1;
        for (size_t i = signature & mask; m_slots[i].record; i = (i + 1) & mask)
            if (m_slots[i].signature == signature && match(*m_slots[i].record))
                return true;
        return false;
    }

private:
    struct CSlot {
        size_t signature = 0;
        const CRecord* record = nullptr;
    };
    void Place(size_t signature, const CRecord* record) {
        const size_t mask = m_slots.size() - 1;
        size_t i = signature & mask;
        while (m_slots[i].record)
            i = (i + 1) & mask;
        m_slots[i] = {signature, record};
    }
    void Grow() {
        std::vector<CSlot> old = std::move(m_slots);
        m_slots.assign(std::max<size_t>(1024, old.size() * 2), CSlot());
        for (const CSlot& slot : old)
            if (slot.record)
                Place(slot.signature, slot.record);
    }

    std::vector<CSlot> m_slots;  // a power of two of them, at most half in use
    size_t m_count = 0;
};

CManagerImport::CManagerImport(CDatabaseObj& database, CNameIndex& types, CNameIndex& categories,
                               CNoticeList& notices, std::string_view text)
    : m_database(database),
      m_types(types),
      m_categories(categories),
      m_notices(notices),
      m_text(text) {}

CManagerImport::~CManagerImport() = default;

void CManagerImport::Prepare(CImportRow& row) {
    const CStringTable& strings = m_database.Context().Strings();
    std::vector<std::string>& v = row.values;
    CManagerRow& manager = row.manager;
    if (v.size() != kNoteValue + 1)
        return;
    if (manager.builtInType)
        v[0] = strings.Get(manager.builtInType);
    if (manager.hasHead) {
        const bool login = manager.builtInType == str::kTypeWebLogins;
        const bool loginFieldsEmpty = std::all_of(v.begin() + 2, v.begin() + 6,
                                                  [](const std::string& s) { return s.empty(); });
        if (login && EqualsNoCase(manager.headType, v[0]) && manager.headValues.size() <= 1) {
            // A login's head holds its field 6, which no column of the export has.
            if (!manager.headValues.empty())
                v[kFieldCount] = std::move(manager.headValues[0]);
        } else if (loginFieldsEmpty) {
            // Any other record: its type, and its fields from field 2 on.
            v[0] = std::move(manager.headType);
            for (size_t i = 0; i < manager.headValues.size(); ++i)
                v[2 + i] = std::move(manager.headValues[i]);
        } else {
            // Not a head this program wrote: the note stays whole.
            v[kNoteValue] = std::move(manager.wholeNote);
        }
    }
    if (v[0].size() > kMaxTypeNameLength)
        v[0].resize(kMaxTypeNameLength);
    if (EqualsNoCase(v[0], strings.Get(str::kUnfiled)) || m_types.FindByName(v[0]))
        return;
    if (std::unique_ptr<CBaseItem> type = NewTypeLikeBuiltIn(m_database.m_types, v[0])) {
        const CBaseItem* added = m_types.AddSorted(std::move(type));
        m_notices.push_back({kActionAdded, kKindType, added->m_recordNumber});
    }
}

bool CManagerImport::IsPresent(const CImportRow& row) {
    const std::vector<std::string>& v = row.values;
    if (v.size() != kNoteValue + 1)
        return false;
    if (!m_presentRead) {
        m_presentRead = true;
        m_present = std::make_unique<CRecordTable>();
        for (const auto& item : m_database.m_records.Items())
            if (!item->m_deleted)
                Remember(static_cast<const CRecord&>(*item));
    }
    const std::string& unfiled = m_database.Context().Strings().Get(str::kUnfiled);
    ItemKey type = ZeroKey;
    if (!EqualsNoCase(v[0], unfiled)) {
        const CBaseItem* found = m_types.FindByName(v[0]);
        if (!found)
            return false;
        type = found->m_key;
    }
    ItemKey category = ZeroKey;
    if (!row.category.empty() && !EqualsNoCase(row.category, unfiled)) {
        const CBaseItem* found = m_categories.FindByName(row.category);
        if (!found)
            return false;
        category = found->m_key;
    }
    auto valueAt = [&v](int i) { return std::string_view(v[static_cast<size_t>(i) + 1]); };
    return m_present->Any(Signature(type, category, valueAt, v[kNoteValue]), [&](const CRecord& r) {
        if (r.m_key != type || r.m_categoryKey != category || r.GetNote() != v[kNoteValue])
            return false;
        for (int i = 0; i < kFieldCount; ++i)
            if (r.GetValue(i) != valueAt(i))
                return false;
        return true;
    });
}

void CManagerImport::Remember(const CRecord& record) {
    auto valueAt = [&record](int i) { return record.GetValue(i); };
    m_present->Add(Signature(record.m_key, record.m_categoryKey, valueAt, record.GetNote()),
                   &record);
}

void CManagerImport::Added(const CRecord& record, const CImportRow& row, size_t rowAt) {
    if (m_presentRead)
        Remember(record);
    if (row.manager.replaced.empty())
        return;
    const CStringTable& strings = m_database.Context().Strings();
    m_replaced.push_back(
        FormatText(strings.Get(str::kManagerReplacedEntry),
                   {std::to_string(LineOf(rowAt)), record.GetValue(0), row.manager.replaced}));
}

size_t CManagerImport::LineOf(size_t offset) {
    while (offset < m_text.size() && IsWhite(m_text[offset]))
        ++offset;
    offset = std::min(offset, m_text.size());
    if (offset < m_lineOffset) {
        m_lineOffset = 0;
        m_line = 1;
    }
    m_line +=
        static_cast<size_t>(std::count(m_text.begin() + static_cast<std::ptrdiff_t>(m_lineOffset),
                                       m_text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
    m_lineOffset = offset;
    return m_line;
}

std::string ReplacedList(const std::vector<std::string>& entries) {
    std::string list;
    for (const std::string& entry : entries)
        list.append(list.empty() ? "" : "\n").append(entry);
    return list;
}

void ReportManagerImport(CCoreContext& context, ExchangeFormat format,
                         const CImportOutcome& outcome) {
    const CManagerFormat* manager = FindManagerFormat(format);
    if (!manager || outcome.result != CImportOutcome::Imported)
        return;
    context.ShowMessage(str::kManagerImportDone,
                        {context.Strings().Get(manager->name), std::to_string(outcome.records),
                         std::to_string(outcome.skipped)},
                        MessageIcon::Information);
    if (outcome.replaced.empty())
        return;
    context.ShowMessage(str::kManagerCharactersReplaced,
                        {std::to_string(outcome.replaced.size()), ReplacedList(outcome.replaced)},
                        MessageIcon::Exclamation);
}

}  // namespace tessarin
