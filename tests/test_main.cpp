// Test runner: points HOME and the XDG folders at a fresh temporary folder, so that no test can
// touch the real home folder of whoever runs them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "tessarin-test-home-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data())) {
        const fs::path home = made;
        for (const char* sub : {"config", "data", "cache", "runtime", "Documents"})
            fs::create_directories(home / sub);
        fs::permissions(home / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
        setenv("XDG_DOCUMENTS_DIR", (home / "Documents").c_str(), 1);
        ::testing::InitGoogleTest(&argc, argv);
        const int result = RUN_ALL_TESTS();
        std::error_code ignored;
        fs::remove_all(home, ignored);
        return result;
    }
    return 2;
}
