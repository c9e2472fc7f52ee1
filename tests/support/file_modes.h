#pragma once

// For tests of what the programs create: the file-creation mask set for a while, the mode of what
// is at a path, and a link planted at a path by someone hoping to be written through.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace tessarin::test {

// The file-creation mask for as long as it lives (by default 000, the least private one).
class CUmask {
public:
    explicit CUmask(mode_t mask = 0) : m_kept(::umask(mask)) {}
    ~CUmask() { ::umask(m_kept); }
    CUmask(const CUmask&) = delete;
    CUmask& operator=(const CUmask&) = delete;

private:
    mode_t m_kept;
};

// The permission bits of what is at `path` (a link's own, not its target's); -1 when nothing is.
inline int ModeAt(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

inline bool IsLink(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

inline bool IsRegularFile(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A file anyone may read and write, and a link to it at `at`: what an attacker plants where the
// program is about to write, to be written through or to lend its mode to the output.
class CPlantedLink {
public:
    CPlantedLink(const std::filesystem::path& at, const CTempDir& elsewhere,
                 const std::string& name = "victim")
        : m_at(at), m_victim(elsewhere / name) {
        WriteFileBytes(m_victim, {'m', 'i', 'n', 'e'});
        ::chmod(m_victim.c_str(), 0666);
        std::filesystem::create_symlink(m_victim, m_at);
    }
    const std::filesystem::path& Victim() const { return m_victim; }

    // The victim as it was, and the link gone: in its place a file only its owner may read.
    void ExpectReplacedByPrivateFile() const {
        EXPECT_EQ(ReadFileBytes(m_victim), (std::vector<unsigned char>{'m', 'i', 'n', 'e'}))
            << m_at;
        EXPECT_EQ(ModeAt(m_victim), 0666) << m_at;
        EXPECT_TRUE(IsRegularFile(m_at)) << m_at;
        EXPECT_EQ(ModeAt(m_at), 0600) << m_at;
    }

private:
    std::filesystem::path m_at;
    std::filesystem::path m_victim;
};

}  // namespace tessarin::test
