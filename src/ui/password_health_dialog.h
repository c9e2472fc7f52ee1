#pragma once

// "Password Health" (View menu): the masked fields of the database's records that hold a weak, an
// empty or a reused password, one line each with the record, the field's label and the reason; a
// double-click (or Enter) on a line opens its record. No value is ever shown: a record is named
// by its type and its first field as the list shows it, masked where the list masks.
#include <functional>

#include <QDialog>

#include "listing/record_order.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace tessarin {

class CCommandTable;
class CCoreContext;
class CDatabaseObj;
class CTessarinDesktopView;

class CPasswordHealthDialog : public QDialog {
    Q_OBJECT
public:
    CPasswordHealthDialog(CCoreContext& context, const CDatabaseObj& database, CSortSetting sort,
                          QWidget* parent = nullptr);

    // Checks the database again (after a record was edited).
    void Refresh();
    QTreeWidget* Findings() const { return m_findings; }

Q_SIGNALS:
    // The line of the record of this number was double-clicked or entered.
    void openRecord(uint32_t recordNumber);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Open(QTreeWidgetItem* item);

    CCoreContext& m_context;
    const CDatabaseObj& m_database;
    CSortSetting m_sort;
    QTreeWidget* m_findings;
};

// The "Password Health..." command: the dialog over the view's database, whose lines open the
// record's Detail View through the Edit Item command.
class CPasswordHealthCommand {
public:
    CPasswordHealthCommand(CCoreContext& context, CTessarinDesktopView& view, QWidget* window);
    void Bind(CCommandTable& commands);
    void Run();

    // Test seam in place of the dialog's own loop: called with the dialog shown.
    std::function<void(CPasswordHealthDialog&)> m_runDialog;

private:
    CCoreContext& m_context;
    CTessarinDesktopView& m_view;
    QWidget* m_window;
    CCommandTable* m_commands = nullptr;
};

}  // namespace tessarin
