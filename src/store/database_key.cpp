#include "store/database_key.h"

#include "security/password.h"
#include "store/core_context.h"
#include "store/database.h"

namespace tessarin {

void SetDatabaseKey(CCoreContext& context, const CSecret& password) {
    context.HoldDatabaseKey(nullptr);
    if (!password.Empty())
        context.HoldDatabaseKey(MakeKeySchedule(password));
}

void SetPassword(CCoreContext& context, CDatabaseObj& database, const CSecret& password) {
    const CCheckBlock block = MakeCheckBlock(password);
    SetDatabaseKey(context, password);
    database.m_checkBlock = block;
}

bool CheckCurrentKey(CCoreContext& context, const std::string& databasePath) {
    const CCheckBlock stored = ReadCheckBlock(databasePath);
    if (IsZero(stored)) {
        context.HoldDatabaseKey(nullptr);
        return true;
    }
    return KeyOpens(context.DatabaseKey(), stored);
}

}  // namespace tessarin
