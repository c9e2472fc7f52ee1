#include "store/file_sign.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace tessarin {

namespace {

CFileSign SignOf(const struct stat& st) {
    CFileSign sign;
    sign.exists = true;
    sign.device = st.st_dev;
    sign.inode = st.st_ino;
    sign.size = static_cast<uint64_t>(st.st_size);
    sign.modified = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    sign.changed = int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
    return sign;
}

}  // namespace

CFileSign SignOfPath(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return SignOf(st);
}

void CKnownFile::Take(CFileHandle file) {
    m_file = std::move(file);
    m_sign = {};
    struct stat st {};
    if (m_file && ::fstat(m_file.Get(), &st) == 0)
        m_sign = SignOf(st);
    m_known = true;
}

void CKnownFile::TakePath(const std::string& path) {
    Take(CFileHandle(::open(path.c_str(), O_RDONLY | O_CLOEXEC)));
}

void CKnownFile::Forget() {
    m_file.Close();
    m_sign = {};
    m_known = false;
}

bool CKnownFile::Unchanged(const std::string& path) const {
    if (!m_known)
        return false;
    if (!m_sign.exists)
        return !SignOfPath(path).exists;
    // The held file itself may have been rewritten in place since.
    struct stat st {};
    if (::fstat(m_file.Get(), &st) != 0 || !(SignOf(st) == m_sign))
        return false;
    return SignOfPath(path) == m_sign;
}

}  // namespace tessarin
