#include "ui/password_health_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "listing/password_health.h"
#include "listing/record_list_model.h"
#include "platform/qt_text.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

// The record of a line, by its record number: how records are told apart.
constexpr int kRecordRole = Qt::UserRole;

}  // namespace

CPasswordHealthDialog::CPasswordHealthDialog(CCoreContext& context, const CDatabaseObj& database,
                                             CSortSetting sort, QWidget* parent)
    : QDialog(parent),
      m_context(context),
      m_database(database),
      m_sort(sort),
      m_findings(new QTreeWidget(this)) {
    const CStringTable& strings = context.Strings();
    setWindowTitle(UiText(strings, str::kHealthTitle));
    auto* note = new QLabel(UiText(strings, str::kHealthNote), this);
    note->setWordWrap(true);
    m_findings->setAccessibleName(UiText(strings, str::kHealthListName));
    m_findings->setRootIsDecorated(false);
    m_findings->setUniformRowHeights(true);
    m_findings->setHeaderLabels({UiText(strings, str::kHealthRecordColumn),
                                 UiText(strings, str::kHealthFieldColumn),
                                 UiText(strings, str::kHealthReasonColumn)});
    m_findings->header()->setStretchLastSection(true);
    // A double-click opens a line's record, and so does Enter (watched below: the view's own
    // activation follows the desktop's single- or double-click choice).
    connect(m_findings, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { Open(item); });
    m_findings->installEventFilter(this);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close =
        buttons->addButton(UiText(strings, str::kHealthCloseButton), QDialogButtonBox::RejectRole);
    close->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(m_findings, 1);
    layout->addWidget(buttons);
    resize(640, 400);
    Refresh();
}

void CPasswordHealthDialog::Open(QTreeWidgetItem* item) {
    if (item)
        Q_EMIT openRecord(item->data(0, kRecordRole).toUInt());
}

bool CPasswordHealthDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_findings && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Open(m_findings->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CPasswordHealthDialog::Refresh() {
    // Every record, whatever the window's filters, in the window's order and masked as the list
    // masks them when it starts.
    CRecordListModel list(m_database, m_context.Locale());
    list.SetSort(m_sort);
    list.RefillList();
    const CStringTable& strings = m_context.Strings();
    m_findings->clear();
    QList<QTreeWidgetItem*> items;
    for (const CHealthFinding& finding : CheckPasswordHealth(list.Rows())) {
        const CRecord& record = *list.RowAt(finding.row);
        const QString name = Cp1252ToQString(list.CellText(finding.row, kTypeColumn)) +
                             QStringLiteral(": ") +
                             Cp1252ToQString(list.CellText(finding.row, kFirstFieldColumn));
        auto* item = new QTreeWidgetItem({name,
                                          AccessibleNameOf(Cp1252ToQString(HealthFieldLabel(
                                              strings, m_database, record, finding.field))),
                                          Cp1252ToQString(HealthReasonText(strings, finding))});
        item->setData(0, kRecordRole, record.m_recordNumber);
        items << item;
    }
    m_findings->addTopLevelItems(items);
    for (int column = 0; column < 2; ++column)
        m_findings->resizeColumnToContents(column);
    if (!items.isEmpty())
        m_findings->setCurrentItem(items.front());
}

CPasswordHealthCommand::CPasswordHealthCommand(CCoreContext& context, CTessarinDesktopView& view,
                                               QWidget* window)
    : m_context(context), m_view(view), m_window(window) {}

void CPasswordHealthCommand::Bind(CCommandTable& commands) {
    m_commands = &commands;
    commands.SetHandler(cmd::kPasswordHealth, [this] { Run(); });
    commands.SetEnableRule(cmd::kPasswordHealth, [this] { return !m_view.IsLocked(); });
}

void CPasswordHealthCommand::Run() {
    if (m_view.IsLocked())
        return;
    CPasswordHealthDialog dialog(m_context, m_view.Database(), m_view.ListModel().Sort(), m_window);
    // The record is found anew by its number: the database may have been read again meanwhile.
    QObject::connect(
        &dialog, &CPasswordHealthDialog::openRecord, &dialog, [this, &dialog](uint32_t number) {
            const auto* record =
                static_cast<const CRecord*>(m_view.Database().m_records.FindByNumber(number));
            if (m_view.IsLocked() || !record || record->m_deleted || !m_commands)
                return;
            // A record the filters or a find leave out is listed with all of
            // them again, so that its row can be the one edited.
            if (!m_view.ListModel().RowOf(*record)) {
                m_view.SelectTypeEntry(0);
                m_view.SelectCategoryEntry(0);
            }
            m_view.SelectRecords({record});
            m_commands->Run(cmd::kEditItem);
            // The lines anew once the view's event is over: the edit may have
            // changed what they say.
            QMetaObject::invokeMethod(
                &dialog, [&dialog] { dialog.Refresh(); }, Qt::QueuedConnection);
        });
    if (m_runDialog) {
        dialog.show();
        m_runDialog(dialog);
        return;
    }
    dialog.exec();
}

}  // namespace tessarin
