#include "ui/desktop_view.h"

#include <QEvent>
#include <QInputDialog>
#include <QListWidget>
#include <QVBoxLayout>

#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

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

const CRecord* RecordOf(const QListWidgetItem* item) {
    return static_cast<const CRecord*>(item->data(Qt::UserRole).value<const void*>());
}

}  // namespace

CTessarinDesktopView::CTessarinDesktopView(CCoreContext& context, QWidget* parent)
    : QWidget(parent),
      m_context(context),
      m_database(std::make_unique<CDatabaseObj>(context)),
      m_list(new QListWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setAccessibleName(UiText(context.Strings(), str::kRecordListName));
    // Mouse movements over the list count as activity, whether a button is down or not.
    setMouseTracking(true);
    m_list->setMouseTracking(true);
    m_list->viewport()->setMouseTracking(true);
    m_list->viewport()->installEventFilter(this);
    installEventFilter(this);
}

CTessarinDesktopView::~CTessarinDesktopView() = default;

bool CTessarinDesktopView::ReportLoad(const CStoreResult& result) {
    if (result.Ok())
        return true;
    if (result.code == StoreCode::KeyChanged) {
        Q_EMIT passwordChangedElsewhere();
        return false;
    }
    // A load whose upgrade save failed has read everything and spoken already.
    if (m_database->m_loadState == LoadState::Loaded)
        return true;
    if (!result.message)
        m_context.ShowMessage(str::kPlainText, {ResultText(result, m_context.Strings())},
                              MessageIcon::Error);
    return false;
}

bool CTessarinDesktopView::OpenDatabase(const std::string& folder) {
    m_folder = folder;
    const bool ok = ReportLoad(Open(*m_database, folder));
    RefillList();
    return ok;
}

bool CTessarinDesktopView::ReloadUser() {
    const bool ok = ReportLoad(ReloadAll(*m_database, m_folder));
    RefillList();
    return ok;
}

bool CTessarinDesktopView::SaveNow() {
    const CStoreResult result = Save(*m_database);
    if (result.code == StoreCode::KeyChanged)
        Q_EMIT passwordChangedElsewhere();
    return result.Ok();
}

void CTessarinDesktopView::AddRow(const CRecord& record, bool select) {
    auto* item = new QListWidgetItem(Cp1252ToQString(record.GetValue(0)), m_list);
    item->setData(Qt::UserRole, QVariant::fromValue(static_cast<const void*>(&record)));
    if (select)
        item->setSelected(true);
}

void CTessarinDesktopView::RefillList() {
    m_list->clear();
    if (m_locked)
        return;
    for (const CRecord* record : LiveRecords(*m_database))
        AddRow(*record, false);
}

void CTessarinDesktopView::EmptyForLock() {
    m_list->clear();
}

void CTessarinDesktopView::ClearSelection() {
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
}

QStringList CTessarinDesktopView::RowTexts() const {
    QStringList rows;
    for (int i = 0; i < m_list->count(); ++i)
        rows << m_list->item(i)->text();
    return rows;
}

std::vector<const CRecord*> CTessarinDesktopView::ShownRecords() const {
    std::vector<const CRecord*> records;
    for (int i = 0; i < m_list->count(); ++i)
        records.push_back(RecordOf(m_list->item(i)));
    return records;
}

std::vector<const CRecord*> CTessarinDesktopView::SelectedRecords() const {
    std::vector<const CRecord*> records;
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->isSelected())
            records.push_back(RecordOf(m_list->item(i)));
    return records;
}

void CTessarinDesktopView::AddAndSelect(CRecord& record) {
    AddRow(record, true);
}

void CTessarinDesktopView::RemoveAll() {
    m_list->clear();
}

CImportOutcome CTessarinDesktopView::ImportFile(const std::string& path) {
    CFieldPasswordPrompt ownPrompt(this, m_context.Strings());
    IFilePasswordPrompt& prompt = m_filePasswordPrompt ? *m_filePasswordPrompt : ownPrompt;
    return tessarin::ImportFile(*m_database, ExchangeFormat::Detect, path, false, *this, prompt);
}

void CTessarinDesktopView::ImportWithConfirmation(const std::string& path) {
    if (m_locked)
        return;
    if (m_context.ShowMessage(str::kImportFileConfirm, {FileNameForMessage(path)},
                              MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    ImportFile(path);
}

void CTessarinDesktopView::OnNotice(const CChangeNotice& notice) {
    if (m_locked) {
        m_noticePending = true;
        return;
    }
    const CNoticeOutcome outcome = HandleNotice(*m_database, notice, m_folder);
    if (outcome.result.code == StoreCode::KeyChanged) {
        Q_EMIT passwordChangedElsewhere();
        return;
    }
    if (outcome.what != CNoticeOutcome::Nothing)
        RefillList();
}

bool CTessarinDesktopView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove)
        Q_EMIT activity();
    return QWidget::eventFilter(watched, event);
}

void CTessarinDesktopView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        Q_EMIT activity();
    }
}

}  // namespace tessarin
