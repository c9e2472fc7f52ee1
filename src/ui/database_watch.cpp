#include "ui/database_watch.h"

#include <sys/stat.h>

#include <filesystem>

#include <QFileSystemWatcher>

#include "store/core_context.h"

namespace tessarin {

namespace {

// Long enough for a writer's temporary file, flush and rename to be over.
inline constexpr int kSettleMs = 300;

}  // namespace

CDatabaseWatch::CDatabaseWatch(CCoreContext& context, QObject* parent)
    : QObject(parent),
      m_context(context),
      m_inner(context.Lock()),
      m_watcher(new QFileSystemWatcher(this)) {
    m_context.SetLock(this);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &CDatabaseWatch::Check);
    const auto changed = [this] { m_settle.start(); };
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
}

CDatabaseWatch::~CDatabaseWatch() {
    if (&m_context.Lock() == this)
        m_context.SetLock(&m_inner);
}

void CDatabaseWatch::Watch(const std::string& path) {
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_path = path;
    const std::filesystem::path file(path);
    m_watcher->addPath(QString::fromStdString(file.parent_path().string()));
    if (std::filesystem::exists(file))
        m_watcher->addPath(QString::fromStdString(path));
    TakeFileAsKnown();
}

CDatabaseWatch::CStamp CDatabaseWatch::StampNow() const {
    CStamp stamp;
    struct stat info {};
    if (m_path.empty() || ::stat(m_path.c_str(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = static_cast<unsigned long long>(info.st_size);
    stamp.seconds = info.st_mtim.tv_sec;
    stamp.nanoseconds = info.st_mtim.tv_nsec;
    return stamp;
}

void CDatabaseWatch::CheckAgainLater() {
    m_settle.start();
}

bool CDatabaseWatch::FileChangedElsewhere() const {
    return m_changedBeforeUse || StampNow() != m_known;
}

void CDatabaseWatch::TakeFileAsKnown() {
    m_known = StampNow();
    m_changedBeforeUse = false;
    // A file renamed over the watched one is a new file: watch it again.
    const QString file = QString::fromStdString(m_path);
    if (m_known.exists && !m_watcher->files().contains(file))
        m_watcher->addPath(file);
}

void CDatabaseWatch::Check() {
    if (m_held > 0 || !FileChangedElsewhere()) {
        if (m_held > 0)
            m_settle.start();
        return;
    }
    Q_EMIT changedElsewhere();
}

bool CDatabaseWatch::Acquire(std::chrono::milliseconds timeout) {
    if (!m_inner.Acquire(timeout))
        return false;
    if (m_held++ == 0 && StampNow() != m_known)
        m_changedBeforeUse = true;
    return true;
}

void CDatabaseWatch::Release() {
    m_inner.Release();
    if (m_held > 0 && --m_held == 0) {
        const bool before = m_changedBeforeUse;
        TakeFileAsKnown();
        m_changedBeforeUse = before;
        if (before)
            m_settle.start();
    }
}

}  // namespace tessarin
