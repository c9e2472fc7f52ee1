#include "store/file_io.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessarin {

namespace {

class CFd {
public:
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

CFileSource::CFileSource(int fd) : m_fd(fd) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        const off_t pos = ::lseek(fd, 0, SEEK_CUR);
        m_remaining = static_cast<uint64_t>(st.st_size - (pos > 0 ? pos : 0));
    }
}

size_t CFileSource::Read(void* data, size_t size) {
    auto* out = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(m_fd, out + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw CFileError(errno, "the file could not be read");
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    m_remaining = done < m_remaining ? m_remaining - done : 0;
    return done;
}

void CFileSink::Write(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size) {
        const ssize_t n = ::write(m_fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw CFileError(errno, "the file could not be written");
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
}

int OpenForReading(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

void WriteFileSafely(const std::string& path, const std::function<void(IByteSink&)>& write,
                     bool replace) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // A hidden name beside the target; built by appending, which also keeps g++ 12's -Wrestrict
    // false positive on chained string concatenation at -O3 away.
    std::string name = ".";
    name.append(target.filename().string()).append(".XXXXXX");
    std::string temp = (folder / name).string();
    CFd fd(::mkstemp(temp.data()));  // created with mode 0600
    if (fd.Get() < 0)
        throw CFileError(errno, "the file could not be created");
    struct stat existing {};
    if (replace && ::stat(path.c_str(), &existing) == 0)
        (void)::fchmod(fd.Get(), existing.st_mode & 07777);

    auto fail = [&](int code, const std::string& what) {
        ::unlink(temp.c_str());
        throw CFileError(code, what);
    };
    try {
        CFileSink sink(fd.Get());
        write(sink);
    } catch (const CFileError& e) {
        fail(e.Code(), e.what());
    } catch (const std::exception& e) {
        fail(0, e.what());
    }
    if (::fsync(fd.Get()) != 0)
        fail(errno, "the file could not be flushed to the disk");
    if (::close(fd.Release()) != 0)
        fail(errno, "the file could not be closed");
    if (replace) {
        if (::rename(temp.c_str(), path.c_str()) != 0)
            fail(errno, "the file could not be replaced");
    } else if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
        // Where the file system cannot rename without replacing, a hard link does the same.
        if (errno != EINVAL && errno != ENOSYS)
            fail(errno, "the file could not be created");
        if (::link(temp.c_str(), path.c_str()) != 0)
            fail(errno, "the file could not be created");
        ::unlink(temp.c_str());
    }
    SyncFolder(folder.string());
}

}  // namespace tessarin
