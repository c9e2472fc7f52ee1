#pragma once

// The process-wide things the core works with, in one object passed to whoever needs them: the
// random source, the key, filler and password generators, the held key schedule of the open
// database, what the store needs of the sync platform (record numbers, defaults, the delete method,
// whether the current user syncs), the texts, the locale and the collation, and the services that
// reach other processes (lock, notices) and the user (messages).
#include <chrono>
#include <memory>

#include "base/collation.h"
#include "base/locale.h"
#include "base/messages.h"
#include "base/random_source.h"
#include "resources/string_table.h"
#include "security/blowfish.h"
#include "security/password_generator.h"
#include "store/database_lock.h"
#include "store/key_generator.h"
#include "store/notice_channel.h"
#include "store/store_platform.h"

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
    // Draws from the system's cryptographic random source, never from Random(); keeps the
    // syllables one password hands on to the next.
    CPasswordGenerator& PasswordGenerator() { return m_passwords; }

    // The sync platform as the store sees it; a platform without handheld unless another is set.
    // The context does not own what is set.
    IStorePlatform& Platform() { return *m_platform; }
    void SetPlatform(IStorePlatform* platform) { m_platform = platform ? platform : &m_noPlatform; }
    uint32_t NewRecordNumber() { return m_platform->GenerateRecordNumber(); }

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
                              MessageButtons buttons = MessageButtons::Ok,
                              std::string detail = {}) {
        return m_messages->Show({id, std::move(args), icon, buttons, std::move(detail)});
    }

    // Where change notices for the sync listener go; they are delivered only while the platform
    // reports the current user as syncing.
    INoticePoster& Poster() { return *m_poster; }
    void SetPoster(INoticePoster* poster) { m_poster = poster ? poster : &m_noPoster; }

    // The key schedule of the open database, or none (no password, or locked).
    const CKeySchedule* DatabaseKey() const { return m_databaseKey.get(); }
    void HoldDatabaseKey(std::unique_ptr<CKeySchedule> key) { m_databaseKey = std::move(key); }
    std::unique_ptr<CKeySchedule> TakeDatabaseKey() { return std::move(m_databaseKey); }

private:
    CRandomSource m_random;
    CFillerSource m_filler;
    CKeyGenerator m_keys;
    CSystemRandom m_systemRandom;
    CPasswordGenerator m_passwords{m_systemRandom};
    CNoPlatform m_noPlatform;
    IStorePlatform* m_platform = &m_noPlatform;
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
