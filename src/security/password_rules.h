#pragma once

// Whether a new password may be used.
#include "base/secure_memory.h"

namespace tessarin {

// The basic rule: empty (no password), or at least 2 characters that are not all the same.
bool IsAcceptable(const CSecret& password);

// The checks of setting a database password, in order: the confirmation differs (137), the old
// password is wrong (138, only when `oldIsRight` is false), the new one breaks the basic rule
// (155). Returns the number of the message to show, or 0 when the new password may be used.
int CheckNewPassword(const CSecret& newPassword, const CSecret& confirm, bool oldIsRight = true);

}  // namespace tessarin
