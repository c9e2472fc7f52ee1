#include "store/password_preferences.h"

#include "resources/string_table.h"
#include "store/preferences.h"

namespace tessarin {

std::optional<CPasswordRequirements> ReadRequirements(const CPreferences& preferences) {
    const CPrefBytes stored = preferences.ReadBytes(Pref::PasswordRequirements);
    if (!stored.found)
        return std::nullopt;
    return CPasswordRequirements::FromBytes(stored.bytes.data());
}

std::string VerdictText(const CPasswordVerdict& verdict, const CStringTable& strings,
                        const CPreferences& preferences) {
    if (verdict.requirementsError)
        return preferences.ReadText(Pref::PasswordRequirementsError);
    return strings.Get(verdict.message);
}

}  // namespace tessarin
