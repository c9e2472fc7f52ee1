#pragma once

// What the program asks of the sync platform manager. The outside manager library answers through a
// loader; without one, the built-in standalone manager answers.
#include <cstdint>
#include <string>

namespace tessarin {

// The 460-byte platform user record, passed to the manager as is.
struct CPlatformUserRecord {
    static constexpr size_t kSize = 460;
    uint8_t bytes[kSize] = {};
};

class IPlatformManager {
public:
    virtual ~IPlatformManager() = default;

    // 3 = no handheld (standalone); 0 = user folders come from the platform root.
    virtual int GetPlatform() = 0;
    virtual std::string GetPlatformName() = 0;
    // True: delete items outright instead of marking them for the next sync.
    virtual bool GetDeleteRecordMethod() = 0;
    // True: a new database gets the built-in types and categories.
    virtual bool PlatformWantsDefaults() = 0;
    virtual uint32_t GenerateRecordNumber() = 0;
    virtual bool IsPlatformUserActive(const std::string& userName, const std::string& folderName,
                                      uint32_t userNumber) = 0;
};

// The answers given when no manager library is present: no handheld, no record numbers, items
// marked rather than removed on delete, defaults wanted, nobody syncing.
class CStandaloneManager : public IPlatformManager {
public:
    int GetPlatform() override { return 3; }
    std::string GetPlatformName() override { return {}; }
    bool GetDeleteRecordMethod() override { return false; }
    bool PlatformWantsDefaults() override { return true; }
    uint32_t GenerateRecordNumber() override { return 0; }
    bool IsPlatformUserActive(const std::string&, const std::string&, uint32_t) override {
        return false;
    }
};

}  // namespace tessarin
