#pragma once

// Loads the sync platform manager and the sync engine, the outside libraries beside the program,
// and answers for each through the core's interfaces. Every function is looked up by name at each
// call; a missing one gives its fixed answer. Without a manager library the built-in standalone
// manager answers, and without an engine library nothing syncs.
#include <memory>
#include <string>

#include "base/unique_handle.h"
#include "sync/platform_binding.h"
#include "sync/platform_manager.h"

namespace tessarin {

inline constexpr const char* kManagerLibrary = "libMGPlatformMgr.so";
inline constexpr const char* kEngineLibrary = "libPlatformSync.so";
// Names the folder to find the libraries in, instead of the program's own (a test switch: see
// base/test_switches.h).
inline constexpr const char* kPlatformDirVariable = "TESSARIN_PLATFORM_DIR";

// Gives a loaded platform library back: its ReleasePlatform, when it has one, then unloads it.
struct CReleaseLibrary {
    int operator()(void* handle) const;
};
using CLibraryHandle = CUniqueHandle<void*, nullptr, CReleaseLibrary>;

class CPlatformLibraries {
public:
    CPlatformLibraries();
    ~CPlatformLibraries();  // releases both (the engine first) and unloads them
    CPlatformLibraries(const CPlatformLibraries&) = delete;
    CPlatformLibraries& operator=(const CPlatformLibraries&) = delete;

    // Loads the manager from `folder` and initialises it with 1 and "Tessarin"; when that
    // succeeds, loads and initialises the engine. 0, or the error code to report (message 191):
    // an initialisation's own result, or ELIBBAD when a library that is there cannot be loaded.
    // `documentsFolder` places the standalone user's data when there is no manager library.
    // Neither library is loaded when either one, or its folder, is not the system's or the user's
    // alone (IsTrustedFile): the standalone manager answers, and RefusedLibrary() names the file
    // for the caller to tell the user about.
    int Load(const std::string& folder, const std::string& documentsFolder);
    void Release();

    IPlatformManager& Manager() { return *m_manager; }
    // The manager as the store sees it, with the current user; it follows Load and Release.
    CPlatformBinding& Platform() { return m_platform; }
    ISyncEngine& Engine() { return *m_engine; }
    bool HasManagerLibrary() const { return static_cast<bool>(m_managerHandle); }
    bool HasEngineLibrary() const { return static_cast<bool>(m_engineHandle); }
    // The library the last Load refused to load; empty when none was refused.
    const std::string& RefusedLibrary() const { return m_refusedLibrary; }

private:
    void UseManager(std::unique_ptr<IPlatformManager> manager);

    // Members go in reverse order: the engine's library before the manager's.
    CLibraryHandle m_managerHandle;
    CLibraryHandle m_engineHandle;
    std::unique_ptr<IPlatformManager> m_manager;
    std::unique_ptr<ISyncEngine> m_engine;
    CPlatformBinding m_platform;
    std::string m_refusedLibrary;
};

// The folder the libraries are looked for in: $TESSARIN_PLATFORM_DIR when set and this build
// takes test switches, else `programFolder`.
std::string PlatformLibraryFolder(const std::string& programFolder);

}  // namespace tessarin
