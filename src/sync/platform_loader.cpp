#include "sync/platform_loader.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include <dlfcn.h>

#include "base/file_trust.h"
#include "base/test_switches.h"
#include "sync/platform_abi.h"

namespace tessarin {

namespace {

template <typename Function>
Function Find(void* handle, const char* name) {
    return handle ? reinterpret_cast<Function>(::dlsym(handle, name)) : nullptr;
}

// A text a library wrote into a buffer, up to its zero byte or the buffer's end.
std::string FromBuffer(const char* buffer, size_t size) {
    size_t n = 0;
    while (n < size && buffer[n])
        ++n;
    return std::string(buffer, n);
}

class CLibraryManager : public IPlatformManager {
public:
    explicit CLibraryManager(void* handle) : m_handle(handle) {}

    int GetPlatform() override {
        auto f = Find<TessarinGetPlatform>(m_handle, "GetPlatform");
        return f ? f() : -1;
    }
    std::string GetPlatformName() override {
        auto f = Find<TessarinGetPlatformName>(m_handle, "GetPlatformName");
        char name[TESSARIN_PLATFORM_NAME_SIZE] = {};
        if (f)
            f(name);
        return FromBuffer(name, sizeof name);
    }
    bool GetDeleteRecordMethod() override {
        auto f = Find<TessarinGetDeleteRecordMethod>(m_handle, "GetDeleteRecordMethod");
        return f ? f() != 0 : false;
    }
    bool PlatformWantsDefaults() override {
        auto f = Find<TessarinPlatformWantsDefaults>(m_handle, "PlatformWantsDefaults");
        return f ? f() != 0 : true;
    }
    uint32_t GenerateRecordNumber() override {
        auto f = Find<TessarinGenerateRecordNumber>(m_handle, "GenerateRecordNumber");
        return f ? f() : 0;
    }
    EnumerateResult EnumeratePlatformUsers(int index, CPlatformUserRecord& record) override {
        auto f = Find<TessarinEnumeratePlatformUsers>(m_handle, "EnumeratePlatformUsers");
        if (!f)
            return EnumerateResult::End;
        record = {};
        const int32_t result = f(index, kPlatformProgramName, record.bytes);
        return result == 1   ? EnumerateResult::User
               : result == 0 ? EnumerateResult::End
                             : EnumerateResult::Skip;
    }
    bool IsPlatformUserActive(const std::string& userName, const std::string& folderName,
                              uint32_t userNumber) override {
        auto f = Find<TessarinIsPlatformUserActive>(m_handle, "IsPlatformUserActive");
        return f ? f(userName.c_str(), folderName.c_str(), userNumber) != 0 : false;
    }
    std::string GetPlatformRootDir(const CPlatformUserRecord& record,
                                   const std::string& folderName) override {
        return RootDir("GetPlatformRootDir", record, folderName);
    }
    std::string GetPlatformRootDir2(const CPlatformUserRecord& record,
                                    const std::string& folderName) override {
        return RootDir("GetPlatformRootDir2", record, folderName);
    }

private:
    std::string RootDir(const char* name, const CPlatformUserRecord& record,
                        const std::string& folderName) {
        auto f = Find<TessarinGetPlatformRootDir>(m_handle, name);
        char folder[TESSARIN_FOLDER_BUFFER_SIZE] = {};
        if (f)
            f(kPlatformProgramName, record.bytes, folderName.c_str(), folder);
        return FromBuffer(folder, sizeof folder);
    }

    void* m_handle;
};

class CLibraryEngine : public ISyncEngine {
public:
    explicit CLibraryEngine(void* handle) : m_handle(handle) {}

    bool HasUserActivatedSync(const CPlatformUserRecord& user) override {
        return Query("HasUserActivatedSync", user);
    }
    bool WantsAutoSync(const CPlatformUserRecord& user) override {
        return Query("WantsAutoSync", user);
    }
    bool CanUserSyncNow(const CPlatformUserRecord& user) override {
        return Query("CanUserSyncNow", user);
    }
    bool PlatformSync(void* owner, const CPlatformUserRecord& user) override {
        auto f = Find<TessarinPlatformSync>(m_handle, "PlatformSync");
        return f ? f(owner, user.bytes) != 0 : false;
    }
    bool CanDisplaySyncSettings(const CPlatformUserRecord& user) override {
        return Query("CanDisplaySyncSettings", user);
    }
    void DisplaySyncSettings(void* owner, const CPlatformUserRecord& user) override {
        if (auto f = Find<TessarinDisplaySyncSettings>(m_handle, "DisplaySyncSettings"))
            f(owner, user.bytes);
    }

private:
    bool Query(const char* name, const CPlatformUserRecord& user) {
        auto f = Find<TessarinUserQuery>(m_handle, name);
        return f ? f(user.bytes) != 0 : false;
    }

    void* m_handle;
};

// Opens a library of the folder: null with `failed` false when it is not there, null with `failed`
// true when it is there but cannot be loaded.
std::string LibraryPath(const std::string& folder, const char* name) {
    return (std::filesystem::path(folder) / name).string();
}

bool LibraryThere(const std::string& folder, const char* name) {
    std::error_code error;
    return !folder.empty() && std::filesystem::exists(LibraryPath(folder, name), error);
}

void* Open(const std::string& folder, const char* name, bool& failed) {
    failed = false;
    const std::string path = LibraryPath(folder, name);
    if (!LibraryThere(folder, name))
        return nullptr;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    failed = handle == nullptr;
    return handle;
}

int32_t Initialize(void* handle) {
    auto f = Find<TessarinInitializePlatform>(handle, "InitializePlatform");
    return f ? f(1, kPlatformProgramName) : 0;
}

}  // namespace

int CReleaseLibrary::operator()(void* handle) const {
    if (auto f = Find<TessarinReleasePlatform>(handle, "ReleasePlatform"))
        f();
    return ::dlclose(handle);
}

std::string PlatformLibraryFolder(const std::string& programFolder) {
    if (const char* folder = TestSwitch(kPlatformDirVariable); folder && *folder)
        return folder;
    return programFolder;
}

CPlatformLibraries::CPlatformLibraries()
    : m_manager(std::make_unique<CStandaloneManager>()),
      m_engine(std::make_unique<CNoSyncEngine>()),
      m_platform(*m_manager) {}

void CPlatformLibraries::UseManager(std::unique_ptr<IPlatformManager> manager) {
    m_platform.SetManager(*manager);
    m_manager = std::move(manager);
}

CPlatformLibraries::~CPlatformLibraries() {
    Release();
}

int CPlatformLibraries::Load(const std::string& folder, const std::string& documentsFolder) {
    Release();
    m_refusedLibrary.clear();
    // A library runs with all of the user's rights: one that someone else could have put there or
    // changed is not run at all, and the user works standalone.
    for (const char* name : {kManagerLibrary, kEngineLibrary}) {
        if (LibraryThere(folder, name) && !IsTrustedFile(LibraryPath(folder, name))) {
            m_refusedLibrary = LibraryPath(folder, name);
            UseManager(std::make_unique<CStandaloneManager>(documentsFolder));
            return 0;
        }
    }
    bool failed = false;
    m_managerHandle = CLibraryHandle(Open(folder, kManagerLibrary, failed));
    if (failed)
        return ELIBBAD;
    if (!m_managerHandle) {
        UseManager(std::make_unique<CStandaloneManager>(documentsFolder));
        return 0;
    }
    UseManager(std::make_unique<CLibraryManager>(m_managerHandle.Get()));
    if (const int32_t result = Initialize(m_managerHandle.Get()))
        return result;
    m_engineHandle = CLibraryHandle(Open(folder, kEngineLibrary, failed));
    if (failed)
        return ELIBBAD;
    if (m_engineHandle)
        m_engine = std::make_unique<CLibraryEngine>(m_engineHandle.Get());
    return m_engineHandle ? Initialize(m_engineHandle.Get()) : 0;
}

void CPlatformLibraries::Release() {
    // The engine first, then the manager; the built-in answers serve from then on.
    m_engine = std::make_unique<CNoSyncEngine>();
    m_engineHandle.Close();
    UseManager(std::make_unique<CStandaloneManager>());
    m_managerHandle.Close();
}

}  // namespace tessarin
