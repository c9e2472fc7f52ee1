#pragma once

// The process-wide things the core works with, in one object passed to whoever needs them: the
// random source, the key, filler and password generators, the held key schedule of the open
// database, the delete method and record numbers of the sync platform manager, the texts, the
// locale and the collation, and the services that reach other processes (lock, notices) and the
// user (messages).
#include <chrono>
#include <memory>

#include "base/collation.h"
#include "base/locale.h"
#include "base/messages.h"
#include "base/random_source.h"
#include "resources/string_table.h"
#include "security/blowfish.h"
#include "store/database_lock.h"
#include "security/password_generator.h"
#include "store/key_generator.h"
#include "store/notice_channel.h"
#include "sync/platform_manager.h"

namespace tessarin {

class CCoreContext {
public:
    CCoreContext();
    ~CCoreContext();
    CCoreContext(const CCoreContext&) = delete;
    CCoreContext& operator=(const CCoreContext&) = delete;

    CRandomSource& Random() { return m_random; }
    CFillerSource& Filler() { return m_filler; }
    ItemKey NewKey() { return m_keys.Generate(m_random); }
    void SetKeyGenerator(CKeyGenerator generator) { m_keys = std::move(generator); }
    // Draws from Random(); keeps the syllables one password hands on to the next.
    CPasswordGenerator& PasswordGenerator() { return m_passwords; }

    // The sync platform manager; the built-in standalone manager unless another is set. The
    // context does not own what is set.
    IPlatformManager& Manager() { return *m_manager; }
    void SetManager(IPlatformManager* manager) { m_manager = manager ? manager : &m_standalone; }
    uint32_t NewRecordNumber() { return m_manager->GenerateRecordNumber(); }

    // Delete items outright instead of marking them (read from the manager once at start).
    bool m_hardDelete = false;

    const CStringTable& Strings() const { return m_strings; }
    CStringTable& Strings() { return m_strings; }

    const ICollation& Collation() const { return *m_collation; }
    void SetCollation(const ICollation* collation) {
        m_collation = collation ? collation : &m_fixedCollation;
    }
    // Dates, numbers and collation as the user's locale has them; setting one also makes it the
    // collation. The context does not own what is set.
    const ILocale& Locale() const { return *m_locale; }
    void SetLocale(const ILocale* locale) {
        m_locale = locale ? locale : &m_fixedLocale;
        SetCollation(locale);
    }

    // The lock between processes that loads and saves hold, and how long they wait for it.
    IDatabaseLock& Lock() { return *m_lock; }
    void SetLock(IDatabaseLock* lock) { m_lock = lock ? lock : &m_noLock; }
    std::chrono::milliseconds m_lockTimeout{10000};

    // Where messages for the user go.
    IMessageSink& Messages() { return *m_messages; }
    void SetMessages(IMessageSink* messages) { m_messages = messages ? messages : &m_silent; }
    MessageAnswer ShowMessage(int id, std::vector<std::string> args = {},
                              MessageIcon icon = MessageIcon::None,
                              MessageButtons buttons = MessageButtons::Ok) {
        return m_messages->Show({id, std::move(args), icon, buttons});
    }

    // Where change notices for the sync listener go, and whose changes they are: notices are
    // delivered only while the platform reports the current user as syncing.
    INoticePoster& Poster() { return *m_poster; }
    void SetPoster(INoticePoster* poster) { m_poster = poster ? poster : &m_noPoster; }
    CPlatformUserRecord m_currentUser = CPlatformUserRecord::Standalone();

    // The key schedule of the open database, or none (no password, or locked).
    const CKeySchedule* DatabaseKey() const { return m_databaseKey.get(); }
    void HoldDatabaseKey(std::unique_ptr<CKeySchedule> key) { m_databaseKey = std::move(key); }

private:
    CRandomSource m_random;
    CFillerSource m_filler;
    CKeyGenerator m_keys;
    CPasswordGenerator m_passwords{m_random};
    CStandaloneManager m_standalone;
    IPlatformManager* m_manager = &m_standalone;
    CStringTable m_strings;
    CFixedCollation m_fixedCollation;
    const ICollation* m_collation = &m_fixedCollation;
    CFixedLocale m_fixedLocale;
    const ILocale* m_locale = &m_fixedLocale;
    std::unique_ptr<CKeySchedule> m_databaseKey;
    CNoLock m_noLock;
    IDatabaseLock* m_lock = &m_noLock;
    CSilentMessages m_silent;
    IMessageSink* m_messages = &m_silent;
    CNoPoster m_noPoster;
    INoticePoster* m_poster = &m_noPoster;
};

}  // namespace tessarin
