#pragma once

// Bringing what another writer saved into a database in memory, item by item, without losing what
// this process changed since it last read or wrote the file.
//
// The rule: every item this process added or changed since then is kept as it is here; every item
// it removed stays removed; everything else is as the file has it now. An item both sides changed
// is kept in this process's version, the later save. Types and categories are known on both sides
// by their keys, records by their record numbers; a record without a number (the standalone user's)
// cannot be told apart from another writer's new record once both sides changed it, so both
// versions are kept. Nothing saved by either side is lost.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tessarin {

class CBaseItem;
class CDatabaseObj;

// What a merge did to the database in memory, per kind (record, type, category).
struct CMergeOutcome {
    // Items the other writer added, now in memory.
    std::array<std::vector<CBaseItem*>, 3> added;
    // Items in memory that now hold the other writer's version.
    std::array<std::vector<CBaseItem*>, 3> changed;
    // Items the other writer removed: out of the database, kept alive for whoever still shows
    // them.
    std::array<std::vector<std::unique_ptr<CBaseItem>>, 3> removed;

    bool Empty() const;
};

// Told when a merge changed the database in memory, after the lock was let go.
class IDatabaseObserver {
public:
    virtual ~IDatabaseObserver() = default;
    // The removed items may be moved out of the outcome and kept as long as something shows them.
    virtual void MergedFromFile(CMergeOutcome& outcome) = 0;
    // Long work on the database's file goes through here (a save building the file's bytes,
    // writing them and noting what the file now holds; a copy kept beside the file), so that
    // whoever owns the database may run it off the calling thread; it returns once `write` has
    // ended, and what `write` throws reaches the caller as if it had run here.
    virtual void WriteFile(const std::function<void()>& write) { write(); }
};

// One item of the file as this process last read or wrote it.
struct CFiledItem {
    uint64_t print = 0;
    uint64_t identity = 0;  // the key of a type or category, a record's number; 0 none
};

// What identifies the item across versions: a type's or category's key, a record's number; 0
// when nothing does.
uint64_t IdentityOf(const CBaseItem& item);

// Takes what is in memory as what the file holds: after a load, or a save that wrote it.
void TakeAsFiled(CDatabaseObj& database);

// Merges `theirs`, the file as it is now (read whole), into `database` by the rule above; `theirs`
// is left empty. Afterwards `database` takes the file as `theirs` had it as the one it last read.
CMergeOutcome MergeFileIntoMemory(CDatabaseObj& database, CDatabaseObj& theirs);

}  // namespace tessarin
