#pragma once

// Notices when another process rewrites the database file without announcing it (tessarin-cli
// importing or restoring, a file put back by hand). Every load and save of this process holds the
// database lock, so the file as it stands when this process lets go of the lock is one it knows;
// a file that differs from that afterwards was written by someone else.
#include <string>

#include <QObject>
#include <QTimer>

#include "store/database_lock.h"

class QFileSystemWatcher;

namespace tessarin {

class CCoreContext;

class CDatabaseWatch : public QObject, private IDatabaseLock {
    Q_OBJECT
public:
    // Puts itself between the context and its lock for as long as it lives.
    CDatabaseWatch(CCoreContext& context, QObject* parent = nullptr);
    ~CDatabaseWatch() override;

    // Watches the file at `path` (its folder, since a save renames a new file over it) and takes
    // the file as it is now as known.
    void Watch(const std::string& path);
    // The file is to be looked at again a moment later: what changedElsewhere asked for could not
    // be done now (a dialog is open, say).
    void CheckAgainLater();
    // Whether the file differs from the one last known: checked when the folder changes.
    bool FileChangedElsewhere() const;
    // Takes the file as it is now as known: after a notice told what changed in it.
    void TakeFileAsKnown();

Q_SIGNALS:
    // A moment after the file changed: someone else changed it.
    void changedElsewhere();

private:
    struct CStamp {
        bool exists = false;
        unsigned long long device = 0, inode = 0, size = 0;
        long long seconds = 0, nanoseconds = 0;
        friend bool operator==(const CStamp&, const CStamp&) = default;
    };
    CStamp StampNow() const;
    void Check();

    bool Acquire(std::chrono::milliseconds timeout) override;
    void Release() override;

    CCoreContext& m_context;
    IDatabaseLock& m_inner;
    int m_held = 0;
    // The file had changed when this process took the lock: its load or save came after a change
    // by someone else, which still has to be read.
    bool m_changedBeforeUse = false;
    std::string m_path;
    CStamp m_known;
    QFileSystemWatcher* m_watcher;
    QTimer m_settle;
};

}  // namespace tessarin
