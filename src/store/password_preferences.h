#pragma once

// The administrator's password preferences: the requirements a new database password must meet,
// and the message shown when one does not.
#include <optional>
#include <string>

#include "security/password_rules.h"

namespace tessarin {

class CPreferences;
class CStringTable;

// "Password requirements" when it is stored with exactly 32 bytes; otherwise there are none.
std::optional<CPasswordRequirements> ReadRequirements(const CPreferences& preferences);

// The text to show for a verdict that is not Accepted: the string-table text, or the
// administrator's "Password requirements error".
std::string VerdictText(const CPasswordVerdict& verdict, const CStringTable& strings,
                        const CPreferences& preferences);

}  // namespace tessarin
