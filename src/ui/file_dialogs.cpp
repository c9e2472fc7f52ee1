#include "ui/file_dialogs.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/messages.h"
#include "resources/string_ids.h"
#include "security/password_rules.h"
#include "ui/password_field.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

inline constexpr int kMaxFilePasswordLength = 32;

// A password field under its label, which names it for the keyboard and for screen readers.
QLineEdit* LabelledField(const CStringTable& strings, const QString& label, QVBoxLayout* layout,
                         QWidget* parent) {
    auto* field = new CPasswordField(strings, kMaxFilePasswordLength, parent);
    layout->addWidget(BuddyLabel(label, field->Edit(), parent));
    layout->addWidget(field);
    return field->Edit();
}

}  // namespace

CExportDialog::CExportDialog(const CStringTable& strings, QWidget* parent)
    : CDialogBase(strings, str::kExportTitle, parent) {
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(UiText(strings, str::kExportChooseScope), this);
    layout->addWidget(text);
    const int texts[] = {str::kExportAllRecords, str::kExportCurrentView,
                         str::kExportSelectedRecords};
    // The choices as one named group: a screen reader says what they choose between.
    auto* group = new QGroupBox(this);
    group->setFlat(true);
    group->setStyleSheet(QStringLiteral("QGroupBox { border: none; margin: 0; padding: 0; }"));
    group->setAccessibleName(UiText(strings, str::kExportScopeName));
    auto* choices = new QVBoxLayout(group);
    choices->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 3; ++i) {
        m_buttons[i] = new QRadioButton(UiText(strings, texts[i]), group);
        choices->addWidget(m_buttons[i]);
    }
    layout->addWidget(group);
    m_buttons[0]->setChecked(true);
    layout->addWidget(OkButtons());
}

ExportScope CExportDialog::Scope() const {
    for (int i = 0; i < 3; ++i)
        if (m_buttons[i]->isChecked())
            return static_cast<ExportScope>(i);
    return ExportScope::All;
}

void CExportDialog::SetScope(ExportScope scope) {
    m_buttons[static_cast<int>(scope)]->setChecked(true);
}

CFilePasswordDialog::CFilePasswordDialog(const CStringTable& strings, IMessageSink& messages,
                                         Kind kind, QWidget* parent)
    : CDialogBase(strings, str::kGetPasswordTitle, parent), m_messages(messages), m_kind(kind) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        UiText(strings, kind == Kind::Import ? str::kImportPasswordText : str::kExportPasswordText),
        this));
    m_field = LabelledField(strings, UiText(strings, str::kFilePasswordLabel), layout, this);
    if (kind == Kind::Export)
        m_confirm = LabelledField(strings, UiText(strings, str::kFileConfirmLabel), layout, this);
    layout->addWidget(new QLabel(UiText(strings, str::kPasswordCaseSensitive), this));
    layout->addWidget(OkButtons());
    m_field->setFocus();
}

void CFilePasswordDialog::SelectTyped() {
    m_field->selectAll();
    m_field->setFocus();
}

void CFilePasswordDialog::accept() {
    std::optional<CSecret> typed = SecretFromField(m_field->text());
    std::optional<CSecret> confirm =
        m_confirm ? SecretFromField(m_confirm->text()) : std::optional<CSecret>(CSecret());
    if (!typed || !confirm) {
        m_messages.Show({str::kPasswordNotWindows1252, {}, MessageIcon::Exclamation});
        SelectTyped();
        return;
    }
    if (m_kind == Kind::Export) {
        const CPasswordVerdict verdict = CheckExportPassword(*typed, *confirm);
        if (!verdict.Accepted()) {
            m_messages.Show({verdict.message, {}, MessageIcon::Exclamation});
            SelectTyped();
            return;
        }
        m_confirm->clear();
    }
    m_password = std::move(*typed);
    // An import password stays typed: a wrong one is asked again with it selected.
    if (m_kind == Kind::Export)
        m_field->clear();
    QDialog::accept();
}

QString SavePathWithExtension(const QString& path, const QString& chosenFilter) {
    const QString extension =
        chosenFilter.section(QStringLiteral("*."), 1, 1).section(')', 0, 0).section(' ', 0, 0);
    if (QFileInfo(path).suffix().isEmpty() && !extension.isEmpty() && extension != "*")
        return path + '.' + extension;
    return path;
}

bool FileOrLinkExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QStringList FileDialogFilters(const QString& tableFilter) {
    QStringList filters;
    const QStringList parts = tableFilter.split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        // The name shown keeps its "(*.*)"; the pattern matches names without a dot as well.
        filters << (patterns == "*.*"
                        ? parts[i].section('(', 0, 0).trimmed() + " (*)"
                        : parts[i].section('(', 0, 0).trimmed() + " (" + patterns + ")");
    }
    return filters;
}

}  // namespace tessarin
