// Every packed-form layout of every item class, on any bytes, with and without a key.
#include <cstdint>
#include <cstring>
#include <vector>

#include "security/password.h"
#include "store/items.h"

using namespace tessarin;

namespace {

template <typename Item>
void Unpack(const uint8_t* data, size_t size, const CKeySchedule* key) {
    std::vector<uint8_t> copy(data, data + size);
    Item current;
    current.ReadPacked(copy.data(), copy.size(), key);
    copy.assign(data, data + size);
    Item old;
    old.ReadPackedOld(copy.data(), copy.size(), key);
    copy.assign(data, data + size);
    Item v4;
    v4.ReadPackedV4(copy.data(), copy.size(), key);
    // Whatever was read packs again into a form that reads back the same.
    CFillerSource filler;
    CPackedBytes packed;
    current.BuildPacked(packed, key, filler);
    Item again;
    again.ReadPacked(packed.data(), packed.size(), key);
    for (int i = 0; i < kFieldCount; ++i)
        if (again.GetValue(i) != current.GetValue(i))
            __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::unique_ptr<const CKeySchedule> key = MakeKeySchedule(CSecret("fuzz"));
    for (const CKeySchedule* k : {static_cast<const CKeySchedule*>(nullptr), key.get()}) {
        Unpack<CRecord>(data, size, k);
        Unpack<CTypeItem>(data, size, k);
        Unpack<CCategoryItem>(data, size, k);
    }
    return 0;
}
