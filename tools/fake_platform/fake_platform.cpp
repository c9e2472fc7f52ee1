// A stand-in for the sync platform manager (built as libMGPlatformMgr.so) and the sync engine
// (built as libPlatformSync.so), so that every branch of the program's use of them can be tried.
// What they answer comes from a file named by TESSARIN_FAKE_PLATFORM, read again at every call:
//
//   init_result=0              InitializePlatform's result (manager)
//   engine_init_result=0       InitializePlatform's result (engine)
//   platform_kind=0            GetPlatform
//   platform_name=Palm         GetPlatformName
//   delete_method=0            GetDeleteRecordMethod
//   wants_defaults=1           PlatformWantsDefaults
//   record_numbers=1000        GenerateRecordNumber counts up from here (0: always 0)
//   user=NAME|FOLDER|KIND|TEXT|NUMBER   one per user, in order; a NAME of 200 characters or more
//                              fills its field without a terminating zero
//   skip=INDEX                 EnumeratePlatformUsers answers 2 (no user here) at that index
//   active=NAME                IsPlatformUserActive is true for this user (one line each)
//   root_dir=/some/%s          GetPlatformRootDir: %s becomes the folder name given
//   root_dir2=/other/%s        GetPlatformRootDir2
//   activated=1                HasUserActivatedSync
//   auto_sync=1                WantsAutoSync
//   can_sync=1                 CanUserSyncNow; "after N": false for the first N calls
//   sync_result=1              PlatformSync
//   sync_copy=FROM|TO          what a sync does to the files: copies FROM over TO
//   can_settings=1             CanDisplaySyncSettings
//   log=/path                  every call is appended there as a line
//
// Building with FAKE_OMIT_<Function> leaves that function out, as a library that lacks it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "sync/platform_abi.h"

namespace {

struct CConfig {
    std::map<std::string, std::string> values;
    std::vector<std::string> users;
    std::vector<std::string> active;
    std::vector<int> skips;

    std::string Get(const std::string& key, const std::string& fallback = "") const {
        auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    long Number(const std::string& key, long fallback) const {
        auto it = values.find(key);
        return it == values.end() ? fallback : std::strtol(it->second.c_str(), nullptr, 10);
    }
};

CConfig Read() {
    CConfig config;
    const char* path = std::getenv("TESSARIN_FAKE_PLATFORM");
    if (!path)
        return config;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "user")
            config.users.push_back(value);
        else if (key == "active")
            config.active.push_back(value);
        else if (key == "skip")
            config.skips.push_back(std::atoi(value.c_str()));
        else
            config.values[key] = value;
    }
    return config;
}

void Log(const std::string& what) {
    const std::string path = Read().Get("log");
    if (path.empty())
        return;
    if (FILE* f = std::fopen(path.c_str(), "a")) {
        std::fprintf(f, "%s\n", what.c_str());
        std::fclose(f);
    }
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

void Put(uint8_t* field, size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), text.size() < size ? text.size() : size);
}

void PutNumber(uint8_t* at, uint32_t value) {
    std::memcpy(at, &value, sizeof value);
}

void Fill(char* buffer, size_t size, const std::string& text) {
    std::snprintf(buffer, size, "%s", text.c_str());
}

uint32_t g_nextRecordNumber = 0;
bool g_numbersStarted = false;
long g_canSyncCalls = 0;

}  // namespace

extern "C" {

#ifdef FAKE_ENGINE
#define FAKE_PREFIX "engine "
#else
#define FAKE_PREFIX "manager "
#endif

#ifndef FAKE_OMIT_InitializePlatform
__attribute__((visibility("default"))) int32_t InitializePlatform(int32_t version,
                                                                  const char* program) {
    Log(std::string(FAKE_PREFIX "InitializePlatform ") + std::to_string(version) + " " + program);
#ifdef FAKE_ENGINE
    return static_cast<int32_t>(Read().Number("engine_init_result", 0));
#else
    return static_cast<int32_t>(Read().Number("init_result", 0));
#endif
}
#endif

#ifndef FAKE_OMIT_ReleasePlatform
__attribute__((visibility("default"))) int32_t ReleasePlatform(void) {
    Log(FAKE_PREFIX "ReleasePlatform");
    return 0;
}
#endif

#ifndef FAKE_ENGINE

#ifndef FAKE_OMIT_GetPlatform
__attribute__((visibility("default"))) int32_t GetPlatform(void) {
    return static_cast<int32_t>(Read().Number("platform_kind", 0));
}
#endif

#ifndef FAKE_OMIT_GetPlatformName
__attribute__((visibility("default"))) void GetPlatformName(char* name) {
    Fill(name, TESSARIN_PLATFORM_NAME_SIZE, Read().Get("platform_name"));
}
#endif

#ifndef FAKE_OMIT_GetDeleteRecordMethod
__attribute__((visibility("default"))) uint8_t GetDeleteRecordMethod(void) {
    return static_cast<uint8_t>(Read().Number("delete_method", 0));
}
#endif

#ifndef FAKE_OMIT_PlatformWantsDefaults
__attribute__((visibility("default"))) uint8_t PlatformWantsDefaults(void) {
    return static_cast<uint8_t>(Read().Number("wants_defaults", 1));
}
#endif

#ifndef FAKE_OMIT_GenerateRecordNumber
__attribute__((visibility("default"))) uint32_t GenerateRecordNumber(void) {
    if (!g_numbersStarted) {
        g_nextRecordNumber = static_cast<uint32_t>(Read().Number("record_numbers", 0));
        g_numbersStarted = true;
    }
    return g_nextRecordNumber ? g_nextRecordNumber++ : 0;
}
#endif

#ifndef FAKE_OMIT_EnumeratePlatformUsers
__attribute__((visibility("default"))) int32_t EnumeratePlatformUsers(int32_t index,
                                                                      const char* program,
                                                                      uint8_t* record) {
    (void)program;
    const CConfig config = Read();
    for (int skip : config.skips)
        if (skip == index)
            return 2;
    int userIndex = index;
    for (int skip : config.skips)
        if (skip < index)
            --userIndex;
    if (userIndex < 0 || userIndex >= static_cast<int>(config.users.size()))
        return 0;
    const std::vector<std::string> parts = Split(config.users[userIndex], '|');
    std::memset(record, 0, TESSARIN_USER_RECORD_SIZE);
    Put(record, 200, parts.size() > 0 ? parts[0] : "");
    Put(record + 200, 200, parts.size() > 1 ? parts[1] : "");
    PutNumber(record + 400, parts.size() > 2 ? std::strtoul(parts[2].c_str(), nullptr, 10) : 0);
    Put(record + 404, 40, parts.size() > 3 ? parts[3] : "");
    PutNumber(record + 444, parts.size() > 4 ? std::strtoul(parts[4].c_str(), nullptr, 10) : 0);
    return 1;
}
#endif

#ifndef FAKE_OMIT_IsPlatformUserActive
__attribute__((visibility("default"))) uint8_t IsPlatformUserActive(const char* userName,
                                                                    const char* folderName,
                                                                    uint32_t userNumber) {
    (void)folderName;
    (void)userNumber;
    for (const std::string& name : Read().active)
        if (name == userName)
            return 1;
    return 0;
}
#endif

static void RootDir(const char* key, const char* folderName, char* folder) {
    std::string pattern = Read().Get(key);
    if (const size_t at = pattern.find("%s"); at != std::string::npos)
        pattern.replace(at, 2, folderName);
    Fill(folder, TESSARIN_FOLDER_BUFFER_SIZE, pattern);
}

#ifndef FAKE_OMIT_GetPlatformRootDir
__attribute__((visibility("default"))) void GetPlatformRootDir(const char* program,
                                                               const uint8_t* record,
                                                               const char* folderName,
                                                               char* folder) {
    (void)program;
    (void)record;
    RootDir("root_dir", folderName, folder);
}
#endif

#ifndef FAKE_OMIT_GetPlatformRootDir2
__attribute__((visibility("default"))) void GetPlatformRootDir2(const char* program,
                                                                const uint8_t* record,
                                                                const char* folderName,
                                                                char* folder) {
    (void)program;
    (void)record;
    RootDir("root_dir2", folderName, folder);
}
#endif

#else  // the engine

static std::string UserOf(const uint8_t* record) {
    return std::string(reinterpret_cast<const char*>(record),
                       strnlen(reinterpret_cast<const char*>(record), 200));
}

#ifndef FAKE_OMIT_HasUserActivatedSync
__attribute__((visibility("default"))) uint8_t HasUserActivatedSync(const uint8_t* record) {
    Log("engine HasUserActivatedSync " + UserOf(record));
    return static_cast<uint8_t>(Read().Number("activated", 0));
}
#endif

#ifndef FAKE_OMIT_WantsAutoSync
__attribute__((visibility("default"))) uint8_t WantsAutoSync(const uint8_t* record) {
    (void)record;
    return static_cast<uint8_t>(Read().Number("auto_sync", 0));
}
#endif

#ifndef FAKE_OMIT_CanUserSyncNow
__attribute__((visibility("default"))) uint8_t CanUserSyncNow(const uint8_t* record) {
    (void)record;
    const std::string value = Read().Get("can_sync", "0");
    if (value.rfind("after ", 0) == 0)
        return ++g_canSyncCalls > std::atol(value.c_str() + 6);
    return static_cast<uint8_t>(std::atoi(value.c_str()));
}
#endif

#ifndef FAKE_OMIT_PlatformSync
__attribute__((visibility("default"))) uint8_t PlatformSync(void* owner, const uint8_t* record) {
    (void)owner;
    Log("engine PlatformSync " + UserOf(record));
    const CConfig config = Read();
    const std::vector<std::string> copy = Split(config.Get("sync_copy"), '|');
    if (copy.size() == 2) {
        std::ifstream from(copy[0], std::ios::binary);
        std::ofstream to(copy[1], std::ios::binary | std::ios::trunc);
        to << from.rdbuf();
    }
    return static_cast<uint8_t>(config.Number("sync_result", 0));
}
#endif

#ifndef FAKE_OMIT_CanDisplaySyncSettings
__attribute__((visibility("default"))) uint8_t CanDisplaySyncSettings(const uint8_t* record) {
    (void)record;
    return static_cast<uint8_t>(Read().Number("can_settings", 0));
}
#endif

#ifndef FAKE_OMIT_DisplaySyncSettings
__attribute__((visibility("default"))) void DisplaySyncSettings(void* owner,
                                                                const uint8_t* record) {
    (void)owner;
    Log("engine DisplaySyncSettings " + UserOf(record));
}
#endif

#endif  // FAKE_ENGINE

}  // extern "C"
