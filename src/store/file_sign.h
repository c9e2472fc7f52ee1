#pragma once

// Whether the database file is still the one this process last read or wrote. Every save of this
// program writes a new file and renames it over the old one, so a file written since has another
// inode; the file last known is kept open, so that its inode number cannot be given to a new file
// while it is compared with. A writer that rewrites the file in place keeps the inode but changes
// its size or its modification and change times, which are compared as well.
#include <cstdint>
#include <string>

#include "base/unique_handle.h"

namespace tessarin {

struct CFileSign {
    bool exists = false;
    uint64_t device = 0, inode = 0, size = 0;
    int64_t modified = 0, changed = 0;  // nanoseconds since the epoch
    friend bool operator==(const CFileSign&, const CFileSign&) = default;
};

// The file at `path` as it stands now (following a symbolic link); `exists` false when there is
// none.
CFileSign SignOfPath(const std::string& path);

// The file last read or written, held open.
class CKnownFile {
public:
    // Takes the open file `fd` as the one known (-1: there was no file).
    void Take(CFileHandle file);
    // Opens the file at `path` and takes it as known (after a save renamed it into place).
    void TakePath(const std::string& path);
    // Nothing known: the next comparison finds the file changed, whatever it is.
    void Forget();
    bool Known() const { return m_known; }
    // Whether the file at `path` is still the one known; false when nothing is known.
    bool Unchanged(const std::string& path) const;

private:
    CFileHandle m_file;
    CFileSign m_sign;
    bool m_known = false;
};

}  // namespace tessarin
