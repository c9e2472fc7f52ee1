#pragma once

// The sync platform manager as the store sees it (record numbers, defaults), together with the
// user whose database is open, whose changes are announced only while the manager reports that
// user as syncing.
#include "store/store_platform.h"
#include "sync/platform_manager.h"

namespace tessarin {

class CPlatformBinding final : public IStorePlatform {
public:
    explicit CPlatformBinding(IPlatformManager& manager) : m_manager(&manager) {}

    IPlatformManager& Manager() { return *m_manager; }
    void SetManager(IPlatformManager& manager) { m_manager = &manager; }

    const CPlatformUserRecord& CurrentUser() const { return m_currentUser; }
    void SetCurrentUser(const CPlatformUserRecord& user) { m_currentUser = user; }

    uint32_t GenerateRecordNumber() override { return m_manager->GenerateRecordNumber(); }
    bool PlatformWantsDefaults() override { return m_manager->PlatformWantsDefaults(); }
    bool IsCurrentUserSyncing() override {
        return m_manager->IsPlatformUserActive(m_currentUser.Name(), m_currentUser.FolderName(),
                                               m_currentUser.UserNumber());
    }

private:
    IPlatformManager* m_manager;
    CPlatformUserRecord m_currentUser = CPlatformUserRecord::Standalone();
};

}  // namespace tessarin
