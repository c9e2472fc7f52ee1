#include "base/file_trust.h"

#include <climits>
#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace tessarin {

namespace {

bool OwnedSafely(const struct stat& st) {
    return (st.st_uid == 0 || st.st_uid == ::geteuid()) && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool IsTrustedFolder(const std::filesystem::path& folder) {
    struct stat st {};
    return ::stat(folder.empty() ? "." : folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           OwnedSafely(st);
}

}  // namespace

bool IsTrustedFile(const std::string& path) {
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved))
        return false;
    struct stat st {};
    if (::stat(resolved, &st) != 0 || !S_ISREG(st.st_mode) || !OwnedSafely(st))
        return false;
    return IsTrustedFolder(std::filesystem::path(resolved).parent_path()) &&
           IsTrustedFolder(std::filesystem::path(path).parent_path());
}

}  // namespace tessarin
