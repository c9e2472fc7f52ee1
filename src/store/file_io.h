#pragma once

// Files on disk for the archive: a buffered reader and a safe writer that replaces a file only
// once its new content is complete and on the disk.
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

// Writes a file safely: `write` fills a temporary file in the same folder, which is flushed to the
// disk and then renamed over `path`. A new file is readable by its owner only; a replaced file
// keeps its permissions. On any failure the temporary file is removed, the previous file stays as
// it was, and CFileError is thrown (with the errno value; 0 when the failure came from `write`
// itself).
void WriteFileSafely(const std::string& path, const std::function<void(IByteSink&)>& write);

// Opens a file for reading; -1 with errno set when it cannot be opened.
int OpenForReading(const std::string& path);

// Moves a file to a path where nothing may exist yet, also across file systems (then by copying,
// flushing and removing the original). 0, or the errno value (EEXIST when the target exists).
int MoveFileNoReplace(const std::string& from, const std::string& to);

// Copies a file to a path where nothing may exist yet, flushed to the disk. 0 or the errno value.
int CopyFileNoReplace(const std::string& from, const std::string& to);

}  // namespace tessarin
