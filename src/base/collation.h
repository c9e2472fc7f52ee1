#pragma once

// How the locale orders text. The desktop program and the CLI supply the system locale's collation;
// the core falls back to a fixed order that needs no locale.
#include <string_view>

namespace tessarin {

class ICollation {
public:
    virtual ~ICollation() = default;
    // Negative, zero or positive as `a` sorts before, with or after `b`. Both are Windows-1252.
    virtual int Compare(std::string_view a, std::string_view b, bool caseSensitive) const = 0;
};

// Letters compare without regard to case first (Windows-1252 aware), then, when case matters,
// lower case sorts before upper case; other bytes by value.
class CFixedCollation : public ICollation {
public:
    int Compare(std::string_view a, std::string_view b, bool caseSensitive) const override;
};

}  // namespace tessarin
