#pragma once

// The password check block and the database key. The password is never stored: the database file
// begins with a fixed text enciphered under it, and a typed password is right when enciphering the
// same text under it gives the same 40 bytes.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/secure_memory.h"
#include "security/blowfish.h"

namespace tessarin {

using CCheckBlock = std::array<uint8_t, 40>;

// "Keyring check phrase for a locked file." and its terminating zero.
extern const uint8_t kDatabaseVerificationText[40];

// The key schedule of a password (its bytes, no terminating zero).
std::unique_ptr<CKeySchedule> MakeKeySchedule(const CSecret& password);

// The verification text enciphered under the schedule.
CCheckBlock EncipherVerification(const CKeySchedule& key, const uint8_t (&plaintext)[40]);

// The check block of a password: all zeros for the empty password.
CCheckBlock MakeCheckBlock(const CSecret& password);

bool IsZero(const CCheckBlock& block);

// The first 40 bytes of a database file; zeros where it cannot be read or is shorter.
CCheckBlock ReadCheckBlock(const std::string& databasePath);
// The same, but none when the file cannot be opened or holds fewer than 40 bytes.
std::optional<CCheckBlock> ReadStoredCheckBlock(const std::string& databasePath);

// Whether the database file has a password.
bool IsPasswordSet(const std::string& databasePath);

// Whether `password` opens the database file on disk (the held key is not touched).
bool CheckPassword(const std::string& databasePath, const CSecret& password);

// Whether `key` opens a file with this check block: none for a block of zeros (no password),
// otherwise the key of the password the block was made with.
bool KeyOpens(const CKeySchedule* key, const CCheckBlock& block);

}  // namespace tessarin
