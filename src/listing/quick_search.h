#pragma once

// The search field's rule: which records a typed text finds. A record is found when its type's
// name, its category's name, one of its six values (the real ones, masked or not) or its note
// holds the text, letters matching in either case and with or without their accents as
// Windows-1252 writes them (é, É, è and e are one letter here; ß, æ and the like only match
// themselves).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "store/database.h"

namespace tessarin {

// A byte as the search compares it: lower case, without its accent.
uint8_t SearchFold(uint8_t byte);

class CQuickSearch {
public:
    // The types and categories whose names hold the text are looked up once, here.
    CQuickSearch(std::string_view text, const CDatabaseObj& database);

    bool Empty() const { return m_text.empty(); }
    // The text as folded.
    const std::string& Folded() const { return m_text; }
    // Whether every record this search finds is found by `wider`: its text lies within this one's.
    bool Narrows(const CQuickSearch& wider) const;

    bool Matches(std::string_view value) const;
    bool Matches(const CRecord& record) const;

private:
    // Whether the name the list shows for a type or category key holds the text.
    struct CNameHits {
        std::unordered_map<uint64_t, bool> known;
        bool unknown = false;
        bool any = false;  // whether one name holds it (most texts are in no name)
        bool Holds(const ItemKey& key) const;
    };

    std::string m_text;
    CNameHits m_types, m_categories;
};

}  // namespace tessarin
