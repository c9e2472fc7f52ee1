#include "ui/view_imports.h"

#include <QInputDialog>
#include <QTimer>

#include "exchange/session_import.h"
#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/core_context.h"
#include "ui/desktop_view.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

// How long a file handed over during a save waits before it is asked about again.
constexpr int kRetryAfterSaveMs = 50;

// The password of a protected import file, asked in a plain field.
class CFieldPasswordPrompt : public IFilePasswordPrompt {
public:
    CFieldPasswordPrompt(QWidget* parent, const CStringTable& strings)
        : m_parent(parent), m_strings(strings) {}
    std::optional<CSecret> AskFilePassword() override {
        bool ok = false;
        const QString text = QInputDialog::getText(
            m_parent, UiText(m_strings, str::kEnterPasswordTitle),
            UiText(m_strings, str::kEnterPassword), QLineEdit::Password, QString(), &ok);
        if (!ok)
            return std::nullopt;
        return SecretFromField(text);
    }

private:
    QWidget* m_parent;
    const CStringTable& m_strings;
};

}  // namespace

CImportOutcome CViewImports::ImportFile(const std::string& path) {
    CCoreContext& context = m_view.Session().Context();
    CFieldPasswordPrompt ownPrompt(&m_view, context.Strings());
    IFilePasswordPrompt& prompt = m_filePasswordPrompt ? *m_filePasswordPrompt : ownPrompt;
    return tessarin::ImportFile(m_view.Session(), m_view, ExchangeFormat::Detect, path, false,
                                prompt);
}

void CViewImports::ImportWithConfirmation(const std::string& path) {
    if (m_view.IsLocked()) {
        m_handedOver.push_back(path);
        return;
    }
    // A save is writing the file: the file waits until it has ended.
    if (m_view.Session().Busy()) {
        m_handedOver.push_back(path);
        QTimer::singleShot(kRetryAfterSaveMs, &m_view, [this] { ImportHandedOver(); });
        return;
    }
    // The whole path, since the name alone may hide where the file comes from; No unless the user
    // says otherwise, since another program may have asked.
    if (m_view.Session().Context().ShowMessage(
            str::kImportFileConfirm, {QStringToCp1252(QString::fromStdString(path))},
            MessageIcon::Question, MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
        return;
    ImportFile(path);
}

void CViewImports::ImportHandedOver() {
    while (!m_handedOver.empty() && !m_view.IsLocked() && !m_view.Session().Busy()) {
        const std::string path = m_handedOver.front();
        m_handedOver.erase(m_handedOver.begin());
        ImportWithConfirmation(path);
    }
}

}  // namespace tessarin
