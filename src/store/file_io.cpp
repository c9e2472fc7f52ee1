#include "store/file_io.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/unique_handle.h"

namespace tessarin {

namespace {

void SyncFolder(const std::string& folder) {
    const CFileHandle fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        (void)::fsync(fd.Get());
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

void WriteFileSafely(const std::string& path, const std::function<void(IByteSink&)>& write) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // A hidden name beside the target; built by appending, which also keeps g++ 12's -Wrestrict
    // false positive on chained string concatenation at -O3 away.
    std::string name = ".";
    name.append(target.filename().string()).append(".XXXXXX");
    std::string temp = (folder / name).string();
    CFileHandle fd(::mkstemp(temp.data()));  // created with mode 0600
    if (!fd)
        throw CFileError(errno, "the file could not be created", true);
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0)
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
    } catch (const std::bad_alloc&) {
        fail(ENOMEM, "there is not enough memory");
    } catch (const std::exception& e) {
        fail(0, e.what());
    }
    if (::fsync(fd.Get()) != 0)
        fail(errno, "the file could not be flushed to the disk");
    if (fd.Close() != 0)
        fail(errno, "the file could not be closed");
    if (::rename(temp.c_str(), path.c_str()) != 0)
        fail(errno, "the file could not be replaced");
    SyncFolder(folder.string());
}

int CopyFileNoReplace(const std::string& from, const std::string& to) {
    CFileHandle in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in)
        return errno;
    struct stat st {};
    if (::fstat(in.Get(), &st) != 0)
        return errno;
    CFileHandle out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777));
    if (!out)
        return errno;
    std::vector<char> buffer(64 * 1024);
    int result = 0;
    for (;;) {
        const ssize_t n = ::read(in.Get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            result = n < 0 ? errno : 0;
            break;
        }
        try {
            CFileSink(out.Get()).Write(buffer.data(), static_cast<size_t>(n));
        } catch (const CFileError& e) {
            result = e.Code();
            break;
        }
    }
    if (result == 0 && ::fsync(out.Get()) != 0)
        result = errno;
    if (out.Close() != 0 && result == 0)
        result = errno;
    if (result != 0)
        ::unlink(to.c_str());
    return result;
}

int MoveFileNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    int code = errno;
    if (code == EINVAL || code == ENOSYS) {
        // The file system cannot rename without replacing: a link refuses an existing target too.
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return 0;
        }
        code = errno;
    }
    if (code != EXDEV)
        return code;
    // Another file system: copy, then remove the original.
    if (const int copied = CopyFileNoReplace(from, to))
        return copied;
    if (::unlink(from.c_str()) != 0) {
        const int removeCode = errno;
        ::unlink(to.c_str());  // keep one copy only: the original
        return removeCode;
    }
    return 0;
}

}  // namespace tessarin
