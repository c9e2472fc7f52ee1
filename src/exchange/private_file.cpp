// Writing a file that holds records in clear, for the owner's eyes only.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <new>

#include "base/unique_handle.h"
#include "exchange/exchange_writer.h"
#include "store/file_io.h"

namespace tessarin {

void WritePrivateFile(const std::string& path, const std::function<void(IByteSink&)>& write) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    CFileHandle fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd)
        throw CFileError(errno, "the file could not be created", true);
    auto fail = [&](int code, const std::string& what) {
        ::unlink(temp.c_str());
        throw CFileError(code, what);
    };
    // Owner only, whatever the umask made of the new file; never the mode of what `path` is now.
    if (::fchmod(fd.Get(), S_IRUSR | S_IWUSR) != 0)
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
    // A rename replaces whatever has the name, a symbolic link included, and follows nothing.
    if (::rename(temp.c_str(), path.c_str()) != 0)
        fail(errno, "the file could not be replaced");
    const CFileHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir)
        (void)::fsync(dir.Get());
}

}  // namespace tessarin
