#pragma once

// The whole program with the file commands' questions answered by a script.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "app/desktop_app.h"
#include "app/desktop_commands.h"
#include "app/main_frame.h"
#include "gui/shell_fixture.h"
#include "store/preference_store.h"
#include "support/scripted_file_password.h"
#include "support/temp_dir.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/file_commands.h"
#include "ui/view_imports.h"

namespace tessarin::test {

class CScriptedFilePrompts : public IFilePrompts {
public:
    std::optional<std::string> OpenFile(int title, int filter, int selected) override {
        asked.push_back({title, filter, selected});
        return Next(files);
    }
    std::optional<std::string> SaveFile(int title, int filter, const std::string& start) override {
        asked.push_back({title, filter, 0});
        startFolder = start;
        return Next(files);
    }
    std::optional<std::string> SaveFileChoosing(int title, int filter, int& chosen) override {
        asked.push_back({title, filter, chosenFilter});
        chosen = chosenFilter;
        return Next(files);
    }
    std::optional<ExportScope> AskExportScope() override { return scope; }
    std::optional<CSecret> AskExportPassword() override {
        if (!exportPassword)
            return std::nullopt;
        return CSecret(*exportPassword);
    }
    IFilePasswordPrompt& ImportPassword() override { return password; }
    std::optional<std::string> PickDatabaseFolder(const std::string& start) override {
        startFolder = start;
        return Next(folders);
    }

    struct CAsked {
        int title, filter, selected;
        friend bool operator==(const CAsked&, const CAsked&) = default;
    };
    std::vector<CAsked> asked;
    std::deque<std::string> files;
    std::deque<std::string> folders;
    std::optional<ExportScope> scope = ExportScope::All;
    int chosenFilter = 0;  // the filter entry a save dialog that chooses the format returns
    std::optional<std::string> exportPassword = std::string();
    std::string startFolder;
    CScriptedFilePassword password;

private:
    static std::optional<std::string> Next(std::deque<std::string>& queue) {
        if (queue.empty())
            return std::nullopt;
        std::string next = queue.front();
        queue.pop_front();
        return next;
    }
};

class ProgramFixture : public ::testing::Test {
protected:
    ProgramFixture() { unsetenv("TESSARIN_PLATFORM_DIR"); }

    std::unique_ptr<CTessarinDesktopApp> Make(IBackgroundRunner* runner = nullptr) {
        CDesktopOptions options;
        options.programFolder = m_program.Path().string();
        options.documentsFolder = Documents();
        options.currentFolder = m_home.Path().string();
        options.prompts = &m_prompts;
        options.messages = &m_messages;
        options.store = &m_store;
        options.filePrompts = &m_files;
        options.runner = runner;
        options.watchSession = m_watchSession;
        options.makeTimer = [this] {
            auto timer = std::make_unique<CManualTimer>();
            m_timer = timer.get();
            return timer;
        };
        options.trayAvailable = m_trayAvailable;
        return std::make_unique<CTessarinDesktopApp>(std::move(options));
    }
    std::string Documents() const { return (m_home.Path() / "Documents").string(); }
    std::string Folder() const { return Documents() + "/Marrowgate/Tessarin/_Standalone_"; }
    std::string Write(const std::string& name, std::string_view bytes) {
        const std::string path = (m_home.Path() / name).string();
        WriteFileBytes(path, std::vector<unsigned char>(bytes.begin(), bytes.end()));
        return path;
    }
    // Runs a command of the menu as the user would choose it.
    bool Run(CTessarinDesktopApp& app, uint32_t id) { return app.Frame()->Commands().Run(id); }

    CTempDir m_home;
    CTempDir m_program;
    CScriptedPrompts m_prompts;
    CAnsweringMessages m_messages;
    CMemoryPreferenceStore m_store;
    CScriptedFilePrompts m_files;
    // The lock timer of the program made last.
    CManualTimer* m_timer = nullptr;
    bool m_trayAvailable = false;
    // Whether the program follows the desktop's lock and suspend (over D-Bus, where there is one).
    bool m_watchSession = false;
};

}  // namespace tessarin::test
