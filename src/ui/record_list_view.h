#pragma once

// The record list's window: a table over CRecordTableModel whose rows are painted whole (row
// colours, icons, the note mark), whose header sorts and stores widths, and whose keys search and
// page as the list does.
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include <QAccessible>
#include <QColor>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

#include "listing/record_list_model.h"
#include "ui/list_style.h"

namespace tessarin {

class CRecordTableModel;

// Paints one cell: the row's colour, then the icon, the note mark or the text inset 3 pixels.
class CRecordDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    CRecordDelegate(const CViewStyle& style, QObject* parent)
        : QStyledItemDelegate(parent), m_style(style) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    const CViewStyle& m_style;
};

// The header: the pictures over the icon and note columns, and the end of a divider drag.
class CRecordListHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit CRecordListHeader(QWidget* parent);

Q_SIGNALS:
    // The user let go of a divider after dragging it: the section's width as it is now.
    void dividerDragged(int section, int width);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
    std::set<int> m_dragged;
};

class CRecordListView : public QTableView {
    Q_OBJECT
public:
    CRecordListView(CRecordTableModel& model, const CViewStyle& style, QWidget* parent);

    CRecordTableModel& Model() { return m_model; }
    CRecordListHeader* Header() const { return m_header; }

    void SetRowHeight(int height);
    // The header's sections take the widths of the model's columns.
    void ApplyColumnWidths();
    // The sort column and direction shown in the header.
    void ShowSortIndicator(CSortSetting sort);
    // Rows that fit the window.
    int RowsPerPage() const;

Q_SIGNALS:
    void columnClicked(int column);
    void columnWidthDragged(int column, int width);
    void bestFitAsked(int column);
    void rowDoubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;

public:
    // What Qt's table tells the accessibility layer of a change of the selection: the first cell
    // selected and the first one deselected, each as its event and the cell's number as the
    // table's child.
    std::vector<std::pair<QAccessible::Event, int>> SelectionNotices(
        const QItemSelection& selected, const QItemSelection& deselected);

private:
    // The accessibility layer's number for a cell (its child of the table), or -1.
    int AccessibleChild(const QModelIndex& cell);

    CRecordTableModel& m_model;
    CRecordListHeader* m_header;
    CTypeAhead m_typeAhead;
    QElapsedTimer m_clock;
};

}  // namespace tessarin
