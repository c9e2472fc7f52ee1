#pragma once

// Whether a new password may be used: the basic rule every database and export password obeys,
// the administrator's requirements for database passwords, and the checks of the dialogs that set
// a password, in their order.
#include <cstdint>
#include <optional>
#include <string>

#include "base/secure_memory.h"

namespace tessarin {

// The basic rule: empty (no password), or at least 2 characters that are not all the same.
bool IsAcceptable(const CSecret& password);

// The 32 bytes of the preference "Password requirements" (see password_preferences.h). Counts are
// unsigned bytes; kNoLimit in a bound means no bound, and in a count of letters, digits or other
// characters it forbids them (lower-case letters only, for the letters' count).
struct CPasswordRequirements {
    static constexpr size_t kBytes = 32;
    static constexpr uint8_t kNoLimit = 0xFF;

    uint8_t minLength = kNoLimit;
    uint8_t maxLength = kNoLimit;
    uint8_t minLetters = 0;  // A-Z and a-z together
    uint8_t minDigits = 0;
    uint8_t minOthers = 0;    // every byte that is not a letter or a digit, 0x80 and up included
    uint8_t minCapitals = 0;  // A-Z; kNoLimit is a count like any other here
    std::string forbidden;    // at most 16 bytes; empty: nothing forbidden

    // Reads the record: bytes 0-5 the counts above, 6-15 reserved, 16-31 the forbidden text up to
    // its first zero.
    static CPasswordRequirements FromBytes(const uint8_t* bytes);
};

// The requirements test, in its order: length, letters, capitals, digits, other characters, the
// forbidden text (case-sensitive).
bool MeetsRequirements(const CPasswordRequirements& requirements, const CSecret& password);

// What a password dialog does when "OK" is pressed: close with the new password (Accepted), or
// show a message and stay open. The message is a string-table text (137, 138, 155) or the
// administrator's "Password requirements error", shown as it stands (empty included).
struct CPasswordVerdict {
    int message = 0;                 // string number, 0 when none
    bool requirementsError = false;  // show "Password requirements error"

    bool Accepted() const { return message == 0 && !requirementsError; }
    static CPasswordVerdict Message(int id) { return {id, false}; }
    static CPasswordVerdict RequirementsError() { return {0, true}; }
    friend bool operator==(const CPasswordVerdict&, const CPasswordVerdict&) = default;
};

// Dialog 173, "Set Password" of a database that has a password: the confirmation differs (137),
// the old password is wrong (138), the basic rule (155), the requirements when there are any.
CPasswordVerdict CheckChangePassword(const CSecret& newPassword, const CSecret& confirm,
                                     bool oldIsRight,
                                     const std::optional<CPasswordRequirements>& requirements);

// Dialogs 176, "Set Password" of a database without one, and 215, "Welcome to Tessarin": 137, 155,
// then the requirements.
CPasswordVerdict CheckFirstPassword(const CSecret& newPassword, const CSecret& confirm,
                                    const std::optional<CPasswordRequirements>& requirements);

// Dialog 184, the password of an exchange file: 137, then 155; the requirements do not apply.
CPasswordVerdict CheckExportPassword(const CSecret& newPassword, const CSecret& confirm);

}  // namespace tessarin
