#pragma once

// What the program asks of the sync platform manager and the sync engine. The outside libraries
// answer through the loader (sync/platform_loader.h); without a manager library the built-in
// standalone manager answers, and without an engine library nothing syncs.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace tessarin {

inline constexpr const char* kPlatformProgramName = "Tessarin";
inline constexpr int kPlatformStandalone = 3;
inline constexpr int kPlatformRootFolders = 0;

// The 460-byte platform user record, passed to the libraries as is.
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
    void SetPlatformText(const std::string& text) { SetText(404, 40, text); }
    void SetUserNumber(uint32_t number) { SetNumber(444, number); }

    // The user of a computer without handheld: "<Standalone>", folder "_Standalone_", kind 3.
    static CPlatformUserRecord Standalone() {
        CPlatformUserRecord record;
        record.SetName("<Standalone>");
        record.SetFolderName("_Standalone_");
        record.SetPlatformKind(kPlatformStandalone);
        return record;
    }

private:
    // A text ends at its zero byte, or at the end of its field when a library left none.
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

// The answer of EnumeratePlatformUsers.
enum class EnumerateResult { User, End, Skip };

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
    virtual EnumerateResult EnumeratePlatformUsers(int index, CPlatformUserRecord& record) = 0;
    virtual bool IsPlatformUserActive(const std::string& userName, const std::string& folderName,
                                      uint32_t userNumber) = 0;
    // The user's platform folder and default data folder; empty when the manager gives none.
    virtual std::string GetPlatformRootDir(const CPlatformUserRecord& record,
                                           const std::string& folderName) = 0;
    virtual std::string GetPlatformRootDir2(const CPlatformUserRecord& record,
                                            const std::string& folderName) = 0;
};

class ISyncEngine {
public:
    virtual ~ISyncEngine() = default;
    virtual bool HasUserActivatedSync(const CPlatformUserRecord& user) = 0;
    virtual bool WantsAutoSync(const CPlatformUserRecord& user) = 0;
    virtual bool CanUserSyncNow(const CPlatformUserRecord& user) = 0;
    // True: a sync ran and the database file may have changed.
    virtual bool PlatformSync(void* owner, const CPlatformUserRecord& user) = 0;
    virtual bool CanDisplaySyncSettings(const CPlatformUserRecord& user) = 0;
    virtual void DisplaySyncSettings(void* owner, const CPlatformUserRecord& user) = 0;
};

// A computer without handheld: no platform users (the standalone user is offered), no record
// numbers, items marked rather than removed on delete, defaults wanted, nobody syncing, and the
// data folder "Marrowgate/Tessarin/<folder name>" in the documents folder.
class CStandaloneManager : public IPlatformManager {
public:
    explicit CStandaloneManager(std::string documentsFolder = {})
        : m_documents(std::move(documentsFolder)) {}

    int GetPlatform() override { return kPlatformStandalone; }
    std::string GetPlatformName() override { return {}; }
    bool GetDeleteRecordMethod() override { return false; }
    bool PlatformWantsDefaults() override { return true; }
    uint32_t GenerateRecordNumber() override { return 0; }
    EnumerateResult EnumeratePlatformUsers(int, CPlatformUserRecord&) override {
        return EnumerateResult::End;
    }
    bool IsPlatformUserActive(const std::string&, const std::string&, uint32_t) override {
        return false;
    }
    std::string GetPlatformRootDir(const CPlatformUserRecord&, const std::string&) override {
        return {};
    }
    std::string GetPlatformRootDir2(const CPlatformUserRecord&,
                                    const std::string& folderName) override;

private:
    std::string m_documents;
};

// The folder of the program's data in a documents folder: "<documents>/Marrowgate/Tessarin".
std::string ProgramDataFolder(const std::string& documentsFolder);

// No sync engine: nothing syncs.
class CNoSyncEngine : public ISyncEngine {
public:
    bool HasUserActivatedSync(const CPlatformUserRecord&) override { return false; }
    bool WantsAutoSync(const CPlatformUserRecord&) override { return false; }
    bool CanUserSyncNow(const CPlatformUserRecord&) override { return false; }
    bool PlatformSync(void*, const CPlatformUserRecord&) override { return false; }
    bool CanDisplaySyncSettings(const CPlatformUserRecord&) override { return false; }
    void DisplaySyncSettings(void*, const CPlatformUserRecord&) override {}
};

}  // namespace tessarin
