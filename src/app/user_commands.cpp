#include "app/user_commands.h"

#include <filesystem>

#include <QAction>
#include <QMainWindow>
#include <QMenu>

#include "app/shell_prompts.h"
#include "platform/qt_text.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/core_context.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "sync/platform_loader.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/ui_text.h"

namespace tessarin {

static_assert(cmd::kFirstUser == kFirstUserCommand && cmd::kLastUser == kLastUserCommand,
              "the user menu's commands are the directory's");

namespace {

// A switch's questions and list work, through the shell's prompts and the list's hooks.
class CSwitchUi : public IUserSwitchUi {
public:
    CSwitchUi(std::function<void()> save, std::function<bool(CPlatformUser&)> logIn,
              std::function<void()> rebuild)
        : m_save(std::move(save)), m_logIn(std::move(logIn)), m_rebuild(std::move(rebuild)) {}
    void SaveListSettings() override { m_save(); }
    bool LogIn(CPlatformUser& user) override { return m_logIn(user); }
    void RebuildList() override { m_rebuild(); }

private:
    std::function<void()> m_save;
    std::function<bool(CPlatformUser&)> m_logIn;
    std::function<void()> m_rebuild;
};

}  // namespace

CUserCommands::CUserCommands(CParts parts, CPlatformUser*& current, QObject* parent)
    : QObject(parent), m_parts(parts), m_current(current) {}

void CUserCommands::Bind(CCommandTable& commands) {
    ISyncEngine& engine = m_parts.libraries.Engine();
    commands.SetHandler(cmd::kSync, [this] { SyncCommand(); });
    commands.SetEnableRule(cmd::kSync, [this, &engine] {
        return m_current && engine.CanUserSyncNow(m_current->record);
    });
    commands.SetHandler(cmd::kSyncSettings, [this] { SyncSettingsCommand(); });
    commands.SetEnableRule(cmd::kSyncSettings, [this, &engine] {
        return m_current && engine.CanDisplaySyncSettings(m_current->record);
    });
    commands.SetRangeHandler(cmd::kUserCommands,
                             [this](uint32_t n) { SwitchTo(cmd::kFirstUser + n); });
    m_commands = &commands;
    if (QMenu* menu = commands.Popup(cmd::Popup::User))
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillUserMenu(*menu); });
}

QStringList CUserCommands::UserNames() const {
    QStringList names;
    for (const auto& user : m_parts.directory.Users())
        names << Cp1252ToQString(user->Name());
    return names;
}

int CUserCommands::IndexOf(const CPlatformUser* user) const {
    const auto& users = m_parts.directory.Users();
    for (size_t i = 0; i < users.size(); ++i)
        if (users[i].get() == user)
            return static_cast<int>(i);
    return 0;
}

void CUserCommands::FillUserMenu(QMenu& menu) {
    // The placeholder goes with the rest: the menu is made anew every time.
    menu.clear();
    for (const CUserMenuItem& item : m_parts.directory.FillUserMenu(m_current)) {
        // Past the last user command the item is there but disabled.
        QAction* action = m_commands->AddItem(&menu, item.command, Cp1252ToQString(item.name));
        action->setCheckable(true);
        action->setChecked(item.checked);
    }
}

void CUserCommands::SaveListSettings() {
    m_parts.view.SaveListSettings();
}

void CUserCommands::Rebuild() {
    // Settings, font, filters and rows for the database now in memory, read from its folder from
    // now on.
    m_parts.view.RebuildList(
        std::filesystem::path(m_parts.view.Database().m_path).parent_path().string());
}

bool CUserCommands::SwitchTo(uint32_t command) {
    CCoreContext& context = m_parts.context;
    if (m_parts.view.IsLocked())
        return false;
    const auto logIn = [&](CPlatformUser& user) {
        const std::string path = DatabasePathIn(
            m_parts.directory.GetUserDataFolder(user, m_parts.libraries.Manager(), m_parts.store));
        const auto check = [&](int, const CSecret& password) {
            if (!CheckPassword(path, password))
                return false;
            SetDatabaseKey(context, password);
            return true;
        };
        return m_parts.prompts.AskPassword(true, UserNames(), IndexOf(&user), false, check)
            .has_value();
    };
    CSwitchUi ui([this] { SaveListSettings(); }, logIn, [this] { Rebuild(); });
    // The rows point into the database that the switch empties.
    m_parts.view.EmptyForLock();
    const CSwitchOutcome outcome =
        SwitchUser(context, m_parts.libraries.Platform(), m_parts.directory, m_parts.preferences,
                   m_parts.store, m_parts.prompts.MissingFolder(), ui, m_current, command,
                   m_parts.view.Database());
    if (outcome.user == m_current) {
        m_parts.view.RefillList();
        return false;
    }
    m_current = outcome.user;
    if (!outcome.opened.Ok() && !outcome.opened.message)
        context.ShowMessage(str::kPlainText, {ResultText(outcome.opened, context.Strings())},
                            MessageIcon::Error);
    Q_EMIT userChanged(m_current);
    return true;
}

void CUserCommands::AfterSync(const CSyncResult& result) {
    switch (result.outcome) {
        case SyncOutcome::NeedPassword:
            m_parts.view.EmptyForLock();
            Q_EMIT newPasswordNeeded();
            return;
        case SyncOutcome::Reloaded:
            if (!result.reload.Ok() && !result.reload.message)
                m_parts.context.ShowMessage(str::kPlainText,
                                            {ResultText(result.reload, m_parts.context.Strings())},
                                            MessageIcon::Error);
            Rebuild();
            return;
        default:
            return;
    }
}

void CUserCommands::SyncCommand() {
    if (m_parts.view.IsLocked())
        return;
    AfterSync(RunSync(m_parts.context, m_parts.libraries.Engine(), m_current,
                      m_parts.view.Session(), &m_parts.frame));
}

void CUserCommands::AutoSync() {
    if (!m_current || m_parts.view.IsLocked() ||
        !m_parts.libraries.Engine().WantsAutoSync(m_current->record))
        return;
    AfterSync(RunAutoSync(m_parts.context, m_parts.libraries.Engine(), m_current,
                          m_parts.view.Session(), &m_parts.frame));
}

void CUserCommands::SyncSettingsCommand() {
    ShowSyncSettings(m_parts.libraries.Engine(), m_current, &m_parts.frame);
}

}  // namespace tessarin
