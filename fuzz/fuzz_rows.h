#pragma once

// What every row parser's target checks, on any bytes: each row moves the parser on and the rows
// come to an end, with and without a key; and the whole row import leaves a database whose items
// all pack whole.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "exchange/row_import.h"
#include "security/password.h"
#include "store/core_context.h"

namespace tessarin::fuzz {

inline void CheckParser(ExchangeFormat format, std::string_view text, const CKeySchedule* key) {
    auto parser = MakeRowParser(format, text, key);
    CImportRow row;
    size_t before = parser->Cursor().Offset();
    while (parser->Next(row)) {
        const size_t after = parser->Cursor().Offset();
        if (after <= before || after > text.size())
            std::abort();
        before = after;
        if (row.values.empty())
            break;
    }
}

inline int FuzzRows(ExchangeFormat format, const uint8_t* data, size_t size) {
    static CCoreContext context;
    static const std::unique_ptr<const CKeySchedule> key = MakeKeySchedule(CSecret("fuzz"));
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    CheckParser(format, text, nullptr);
    CheckParser(format, text, key.get());

    CDatabaseObj database(context);
    database.m_saveSuspended = true;  // nothing reaches the disk
    CAllTypesList list(database);
    ImportText(database, format, bytes, key.get(), list);
    CPackedBytes packed;
    for (const CItemList* items : {&database.m_types, &database.m_categories, &database.m_records})
        for (const auto& item : items->Items()) {
            if (item->PackedSize() > kMaxPackedSize)
                std::abort();
            item->BuildPacked(packed, key.get(), context.Filler());
        }
    return 0;
}

}  // namespace tessarin::fuzz
