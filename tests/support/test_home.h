#pragma once

// A fresh temporary home for a test run: HOME and the XDG folders point into it, so that no test
// can touch the real home folder of whoever runs them. Removed when the object goes.
#include <filesystem>
#include <string>

#include <cstdlib>
#include <unistd.h>

namespace tessarin::test {

class CTestHome {
public:
    CTestHome() {
        namespace fs = std::filesystem;
        std::string pattern = (fs::temp_directory_path() / "tessarin-test-home-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return;
        m_home = pattern;
        for (const char* sub : {"config", "data", "cache", "runtime", "Documents"})
            fs::create_directories(m_home / sub);
        fs::permissions(m_home / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        setenv("HOME", m_home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_home / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_home / "data").c_str(), 1);
        setenv("XDG_CACHE_HOME", (m_home / "cache").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (m_home / "runtime").c_str(), 1);
        setenv("XDG_DOCUMENTS_DIR", (m_home / "Documents").c_str(), 1);
    }
    ~CTestHome() {
        std::error_code ignored;
        if (!m_home.empty())
            std::filesystem::remove_all(m_home, ignored);
    }
    CTestHome(const CTestHome&) = delete;
    CTestHome& operator=(const CTestHome&) = delete;

    bool Made() const { return !m_home.empty(); }
    const std::filesystem::path& Path() const { return m_home; }

private:
    std::filesystem::path m_home;
};

}  // namespace tessarin::test
