#include "platform/runtime_folder.h"

#include <cstdlib>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/unique_handle.h"
#include "store/file_io.h"

namespace tessarin {

namespace {

constexpr const char* kFallbackName = "tessarin-runtime";

// A folder (not a link to one) of this user's that neither the group nor others may write to.
bool IsFolderOfMine(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    const passwd* entry = ::getpwuid(::geteuid());
    return entry && entry->pw_dir ? entry->pw_dir : std::string();
}

// The fallback in the user's cache folder, made private (0700) whatever was there before, as long
// as it is the user's own folder.
std::string PrivateFallback() {
    std::string cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        cache = xdg;
    else if (const std::string home = HomeFolder(); !home.empty())
        cache = home + "/.cache";
    if (cache.empty())
        return {};
    const std::string folder = cache + "/" + kFallbackName;
    if (CreatePrivateFolders(folder) != 0)
        return {};
    const CFileHandle fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.Get(), &st) != 0 || st.st_uid != ::geteuid())
        return {};
    if ((st.st_mode & 07777) != 0700 && ::fchmod(fd.Get(), 0700) != 0)
        return {};
    return folder;
}

}  // namespace

std::string RuntimeFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        if (IsFolderOfMine(runtime))
            return runtime;
    return PrivateFallback();
}

}  // namespace tessarin
