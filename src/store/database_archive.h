#pragma once

// The database file's content: the database object's serialisation into the object archive.
#include "store/archive.h"
#include "store/database.h"

namespace tessarin {

class CKeySchedule;

// One item to pick out of a file: its list's kind (-1: any list) and its record number.
struct CItemWanted {
    int kind = -1;
    uint32_t recordNumber = 0;
};

// Reads a whole database into `database`, which the caller has emptied. Items are deciphered with
// `key` when one is given. Throws CArchiveError on malformed content; what was read before the
// error stays in the lists. Files of versions below 5 are converted to the current form in memory
// (the caller saves them at once); files of a later version are refused.
// With `wanted`, only that item is unpacked and kept; the rest of the file is only checked.
void LoadDatabase(CDatabaseObj& database, IByteSource& source, const CKeySchedule* key,
                  const CItemWanted* wanted = nullptr);

// Writes the whole database as a version 5 file, every item packed anew and enciphered with `key`
// when one is given. Throws when the sink fails.
void StoreDatabase(const CDatabaseObj& database, IByteSink& sink, const CKeySchedule* key,
                   CFillerSource& filler);

}  // namespace tessarin
