#pragma once

// The key of the open database: the key schedule the context holds, set from a password, changed
// with the database's check block, and checked against the file on disk.
#include <string>

#include "base/secure_memory.h"

namespace tessarin {

class CCoreContext;
class CDatabaseObj;

// Drops the held key schedule; for a non-empty password expands and holds a new one.
void SetDatabaseKey(CCoreContext& context, const CSecret& password);

// Makes the new check block and key for `password` and stores the block in the database. The caller
// saves the database, which enciphers every item under the new key, and announces the change;
// ChangePassword (database_lifecycle.h) does all of it.
void SetPassword(CCoreContext& context, CDatabaseObj& database, const CSecret& password);

// Whether the held key still opens the file on disk; drops it when the file has no password.
bool CheckCurrentKey(CCoreContext& context, const std::string& databasePath);

}  // namespace tessarin
