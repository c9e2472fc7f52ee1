#pragma once

// Files on disk for the archive: a buffered reader and a safe writer that replaces a file only
// once its new content is complete and on the disk. What they create is the user's alone (files
// 0600, folders 0700, whatever the umask), and no output is written through, or takes its mode
// from, a symbolic link someone else planted at its path.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "store/byte_stream.h"

namespace tessarin {

// Reads a file opened for reading; Remaining() is the file's size less what was read.
class CFileSource : public IByteSource {
public:
    explicit CFileSource(int fd);
    size_t Read(void* data, size_t size) override;
    uint64_t Remaining() const override { return m_remaining; }

private:
    int m_fd;
    uint64_t m_remaining = 0;
};

class CFileSink : public IByteSink {
public:
    explicit CFileSink(int fd) : m_fd(fd) {}
    void Write(const void* data, size_t size) override;

private:
    int m_fd;
};

// A failure of a file operation: the errno value and what was being done.
class CFileError : public std::runtime_error {
public:
    // `atOpen`: the file could not be created or opened at all (rather than failing later on).
    CFileError(int code, const std::string& what, bool atOpen = false)
        : std::runtime_error(what), m_code(code), m_atOpen(atOpen) {}
    int Code() const { return m_code; }
    bool AtOpen() const { return m_atOpen; }

private:
    int m_code;
    bool m_atOpen;
};

// What a safe write does with a symbolic link at the path it writes.
enum class LinkAtPath {
    // A link of the user's own that leads, through links of the user's own, to a regular file of
    // the user's own stays, and that file is replaced (a database kept elsewhere through a link).
    // Any other link is replaced, as with Replace.
    FollowOwn,
    // The link itself is replaced by the new file; what it points to is left untouched. For the
    // files the user names: exports, backups, reports, pictures.
    Replace,
};

// Writes a file safely: `write` fills a temporary file (opened close-on-exec) in the folder of the
// file replaced, which is flushed to the disk and then renamed over it. A new file is readable by
// its owner only, whatever the umask; a replaced regular file of the user's own keeps its
// permissions. On any failure the temporary file is removed, the previous file stays as it was,
// and CFileError is thrown (with the errno value; 0 when the failure came from `write` itself).
void WriteFileSafely(const std::string& path, const std::function<void(IByteSink&)>& write,
                     LinkAtPath links = LinkAtPath::FollowOwn);

// The file a write of `path` replaces under LinkAtPath::FollowOwn: `path` itself, or where the
// user's own links lead when they lead to a regular file of the user's own.
std::string OwnLinkTarget(const std::string& path);

// Makes the folder and those above it that are missing, each with mode 0700 whatever the umask;
// folders that exist are left as they are. 0, or the errno value.
int CreatePrivateFolders(const std::string& folder);

// Sets a file's mode to 0600 without following a link at its path; nothing happens when it is
// not a regular file of the user's own. 0, or the errno value.
int MakeFilePrivate(const std::string& path);

// Opens a file for reading; -1 with errno set when it cannot be opened.
int OpenForReading(const std::string& path);

// Moves a file to a path where nothing may exist yet (not even a link), also across file systems
// (then by copying, flushing and removing the original). 0, or the errno value (EEXIST when the
// target exists).
int MoveFileNoReplace(const std::string& from, const std::string& to);

// Copies a file to a path where nothing may exist yet (not even a link), flushed to the disk; the
// copy is readable by its owner only. 0 or the errno value.
int CopyFileNoReplace(const std::string& from, const std::string& to);

}  // namespace tessarin
