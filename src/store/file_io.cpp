#include "store/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

// Links followed at most, as the system would.
constexpr int kMaxLinks = 40;

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

std::string OwnLinkTarget(const std::string& path) {
    namespace fs = std::filesystem;
    const uid_t me = ::geteuid();
    fs::path at(path);
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || st.st_uid != me)
            return path;
        if (S_ISREG(st.st_mode))
            return at.string();
        if (!S_ISLNK(st.st_mode))
            return path;
        std::error_code error;
        const fs::path next = fs::read_symlink(at, error);
        if (error)
            return path;
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return path;
}

void WriteFileSafely(const std::string& path, const std::function<void(IByteSink&)>& write,
                     LinkAtPath links) {
    namespace fs = std::filesystem;
    const fs::path target(links == LinkAtPath::FollowOwn ? OwnLinkTarget(path) : path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // A hidden name beside the target; built by appending, which also keeps g++ 12's -Wrestrict
    // false positive on chained string concatenation at -O3 away.
    std::string name = ".";
    name.append(target.filename().string()).append(".XXXXXX");
    std::string temp = (folder / name).string();
    CFileHandle fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd)
        throw CFileError(errno, "the file could not be created", true);
    // The user's own file keeps the permissions the user gave it; anything else (nothing, a link,
    // someone else's file) gives way to a file only its owner may read, whatever the umask.
    mode_t mode = 0600;
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        existing.st_uid == ::geteuid())
        mode = existing.st_mode & 0777;

    auto fail = [&](int code, const std::string& what) {
        ::unlink(temp.c_str());
        throw CFileError(code, what);
    };
    if (::fchmod(fd.Get(), mode) != 0)
        fail(errno, "the file could not be made private");
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
    // A rename replaces a link at the target rather than writing through it.
    if (::rename(temp.c_str(), target.c_str()) != 0)
        fail(errno, "the file could not be replaced");
    SyncFolder(folder.string());
}

int CreatePrivateFolders(const std::string& folder) {
    namespace fs = std::filesystem;
    fs::path at;
    for (const fs::path& part : fs::path(folder)) {
        at /= part;
        if (part.empty() || part == "/" || part == "." || part == "..")
            continue;
        if (::mkdir(at.c_str(), 0700) == 0) {
            // Made here: private whatever the umask (which mkdir subtracts from the mode).
            const CFileHandle fd(
                ::open(at.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!fd || ::fchmod(fd.Get(), 0700) != 0)
                return errno;
            continue;
        }
        if (errno != EEXIST)
            return errno;
        struct stat st {};
        if (::stat(at.c_str(), &st) != 0)
            return errno;
        if (!S_ISDIR(st.st_mode))
            return ENOTDIR;
    }
    return 0;
}

int MakeFilePrivate(const std::string& path) {
    const CFileHandle fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        return errno;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return 0;
    if ((st.st_mode & 07777) != 0600 && ::fchmod(fd.Get(), 0600) != 0)
        return errno;
    return 0;
}

int CopyFileNoReplace(const std::string& from, const std::string& to) {
    CFileHandle in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in)
        return errno;
    // O_EXCL also refuses a link at `to`, even one that leads nowhere.
    CFileHandle out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out)
        return errno;
    if (::fchmod(out.Get(), 0600) != 0) {
        const int code = errno;
        out.Close();
        ::unlink(to.c_str());
        return code;
    }
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
