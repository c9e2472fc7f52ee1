#pragma once

// The first lines of an exchange file, and the check that tells whether a password opens it.
#include <string_view>

namespace tessarin {

class CKeySchedule;

inline constexpr std::string_view kVexMagicPrefix = "Tessarin vEX File";
inline constexpr std::string_view kVex1Magic = "Tessarin vEX File -v1.0";
inline constexpr std::string_view kVex2Magic = "Tessarin vEX File -v2.0";

// The text enciphered into line 2 of a protected file (40 characters, no terminating zero).
inline constexpr std::string_view kExportVerificationText =
    "Keyring check phrase for an export file.";

// 0 when the text is an unprotected exchange file or the key opens it, 1 when it needs a key and
// none is given or the key does not open it, -1 when it is not an exchange file (1.0 or 2.0).
int CheckFilePassword(std::string_view text, const CKeySchedule* key);

// Whether the text is an exchange file whose line 2 says it is protected.
bool IsProtectedVex(std::string_view text);

// Whether line 2 of a protected file holds at least a whole check block (80 digits). One that does
// not cannot match any password.
bool HasWholeCheckBlock(std::string_view text);

}  // namespace tessarin
