#pragma once

// What the program asks of the sync platform manager. The outside manager library answers through a
// loader; without one, the built-in standalone manager answers.
#include <cstdint>
#include <cstring>
#include <string>

namespace tessarin {

// The 460-byte platform user record, passed to the manager as is.
struct CPlatformUserRecord {
    static constexpr size_t kSize = 460;
    uint8_t bytes[kSize] = {};

    std::string Name() const { return Text(0, 200); }
    std::string FolderName() const { return Text(200, 200); }
    uint32_t PlatformKind() const { return Number(400); }
    std::string PlatformText() const { return Text(404, 40); }
    uint32_t UserNumber() const { return Number(444); }

    void SetName(const std::string& name) { SetText(0, 200, name); }
    void SetFolderName(const std::string& name) { SetText(200, 200, name); }
    void SetPlatformKind(uint32_t kind) { SetNumber(400, kind); }

    // The user of a computer without handheld: "<Standalone>", folder "_Standalone_", kind 3.
    static CPlatformUserRecord Standalone() {
        CPlatformUserRecord record;
        record.SetName("<Standalone>");
        record.SetFolderName("_Standalone_");
        record.SetPlatformKind(3);
        return record;
    }

private:
    std::string Text(size_t at, size_t size) const {
        size_t n = 0;
        while (n < size && bytes[at + n])
            ++n;
        return std::string(reinterpret_cast<const char*>(bytes + at), n);
    }
    void SetText(size_t at, size_t size, const std::string& text) {
        const size_t n = text.size() < size - 1 ? text.size() : size - 1;
        for (size_t i = 0; i < size; ++i)
            bytes[at + i] = i < n ? static_cast<uint8_t>(text[i]) : 0;
    }
    // Numbers in the record are in the machine's order, as the libraries write them.
    uint32_t Number(size_t at) const {
        uint32_t v;
        std::memcpy(&v, bytes + at, sizeof v);
        return v;
    }
    void SetNumber(size_t at, uint32_t v) { std::memcpy(bytes + at, &v, sizeof v); }
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
