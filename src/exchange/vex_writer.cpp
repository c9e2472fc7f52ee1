// The exchange file writer, version 2.0.
#include <cstring>
#include <optional>

#include "exchange/exchange_writer.h"
#include "exchange/live_items.h"
#include "exchange/value_writer.h"
#include "exchange/vex_format.h"
#include "resources/string_ids.h"
#include "store/core_context.h"

namespace tessarin {

namespace {

// Room for the text, so that it rarely has to grow: every value of a record row (six fields, six
// labels, category, note) takes its bytes, or in hexadecimal twice them plus up to 16 for the zero
// and the filler; labels and names are guessed at 16 bytes.
size_t EstimateSize(const std::vector<const CRecord*>& records, bool protect) {
    constexpr size_t kValues = 2 * kFieldCount + 2;
    size_t size = 256;
    for (const CRecord* record : records) {
        size_t texts = record->GetNote().size() + (kFieldCount + 1) * 16;
        for (int i = 0; i < kFieldCount; ++i)
            texts += record->GetValue(i).size();
        size += (protect ? 2 * texts + 16 * kValues : texts + 2 * kValues) + 32;
    }
    return size;
}

class CVexWriter {
public:
    CVexWriter(CDatabaseObj& database, std::string& out, const CKeySchedule* key)
        : m_strings(database.Context().Strings()),
          m_types(database.m_types),
          m_categories(database.m_categories),
          m_row(out, key, database.Context().Random()) {}

    void Write(const CRecord& record) {
        const auto* type = static_cast<const CTypeItem*>(m_types.Find(record.m_key));
        if (!m_lastType || *m_lastType != record.m_key) {
            WriteTypeRow(type);
            m_lastType = record.m_key;
        }
        WriteRecordRow(record, type);
    }

private:
    const std::string& DefaultLabel(int index) const {
        return m_strings.Get(str::kFieldLabel1 + index);
    }

    void WriteTypeRow(const CTypeItem* type) {
        m_row.Literal("T");
        if (!type) {
            // Records without a (live) type: no labels.
            m_row.Number(kDefaultIcon);
            m_row.Value(m_strings.Get(str::kUnfiled));
            m_row.Number(0);
            m_row.End(true);
            return;
        }
        m_row.Number(type->m_icon);
        m_row.Value(type->GetName());
        for (int i = 0; i < kFieldCount; ++i) {
            const std::string_view label = type->GetLabel(i);
            m_row.Value(label.empty() ? std::string_view(DefaultLabel(i)) : label);
        }
        m_row.Number(type->m_maskBits);
        m_row.End(true);
    }

    void WriteRecordRow(const CRecord& record, const CTypeItem* type) {
        m_row.Literal("F");
        m_row.Number(record.m_icon);
        for (int i = 0; i < kFieldCount; ++i)
            m_row.Value(record.GetValue(i));
        m_row.Number(record.m_maskBits);
        // The labels the record shows: its own, else its type's as stored, else the defaults.
        for (int i = 0; i < kFieldCount; ++i) {
            const std::string_view custom = record.GetCustomLabel(i);
            m_row.Value(!custom.empty() ? custom
                        : type          ? type->GetLabel(i)
                                        : std::string_view(DefaultLabel(i)));
        }
        const CBaseItem* category = m_categories.Find(record.m_categoryKey);
        m_row.Value(category ? category->GetName()
                             : std::string_view(m_strings.Get(str::kUnfiled)));
        m_row.Value(record.GetNote());
        m_row.End(false);
    }

    const CStringTable& m_strings;
    CLiveItemsByKey m_types;
    CLiveItemsByKey m_categories;
    CRowWriter m_row;
    // The type of the record before; none matches no key, not even the zero key.
    std::optional<ItemKey> m_lastType;
};

}  // namespace

std::string BuildVexText(CDatabaseObj& database, const std::vector<const CRecord*>& records,
                         const CKeySchedule* key) {
    std::string out;
    out.reserve(EstimateSize(records, key != nullptr));
    out.append(kVex2Magic).append("\r\n");
    if (key) {
        uint8_t block[kExportVerificationText.size()];
        std::memcpy(block, kExportVerificationText.data(), sizeof block);
        CipherWhole(*key, block, sizeof block, true);
        out.append("T,");
        AppendHex(out, block, sizeof block);
        out.append("\r\n");
    } else {
        out.append("F\r\n");
    }
    CVexWriter writer(database, out, key);
    for (const CRecord* record : records)
        writer.Write(*record);
    return out;
}

std::string WriteClipboardText(CDatabaseObj& database, const IListedRecords& list) {
    return BuildVexText(database, list.SelectedRecords(), nullptr);
}

}  // namespace tessarin
