#include "ui/record_list_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QScrollBar>

#include "base/codepage.h"
#include "render/record_icons.h"
#include "render/view_pictures.h"
#include "ui/list_style.h"
#include "ui/record_table_model.h"

namespace tessarin {

namespace {

inline constexpr int kTextInset = 3;

// The cell a selection lists first (QItemSelection::indexes().value(0)) without listing the others:
// every cell of the list is enabled and selectable, so it is the first valid range's top left.
QModelIndex FirstCell(const QItemSelection& selection) {
    for (const QItemSelectionRange& range : selection)
        if (range.isValid())
            return range.topLeft();
    return {};
}

QPalette::ColorGroup GroupOf(const QStyleOption& option) {
    if (!(option.state & QStyle::State_Enabled))
        return QPalette::Disabled;
    return (option.state & QStyle::State_Active) ? QPalette::Normal : QPalette::Inactive;
}

}  // namespace

void CRecordDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const auto* model = static_cast<const CRecordTableModel*>(index.model());
    const CRecord* record = model->RecordAt(index.row());
    if (!record)
        return;
    const QPalette::ColorGroup group = GroupOf(option);
    QColor background;
    QColor text;
    if (option.state & QStyle::State_Selected) {
        background = option.palette.color(group, QPalette::Highlight);
        text = option.palette.color(group, QPalette::HighlightedText);
    } else {
        background =
            index.row() % 2 == 0 ? m_style.rowColor : option.palette.color(group, QPalette::Base);
        text = TextColorOn(background, option.palette.color(group, QPalette::Text));
    }
    painter->fillRect(option.rect, background);
    const int column = model->ColumnAt(index.column());
    if (column == kIconColumn) {
        DrawRecordIcon(*painter, option.rect, record->m_icon, m_style.customIcons);
        return;
    }
    if (column == kNoteColumn) {
        if (!record->GetNote().empty())
            DrawNoteMark(*painter, option.rect);
        return;
    }
    const QRect box = option.rect.adjusted(kTextInset, 0, -kTextInset, 0);
    const QString shown = index.data(Qt::DisplayRole).toString();
    painter->setFont(option.font);
    painter->setPen(text);
    painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      option.fontMetrics.elidedText(shown, Qt::ElideRight, box.width()));
}

CRecordListHeader::CRecordListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setStretchLastSection(false);
    setMinimumSectionSize(1);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(this, &QHeaderView::sectionResized, this, [this](int section, int, int) {
        if (m_pressed)
            m_dragged.insert(section);
    });
}

void CRecordListHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    const int column =
        model() ? model()
                      ->headerData(logicalIndex, Qt::Horizontal, CRecordTableModel::kColumnRole)
                      .toInt()
                : -1;
    if (column != kIconColumn && column != kNoteColumn)
        return;
    // The style leaves the clip on the section's (empty) title.
    painter->save();
    painter->setClipRect(rect);
    const QIcon image =
        HeaderImage(column == kIconColumn ? EHeaderImage::kIcon : EHeaderImage::kNote);
    image.paint(painter,
                QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, kHeaderImageSize, rect));
    painter->restore();
}

void CRecordListHeader::mousePressEvent(QMouseEvent* event) {
    m_pressed = true;
    m_dragged.clear();
    QHeaderView::mousePressEvent(event);
}

void CRecordListHeader::mouseReleaseEvent(QMouseEvent* event) {
    QHeaderView::mouseReleaseEvent(event);
    m_pressed = false;
    const std::set<int> dragged = std::exchange(m_dragged, {});
    for (int section : dragged)
        Q_EMIT dividerDragged(section, sectionSize(section));
}

CRecordListView::CRecordListView(CRecordTableModel& model, const CViewStyle& style, QWidget* parent)
    : QTableView(parent), m_model(model), m_header(new CRecordListHeader(this)) {
    setHorizontalHeader(m_header);
    setModel(&model);
    setItemDelegate(new CRecordDelegate(style, this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // A double-click on a divider fits the column to its cells as the list shows them, every row
    // counted, not Qt's sample of them and the header's title.
    disconnect(m_header, &QHeaderView::sectionHandleDoubleClicked, this,
               &QTableView::resizeColumnToContents);
    disconnect(m_header, SIGNAL(sectionHandleDoubleClicked(int)), this,
               SLOT(resizeColumnToContents(int)));
    connect(m_header, &QHeaderView::sectionHandleDoubleClicked, this,
            [this](int section) { Q_EMIT bestFitAsked(m_model.ColumnAt(section)); });
    connect(m_header, &QHeaderView::sectionClicked, this,
            [this](int section) { Q_EMIT columnClicked(m_model.ColumnAt(section)); });
    connect(m_header, &CRecordListHeader::dividerDragged, this, [this](int section, int width) {
        Q_EMIT columnWidthDragged(m_model.ColumnAt(section), width);
    });
    m_clock.start();
}

void CRecordListView::SetRowHeight(int height) {
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(height);
}

void CRecordListView::ApplyColumnWidths() {
    const auto& columns = m_model.Columns();
    for (size_t i = 0; i < columns.size(); ++i)
        m_header->resizeSection(static_cast<int>(i), columns[i].width);
}

void CRecordListView::ShowSortIndicator(CSortSetting sort) {
    // The picture columns are too narrow for the arrow beside their picture.
    const int section = IsTextColumn(sort.column) ? m_model.SectionOf(sort.column) : -1;
    m_header->setSortIndicatorShown(section >= 0);
    m_header->setSortIndicator(section, sort.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

int CRecordListView::RowsPerPage() const {
    const int height = verticalHeader()->defaultSectionSize();
    return height > 0 ? std::max(1, viewport()->height() / height) : 1;
}

void CRecordListView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool paging = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                        key == Qt::Key_PageDown;
    // With nothing selected these keys page through the list without selecting a row.
    if (paging && event->modifiers() == Qt::NoModifier && !selectionModel()->hasSelection() &&
        m_model.rowCount() > RowsPerPage()) {
        const bool up = key == Qt::Key_Up || key == Qt::Key_PageUp;
        verticalScrollBar()->triggerAction(up ? QAbstractSlider::SliderPageStepSub
                                              : QAbstractSlider::SliderPageStepAdd);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void CRecordListView::keyboardSearch(const QString& search) {
    std::optional<size_t> row;
    for (const QChar c : search) {
        const std::optional<uint8_t> byte = CodePointToCp1252(c.unicode());
        if (!byte || *byte < 0x20)
            continue;
        const std::string& prefix = m_typeAhead.Add(static_cast<char>(*byte), m_clock.elapsed(),
                                                    QApplication::doubleClickInterval());
        row = m_model.List().FindTypedPrefix(prefix);
    }
    if (!row)
        return;
    const QModelIndex found = m_model.index(static_cast<int>(*row), 0);
    selectionModel()->setCurrentIndex(
        found, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(found);
}

void CRecordListView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid())
        return;
    // One dotted focus rectangle around the whole row, not one per cell, in the row's text colour.
    const QRect first = visualRect(m_model.index(current.row(), 0));
    const QRect row(first.left(), first.top(), m_header->length(), first.height());
    const bool selected = selectionModel()->isRowSelected(current.row(), QModelIndex());
    QPainter painter(viewport());
    QPen pen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(row.adjusted(0, 0, -1, -1));
}

void CRecordListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        Q_EMIT rowDoubleClicked();
}

void CRecordListView::selectionChanged(const QItemSelection& selected,
                                       const QItemSelection& deselected) {
    // Qt's table finds the two cells it tells of by listing every cell of both selections: a
    // million cells and more when all rows of a long list are selected or deselected.
    if (QAccessible::isActive()) {
        for (const auto& [type, child] : SelectionNotices(selected, deselected)) {
            QAccessibleEvent event(this, type);
            event.setChild(child);
            QAccessible::updateAccessibility(&event);
        }
    }
    QAbstractItemView::selectionChanged(selected, deselected);
}

std::vector<std::pair<QAccessible::Event, int>> CRecordListView::SelectionNotices(
    const QItemSelection& selected, const QItemSelection& deselected) {
    std::vector<std::pair<QAccessible::Event, int>> notices;
    const auto add = [&](const QItemSelection& selection, QAccessible::Event type) {
        const QModelIndex cell = FirstCell(selection);
        const int child = cell.isValid() ? AccessibleChild(cell) : -1;
        if (child >= 0)
            notices.emplace_back(type, child);
    };
    add(selected, QAccessible::SelectionAdd);
    add(deselected, QAccessible::SelectionRemove);
    return notices;
}

int CRecordListView::AccessibleChild(const QModelIndex& cell) {
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(this);
    if (!table || !table->tableInterface())
        return -1;
    QAccessibleInterface* child = table->tableInterface()->cellAt(cell.row(), cell.column());
    return child ? table->indexOfChild(child) : -1;
}

}  // namespace tessarin
