#pragma once

// What the store asks of the sync platform manager, and no more: record numbers for new items,
// whether a new database gets the built-in types and categories, and whether the changes of the
// user whose database is open are announced to the sync listener. The sync layer answers through
// the real manager; a process without one works with CNoPlatform.
#include <cstdint>

namespace tessarin {

class IStorePlatform {
public:
    virtual ~IStorePlatform() = default;
    // The record number of a new item; 0 where the platform numbers nothing.
    virtual uint32_t GenerateRecordNumber() = 0;
    virtual bool PlatformWantsDefaults() = 0;
    // Whether the platform reports the current user as syncing: only then do change notices go
    // out.
    virtual bool IsCurrentUserSyncing() = 0;
};

// A computer without handheld: no record numbers, defaults wanted, nobody syncing.
class CNoPlatform final : public IStorePlatform {
public:
    uint32_t GenerateRecordNumber() override { return 0; }
    bool PlatformWantsDefaults() override { return true; }
    bool IsCurrentUserSyncing() override { return false; }
};

}  // namespace tessarin
