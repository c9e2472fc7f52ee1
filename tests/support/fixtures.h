#pragma once

#include <string>
#include <vector>

#include "base/work_crew.h"
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

// Work on long lists spread as given (threads in all, lists from one item on, items per batch) for
// as long as it lives; one thread is the reference the others are compared with.
class CItemThreadsScope {
public:
    explicit CItemThreadsScope(size_t threads, size_t batchItems = 3) : m_saved(ItemThreads()) {
        ItemThreads() = {threads, 1, batchItems};
    }
    ~CItemThreadsScope() { ItemThreads() = m_saved; }
    CItemThreadsScope(const CItemThreadsScope&) = delete;
    CItemThreadsScope& operator=(const CItemThreadsScope&) = delete;

private:
    CItemThreads m_saved;
};

// A sink-side record of the bytes a database stores as.
std::vector<uint8_t> StoreToBytes(const CDatabaseObj& database);
// Loads bytes into the (emptied) database; returns the archive error's text, empty on success.
std::string LoadFromBytes(CDatabaseObj& database, const std::vector<uint8_t>& bytes);

CTypeItem* AddType(CDatabaseObj& database, const std::string& name, uint8_t builtInKey = 0);
// "Login": field 1 "Site", field 3 "Password", masked.
CTypeItem* AddLoginType(CDatabaseObj& database);
CCategoryItem* AddCategory(CDatabaseObj& database, const std::string& name, uint8_t builtInKey = 0);
CRecord* AddRecord(CDatabaseObj& database, const CTypeItem* type, const CCategoryItem* category,
                   std::vector<std::string> values, const std::string& note = {});

}  // namespace tessarin::test

namespace tessarin::test {

// Remembers every message the core asks for.
class CRecordingMessages : public IMessageSink {
public:
    MessageAnswer Show(const CMessage& message) override {
        shown.push_back(message);
        return MessageAnswer::Ok;
    }
    std::vector<int> Ids() const {
        std::vector<int> ids;
        for (const CMessage& m : shown)
            ids.push_back(m.id);
        return ids;
    }
    std::vector<CMessage> shown;
};

// Remembers every notice posted, with its endpoint.
class CRecordingPoster : public INoticePoster {
public:
    bool Post(const std::string& endpoint, const CChangeNotice& notice) override {
        posted.push_back(notice);
        endpoints.push_back(endpoint);
        return true;
    }
    CNoticeList posted;
    std::vector<std::string> endpoints;
};

// A sync platform whose answers a test sets.
class CFakePlatform : public IStorePlatform {
public:
    uint32_t GenerateRecordNumber() override { return nextNumber ? nextNumber++ : 0; }
    bool PlatformWantsDefaults() override { return wantsDefaults; }
    bool IsCurrentUserSyncing() override { return userActive; }
    bool wantsDefaults = true;
    bool userActive = false;
    uint32_t nextNumber = 0;
};

// A lock that someone else holds.
class CTakenLock : public IDatabaseLock {
public:
    bool Acquire(std::chrono::milliseconds) override { return false; }
    void Release() override {}
};

}  // namespace tessarin::test
