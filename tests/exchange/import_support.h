#pragma once

// Imports a text into a fresh database and shows the records it made as plain values.
#include <string>
#include <vector>

#include "exchange/row_import.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tessarin::test {

struct CFlatRecord {
    std::string type;
    std::vector<std::string> values;  // the six fields
    std::string note;
    std::string category;
    friend bool operator==(const CFlatRecord&, const CFlatRecord&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const CFlatRecord& r) {
    out << "{type \"" << r.type << "\", values";
    for (const std::string& v : r.values)
        out << " \"" << v << "\"";
    return out << ", note \"" << r.note << "\", category \"" << r.category << "\"}";
}

// The records of `db` in stored order, as plain values.
inline std::vector<CFlatRecord> FlatRecords(const CDatabaseObj& db) {
    std::vector<CFlatRecord> records;
    for (const auto& item : db.m_records.Items()) {
        const auto& r = static_cast<const CRecord&>(*item);
        CFlatRecord flat{db.m_types.NameOf(r.m_key),
                         {},
                         std::string(r.GetNote()),
                         db.m_categories.NameOf(r.m_categoryKey)};
        for (int i = 0; i < kFieldCount; ++i)
            flat.values.emplace_back(r.GetValue(i));
        records.push_back(flat);
    }
    return records;
}

class CImportFixture {
public:
    CImportFixture() { db.m_path = (dir / "db.tdb").string(); }

    std::vector<CFlatRecord> Import(ExchangeFormat format, std::string_view text,
                                    const CKeySchedule* key = nullptr) {
        CAllTypesList list(db);
        outcome = ImportText(db, format, text, key, list);
        return FlatRecords(db);
    }

    CTempDir dir;
    CTestContext context;
    CRecordingMessages messages;
    CDatabaseObj db{context};
    CImportOutcome outcome;
};

}  // namespace tessarin::test
