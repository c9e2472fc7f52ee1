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
#include <vector>

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

    bool Matches(std::string_view value) const { return Find(value, 0) != std::string_view::npos; }
    bool Matches(const CRecord& record) const;

private:
    // Where the text next begins in `value` from `from` on, or npos.
    size_t Find(std::string_view value, size_t from) const;

    // Whether the name the list shows for a type or category key holds the text.
    struct CNameHits {
        std::vector<uint64_t> hits;  // the keys whose names hold it, sorted: most texts are in none
        std::vector<uint64_t> known;  // every key an item has, sorted: the others show "Unfiled"
        bool unknown = false;         // whether "Unfiled" holds it
        bool Holds(const ItemKey& key) const;
    };

    std::string m_text;
    // The bytes below 0x80 that fold to the text's first byte (its two cases for a letter; twice
    // the same byte otherwise), and whether bytes above it do too (accented letters): only these
    // can begin a match.
    uint8_t m_firstLower = 0;
    uint8_t m_firstUpper = 0;
    bool m_firstAboveAscii = false;
    CNameHits m_types, m_categories;
};

}  // namespace tessarin
