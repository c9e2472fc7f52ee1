#include "platform/runtime_folder.h"

#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace tessarin {

namespace {

bool IsPrivateFolderOfMine(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

}  // namespace

std::string RuntimeFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        struct stat st {};
        if (::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
            return runtime;
    }
    const char* temp = std::getenv("TMPDIR");
    const std::string folder =
        std::string(temp && *temp ? temp : "/tmp") + "/tessarin-" + std::to_string(::getuid());
    ::mkdir(folder.c_str(), 0700);
    // Someone else's folder of that name must not receive our lock or our notices.
    return IsPrivateFolderOfMine(folder) ? folder : std::string();
}

}  // namespace tessarin
