// The database file reader, on any bytes: with and without a key, it must end in a clean load or an
// archive error, and leave the lists with items of the right classes.
#include <cstdint>
#include <cstdlib>

#include "security/password.h"
#include "store/core_context.h"
#include "store/database_archive.h"

using namespace tessarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CCoreContext context;
    static const std::unique_ptr<const CKeySchedule> key = MakeKeySchedule(CSecret("fuzz"));
    for (const CKeySchedule* k : {static_cast<const CKeySchedule*>(nullptr), key.get()}) {
        CDatabaseObj database(context);
        CMemorySource source(data, size);
        try {
            LoadDatabase(database, source, k);
        } catch (const CArchiveError&) {
        }
        for (const auto& item : database.m_types.Items())
            if (item->Kind() != kKindType)
                std::abort();
        // What was read can always be written again.
        CMemorySink sink;
        StoreDatabase(database, sink, k, context.Filler());
    }
    return 0;
}
