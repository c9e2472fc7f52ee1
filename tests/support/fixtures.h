#pragma once

#include <string>
#include <vector>

#include "store/core_context.h"
#include "store/database.h"

namespace tessarin::test {

// A core context whose randomness and clock are fixed, so keys and filler are the same every run.
class CTestContext : public CCoreContext {
public:
    CTestContext() {
        Random().SeedRandom(1);
        SetKeyGenerator(CKeyGenerator([] { return std::optional<uint16_t>(0x1234); },
                                      [] { return 0x0A0B0C0Du; }));
    }
};

// A sink-side record of the bytes a database stores as.
std::vector<uint8_t> StoreToBytes(const CDatabaseObj& database);
// Loads bytes into the (emptied) database; returns the archive error's text, empty on success.
std::string LoadFromBytes(CDatabaseObj& database, const std::vector<uint8_t>& bytes);

CTypeItem* AddType(CDatabaseObj& database, const std::string& name, uint8_t builtInKey = 0);
CCategoryItem* AddCategory(CDatabaseObj& database, const std::string& name, uint8_t builtInKey = 0);
CRecord* AddRecord(CDatabaseObj& database, const CTypeItem* type, const CCategoryItem* category,
                   std::vector<std::string> values, const std::string& note = {});

}  // namespace tessarin::test
