#pragma once

// A start that cannot read the user's database (it is damaged, or another program held it past the
// wait) does not simply end: it says why and lets the user read it again, restore a backup over
// it (the newest automatic backup, or a file the user chooses) or quit. Nothing is written to the
// file that could not be read: a restore keeps it beside itself first, as every restore does.
#include <functional>
#include <memory>
#include <string>

namespace tessarin {

class CCoreContext;
class IFilePrompts;
class IShellPrompts;

class CStartRecovery {
public:
    // Whose automatic backups count.
    struct CBackups {
        std::string documentsFolder;
        std::string platformText;
        std::string userName;
    };
    // `files`: a test double; the program's file dialogs when none.
    CStartRecovery(CCoreContext& context, IShellPrompts& prompts, IFilePrompts* files,
                   CBackups backups);
    ~CStartRecovery();

    // Runs `open`, which reads the database in `folder` and says through the context's messages
    // why it could not, until it reads (true) or the user quits (false). What `open` said is shown
    // only when it read the database after all.
    bool OpenOrRecover(const std::string& folder, const std::function<bool()>& open);

private:
    // Restores the backup at `path` over the database in `folder`; true when it was restored.
    bool Restore(const std::string& folder, const std::string& path);

    CCoreContext& m_context;
    IShellPrompts& m_prompts;
    std::unique_ptr<IFilePrompts> m_ownFiles;
    IFilePrompts* m_files;
    CBackups m_backups;
};

}  // namespace tessarin
