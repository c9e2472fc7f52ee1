#include "app/shell_prompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

#include "resources/string_ids.h"
#include "ui/password_dialogs.h"
#include "ui/shell_dialogs.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

class CDialogMissingFolder : public IMissingFolderPrompt {
public:
    explicit CDialogMissingFolder(const CStringTable& strings) : m_strings(strings) {}
    Choice Ask(const std::string& folder) override {
        CMissingFolderDialog dialog(m_strings, QString::fromStdString(folder),
                                    QApplication::activeWindow());
        switch (dialog.exec()) {
            case CMissingFolderDialog::Retry:
                return Choice::Retry;
            case CMissingFolderDialog::Change:
                return Choice::Change;
            default:
                return Choice::Cancel;
        }
    }
    std::optional<std::string> PickFolder() override {
        // The root of the file system stands where the other platform starts its picker.
        const QString folder = QFileDialog::getExistingDirectory(
            QApplication::activeWindow(), UiText(m_strings, str::kChooseDatabaseLocation),
            QDir::rootPath());
        if (folder.isEmpty())
            return std::nullopt;
        return folder.toStdString();
    }

private:
    const CStringTable& m_strings;
};

class CDialogPrompts : public IShellPrompts {
public:
    CDialogPrompts(const CStringTable& strings, IMessageSink& messages,
                   const CPreferences& preferences)
        : m_strings(strings),
          m_messages(messages),
          m_preferences(preferences),
          m_missingFolder(strings) {}

    std::optional<int> AskPassword(bool forUser, const QStringList& users, int selected,
                                   bool usersEnabled, const CheckFunction& check) override {
        CPasswordDialog dialog(m_strings, m_messages, forUser, users, selected, usersEnabled, check,
                               QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.SelectedUser();
    }
    std::optional<CSecret> AskWelcomePassword() override {
        CSetPasswordDialog dialog(m_strings, m_messages, m_preferences,
                                  CSetPasswordDialog::Kind::Welcome, {},
                                  QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.NewPassword();
    }
    IMissingFolderPrompt& MissingFolder() override { return m_missingFolder; }
    void ShowGettingStarted() override {
        tessarin::ShowGettingStarted(m_strings, QApplication::activeWindow());
    }
    StartFailureChoice AskStartFailure(const CStartFailure& failure) override {
        CStartFailureDialog dialog(m_strings, failure.why, failure.newestBackup, failure.written,
                                   failure.backupFolder, QApplication::activeWindow());
        dialog.exec();
        return dialog.Choice();
    }

private:
    const CStringTable& m_strings;
    IMessageSink& m_messages;
    const CPreferences& m_preferences;
    CDialogMissingFolder m_missingFolder;
};

}  // namespace

std::unique_ptr<IShellPrompts> MakeDialogPrompts(const CStringTable& strings,
                                                 IMessageSink& messages,
                                                 const CPreferences& preferences) {
    return std::make_unique<CDialogPrompts>(strings, messages, preferences);
}

}  // namespace tessarin
