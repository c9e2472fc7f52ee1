#include "app/desktop_app.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QStandardPaths>
#include <QTimer>

#include "app/activity_filter.h"
#include "app/color_scheme.h"
#include "app/desktop_commands.h"
#include "app/frame_states.h"
#include "app/locking.h"
#include "app/main_frame.h"
#include "app/program_wiring.h"
#include "app/session_lock.h"
#include "app/shell_prompts.h"
#include "app/start_recovery.h"
#include "app/tray_icon.h"
#include "base/error_codes.h"
#include "base/test_switches.h"
#include "exchange/backup.h"
#include "platform/desktop_endpoint.h"
#include "platform/file_lock.h"
#include "platform/notice_socket.h"
#include "platform/paths.h"
#include "platform/qt_locale.h"
#include "platform/qt_text.h"
#include "platform/settings_store.h"
#include "resources/command_table_data.h"
#include "resources/language_file.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "security/password_rules.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "store/password_preferences.h"
#include "sync/startup.h"
#include "sync/sync_commands.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/message_box.h"
#include "ui/password_dialogs.h"
#include "ui/preferences_dialog.h"
#include "ui/record_commands.h"
#include "ui/record_list_view.h"
#include "ui/ui_text.h"
#include "ui/view_imports.h"

namespace tessarin {

namespace {

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// For the start-up benchmark (TESSARIN_EXIT_AFTER_FIRST_ROWS set): ends the process right after
// the record list has painted its first rows (or itself, empty, when the database has none), so
// that the process's wall time and peak memory are those of a start.
class CExitAfterFirstRows : public QObject {
public:
    explicit CExitAfterFirstRows(CTessarinDesktopApp& app) : m_app(app) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        CTessarinDesktopView* view = m_app.View();
        if (event->type() == QEvent::Paint && view && view->isVisible() &&
            watched == view->List()->viewport() &&
            view->Database().m_loadState == LoadState::Loaded &&
            (view->RowCount() > 0 || view->Database().m_records.Empty()))
            QTimer::singleShot(0, [] {
                std::fflush(stdout);
                std::_Exit(0);
            });
        return false;
    }

private:
    CTessarinDesktopApp& m_app;
};

}  // namespace

CTessarinDesktopApp::CTessarinDesktopApp(CDesktopOptions options) : m_options(std::move(options)) {
    m_messageBoxes = std::make_unique<CMessageBoxSink>(m_context.Strings());
    m_context.SetMessages(m_options.messages ? m_options.messages : m_messageBoxes.get());
    m_fileLock = std::make_unique<CFileLock>();
    m_context.SetLock(m_fileLock.get());
    m_poster = std::make_unique<CSocketPoster>();
    m_context.SetPoster(m_poster.get());
}

CTessarinDesktopApp::~CTessarinDesktopApp() {
    m_commands.reset();
    m_sessionWatcher.reset();
    m_tray.reset();
    m_activity.reset();
    m_frameStates.reset();
    m_lock.reset();
    m_lockController.reset();
    m_endpoint.reset();
    delete m_frame;
}

void CTessarinDesktopApp::LoadLanguage() {
    // Beside the program first, then in the user's data folder.
    const std::string folders[] = {
        m_options.programFolder,
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() +
            "/tessarin"};
    for (const std::string& folder : folders)
        if (!folder.empty() &&
            LoadLanguageFile(folder + "/" + kLanguageFileName, m_context.Strings()))
            return;
}

void CTessarinDesktopApp::MakeUserCurrent(CPlatformUser& user) {
    m_user = &user;
    m_preferences->WriteText(Pref::CurrentUser, user.Name());
    m_preferences->SetUserName(user.Name());
    m_libraries.Platform().SetCurrentUser(user.record);
}

bool CTessarinDesktopApp::LogIn(std::string& folder) {
    IPlatformManager& manager = m_libraries.Manager();
    auto& users = m_directory.Users();
    CSecret used;
    if (IsPasswordSet(DatabasePathIn(folder))) {
        QStringList names;
        int current = 0;
        for (size_t i = 0; i < users.size(); ++i) {
            names << Cp1252ToQString(users[i]->Name());
            if (users[i].get() == m_user)
                current = static_cast<int>(i);
        }
        const auto check = [&](int index, const CSecret& password) {
            if (index < 0 || static_cast<size_t>(index) >= users.size())
                return false;
            const std::string path =
                DatabasePathIn(m_directory.GetUserDataFolder(*users[index], manager, *m_store));
            if (!CheckPassword(path, password))
                return false;
            SetDatabaseKey(m_context, password);
            used = password;
            return true;
        };
        const std::optional<int> chosen =
            m_prompts->AskPassword(users.size() > 1, names, current, true, check);
        if (!chosen)
            return false;
        if (users[*chosen].get() != m_user) {
            MakeUserCurrent(*users[*chosen]);
            folder = m_directory.GetUserDataFolder(*m_user, manager, *m_store);
        }
    } else {
        SetDatabaseKey(m_context, CSecret());
    }

    const std::optional<CPasswordRequirements> requirements = ReadRequirements(*m_preferences);
    if (requirements && !MeetsRequirements(*requirements, used)) {
        CDatabaseObj database(m_context);
        const CStoreResult opened = Open(database, folder);
        // A database on a volume that is not there now cannot take a new password.
        if (!IsVolumeUnavailable(opened.error)) {
            std::optional<CSecret> fresh = m_prompts->AskWelcomePassword();
            if (!fresh)
                return false;
            ChangePassword(database, *fresh);
        }
    }
    return true;
}

bool CTessarinDesktopApp::InitInstance() {
    LoadLanguage();
    m_ownStore = m_options.store ? nullptr : std::make_unique<CSettingsStore>();
    m_store = m_options.store ? m_options.store : m_ownStore.get();
    m_preferences = std::make_unique<CPreferences>(*m_store);
    m_ownPrompts = m_options.prompts ? nullptr
                                     : MakeDialogPrompts(m_context.Strings(), m_context.Messages(),
                                                         *m_preferences);
    m_prompts = m_options.prompts ? m_options.prompts : m_ownPrompts.get();
    m_context.Random().SeedRandom(
        static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now().time_since_epoch())
                                  .count()));

    // Another copy running takes the file named and comes to the front instead of this one.
    const CCommandLine commandLine(m_options.args);
    const std::optional<std::string> file = commandLine.FilePath(m_options.currentFolder);
    if (ActivateOtherCopy(kMainWindowEndpoint, file.value_or(std::string())))
        return false;

    const int platform =
        m_libraries.Load(PlatformLibraryFolder(m_options.programFolder), m_options.documentsFolder);
    m_context.SetPlatform(&m_libraries.Platform());
    if (platform != 0) {
        m_context.ShowMessage(str::kErrorInitializingPlatform, {HexCode(platform)},
                              MessageIcon::Error);
        return false;
    }
    if (!m_libraries.RefusedLibrary().empty())
        m_context.ShowMessage(
            str::kPlatformLibraryRefused,
            {QStringToCp1252(QString::fromStdString(m_libraries.RefusedLibrary()))},
            MessageIcon::Exclamation);
    m_locale = CQtLocale::System();
    m_context.SetLocale(m_locale.get());

    const CStartupChoice choice =
        ChooseUserAndDatabase(m_context, m_libraries.Platform(), m_directory, *m_preferences,
                              *m_store, m_prompts->MissingFolder(), m_options.documentsFolder);
    if (choice.result != CStartupChoice::Ready)
        return false;
    m_user = choice.user;
    std::string folder = choice.dataFolder;
    // Whether the user had a database before the login (which may have to create one).
    bool firstRun = choice.firstRun;
    CPlatformUser* chosen = m_user;
    if (!LogIn(folder))
        return false;
    if (m_user != chosen)
        firstRun = !FileExists(DatabasePathIn(folder));
    MakeUserCurrent(*m_user);

    if (!CreateFrame(folder))
        return false;
    const bool maximized = m_frame->RestorePlacement(m_preferences->ReadText(Pref::Winpos),
                                                     commandLine.ShiftsWindow());
    m_frameStates->ShowAtStart(maximized);
    // The idle time counts from the start, also for a window that starts out of sight.
    m_lock->RestartAutoLockTimer();
    m_started = true;
    // The automatic sync once the list is shown.
    QTimer::singleShot(0, m_frame, [this] { m_commands->Users().AutoSync(); });

    if (file)
        m_view->Imports().ImportWithConfirmation(*file);
    if (firstRun) {
        m_view->Imports().ImportFile(m_options.programFolder + "/" + kSampleDataFileName);
        m_view->ClearSelection();
        m_prompts->ShowGettingStarted();
    }
    return true;
}

bool CTessarinDesktopApp::CreateFrame(const std::string& folder) {
    // A database that cannot be read is the user's to decide about: read it again, restore a
    // backup over it, or quit. Each try has a view of its own.
    CStartRecovery recovery(
        m_context, *m_prompts, m_options.filePrompts,
        {m_options.documentsFolder, m_user->record.PlatformText(), m_user->Name()});
    const bool opened = recovery.OpenOrRecover(folder, [&] {
        delete m_view;
        m_view = new CTessarinDesktopView(m_context, *m_preferences);
        m_view->SetSyncButtonShown(m_libraries.HasManagerLibrary());
        return m_view->OpenDatabase(folder);
    });
    if (!opened) {
        delete m_view;
        m_view = nullptr;
        return false;
    }
    IPlatformManager& manager = m_libraries.Manager();
    const CMenuVisibility menus = StartMenus(manager, m_libraries.Engine(), m_user);
    m_frame = new CMainFrame(m_context.Strings(), *m_preferences, m_view, menus,
                             Cp1252ToQString(m_user->Name()),
                             manager.GetPlatform() == kPlatformStandalone);
    m_messageBoxes->SetParent(m_frame);

    QStringList names;
    int current = 0;
    for (size_t i = 0; i < m_directory.Users().size(); ++i) {
        names << Cp1252ToQString(m_directory.Users()[i]->Name());
        if (m_directory.Users()[i].get() == m_user)
            current = static_cast<int>(i);
    }
    m_lockController = std::make_unique<CLockController>(m_view->Session());
    m_lockController->SetMainWindow(m_frame);
    m_view->SetLockController(m_lockController.get());
    m_lock = std::make_unique<CAutoLock>(
        m_context, *m_preferences, *m_view, *m_lockController, *m_prompts,
        m_options.makeTimer ? m_options.makeTimer() : MakeQtLockTimer(), names, current);
    // Out of sight, the window waits for the user before the password is asked; typing anywhere
    // counts as activity.
    m_frameStates =
        std::make_unique<CFrameStates>(m_context.Strings(), *m_preferences, *m_frame,
                                       *m_lockController, [this] { m_lock->OnAutoLockTimer(); });
    m_frameStates->SetTrayAvailable(m_options.trayAvailable.value_or(CTrayIcon::Available()));
    m_lock->m_waitForWindow = [this] { return m_frameStates->WaitUntilInSight(); };
    m_activity = std::make_unique<CActivityFilter>([this] { m_lock->RestartAutoLockTimer(); });
    QCoreApplication::instance()->installEventFilter(m_activity.get());

    m_endpoint = std::make_unique<CDesktopEndpoint>(kMainWindowEndpoint);
    m_endpoint->m_onNotice = [this](const CChangeNotice& notice) { m_view->OnNotice(notice); };
    // Also out of the tray.
    m_endpoint->m_onActivate = [this] { m_frameStates->ShowWindow(); };
    m_endpoint->m_onCopyData = [this](uint32_t, const std::string& path) {
        m_view->Imports().ImportWithConfirmation(path);
        return true;
    };
    m_endpoint->Listen();

    if (m_options.watchSession) {
        m_sessionWatcher =
            std::make_unique<CSessionLockWatcher>([this] { m_lock->OnAutoLockTimer(); });
        m_sessionWatcher->m_wanted = [this](CSessionLockWatcher::Cause cause) {
            return m_preferences->ReadNumber(cause == CSessionLockWatcher::Cause::ScreenLock
                                                 ? Pref::LockOnScreenLock
                                                 : Pref::LockOnSuspend) != 0;
        };
    }
    BindCommands();
    return true;
}

void CTessarinDesktopApp::BindCommands() {
    CCommandTable& commands = m_frame->Commands();
    // A command never works on records read under a password that is no longer the file's;
    // leaving, help and the window's own commands touch no record.
    commands.m_beforeRun = [this](uint32_t id) {
        // While locked no command runs, however it is reached; nor while a save writes the file
        // on another thread (keys and clicks wait for its end; this stops every other path).
        if (m_lockController->IsLocked() || m_view->Session().Busy())
            return false;
        // Choosing a user opens another database and asks for its password itself.
        if (cmd::kUserCommands.Contains(id))
            return true;
        switch (id) {
            case cmd::kExit:
            case cmd::kAbout:
            case cmd::kStatusBar:
            case cmd::kUserGuide:
            case cmd::kFaqPage:
            case cmd::kSupportPage:
            case cmd::kDownloadPage:
                return true;
            default:
                return m_lock->CheckKeyStillFits();
        }
    };
    m_commands = std::make_unique<CDesktopCommands>(
        CUserCommands::CParts{m_context, m_libraries, m_directory, *m_preferences, *m_store,
                              *m_prompts, *m_view, *m_frame},
        m_user, m_options.documentsFolder, m_options.filePrompts, m_options.runner);
    m_commands->Bind(commands);
    commands.SetHandler(cmd::kSetPassword, [this] { SetPasswordCommand(); });
    commands.SetHandler(cmd::kAutoLock, [this] { AutoLockCommand(); });
    commands.SetEnableRule(cmd::kAutoLock, [this] { return m_lock->IsPasswordSet(); });
    // Locks as the idle timer does.
    commands.SetHandler(cmd::kLock, [this] { m_lock->OnAutoLockTimer(); });
    commands.SetEnableRule(cmd::kLock, [this] { return m_lock->IsPasswordSet(); });
    commands.SetHandler(cmd::kPreferences, [this] { PreferencesCommand(); });
    if (m_frameStates->TrayAvailable()) {
        m_tray = std::make_unique<CTrayIcon>(m_context.Strings(), commands, *m_frameStates,
                                             *m_lockController);
        m_tray->Show();
    }
    commands.SetHandler(cmd::kUserGuide, [this] {
        m_frame->OpenUserGuide(m_options.programFolder, m_context.Messages());
    });
    m_recordCommands = new CRecordCommands(m_context, *m_preferences, *m_view, commands, m_frame);
    WireProgram({m_context.Strings(), *m_frame, *m_view, *m_lockController, *m_lock, *m_commands,
                 *m_recordCommands, m_directory,
                 m_libraries.Manager().GetPlatform() == kPlatformStandalone});
}

void CTessarinDesktopApp::SetPasswordCommand() {
    const std::string path = DatabasePathIn(m_view->Folder());
    const bool hasPassword = IsPasswordSet(path);
    CSetPasswordDialog dialog(
        m_context.Strings(), m_context.Messages(), *m_preferences,
        hasPassword ? CSetPasswordDialog::Kind::Change : CSetPasswordDialog::Kind::First,
        [path](const CSecret& old) { return CheckPassword(path, old); }, m_frame);
    if (dialog.exec() == QDialog::Accepted) {
        const CStoreResult changed = m_view->Session().ChangePassword(dialog.NewPassword());
        if (changed.Ok()) {
            RemindOfHandheldPassword(m_context, m_libraries.Manager());
        } else if (changed.code == StoreCode::KeyChanged) {
            m_lock->CheckKeyStillFits();
        } else if (!changed.message) {
            m_context.ShowMessage(str::kPlainText, {ResultText(changed, m_context.Strings())},
                                  MessageIcon::Error);
        }
    }
    m_lock->RestartAutoLockTimer();
}

void CTessarinDesktopApp::AutoLockCommand() {
    CAutoLockDialog dialog(m_context.Strings(), m_context.Messages(), *m_preferences, m_frame);
    if (dialog.exec() == QDialog::Accepted)
        m_lock->RestartAutoLockTimer();
}

void CTessarinDesktopApp::PreferencesCommand() {
    CPreferencesDialog dialog(m_context.Strings(), m_context.Messages(), *m_preferences,
                              m_lock->IsPasswordSet(), m_frameStates->TrayAvailable(), m_frame);
    if (dialog.exec() == QDialog::Accepted)
        m_lock->RestartAutoLockTimer();
}

int CTessarinDesktopApp::ExitInstance() {
    // The automatic sync as the list closes, before the last save and the automatic backup.
    if (m_commands && m_started)
        m_commands->Users().AutoSync();
    // Every change is saved when it is made; one that could not be (the lock was held elsewhere)
    // gets a last try, unless another process changed the file's password meanwhile.
    if (m_view && m_view->DatabaseChanged() && !m_view->IsLocked() && m_lock->FileHasOurPassword())
        m_view->SaveNow();
    if (m_view && m_user && !m_view->IsLocked())
        AutoBackup(m_view->Database(), m_view->DatabaseChanged(), m_options.documentsFolder,
                   m_user->record.PlatformText(), m_user->Name(),
                   m_preferences->ReadNumber(Pref::AutoBackupsKept));
    m_commands.reset();
    m_sessionWatcher.reset();
    m_tray.reset();
    m_activity.reset();
    m_frameStates.reset();
    m_lock.reset();
    m_lockController.reset();
    m_endpoint.reset();
    delete m_frame;
    m_frame = nullptr;
    m_view = nullptr;
    m_recordCommands = nullptr;
    m_libraries.Release();
    return 0;
}

int RunDesktopApp(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarin Desktop"));
    QApplication::setApplicationVersion(QString::fromLatin1(kProgramVersion));
    QApplication::setOrganizationName(QStringLiteral("Marrowgate"));
    // The desktop entry, and the window class that the desktop groups the windows by.
    QGuiApplication::setDesktopFileName(QStringLiteral("tessarin"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/tessarin.svg")));
    FollowDesktopColorScheme();

    CDesktopOptions options;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        options.args.push_back(arguments[i].toStdString());
    options.programFolder = ProgramFolder();
    options.documentsFolder = DocumentsFolder();
    options.currentFolder = QDir::currentPath().toStdString();

    CTessarinDesktopApp app(std::move(options));
    CExitAfterFirstRows exitAfterFirstRows(app);
    if (TestSwitch("TESSARIN_EXIT_AFTER_FIRST_ROWS"))
        application.installEventFilter(&exitAfterFirstRows);
    if (!app.InitInstance()) {
        app.ExitInstance();
        return 0;
    }
    application.exec();
    return app.ExitInstance();
}

}  // namespace tessarin
