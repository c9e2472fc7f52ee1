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

// How loading and saving spread the items of a long list over threads. Each item is enciphered on
// its own, so any thread can decipher or encipher it; the framing around the items is read and
// written on the calling thread, in file order, and so is the filler drawn, so the items' order,
// the file's bytes and the filler source's state come out as if one thread had done it all.
struct CItemThreads {
    // Threads in all, the caller's included; 0: MachineThreads().
    size_t threads = 0;
    // Shorter lists stay on the calling thread: below this, starting threads costs more than they
    // save (bench_database, BM_Load and BM_Save by thread count).
    size_t fromItems = 2000;
    // Items per piece of work handed to a thread.
    size_t batchItems = 256;
};

// The setting that loads and saves follow, for the whole process; benchmarks and tests change it.
CItemThreads& ItemThreads();

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
