#include "ui/choose_icon_dialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "listing/icon_grid.h"
#include "render/record_icons.h"
#include "resources/string_ids.h"
#include "store/icon_file.h"
#include "ui/ui_text.h"

namespace tessarin {

CIconGrid::CIconGrid(const CStringTable& strings, const CIconList* customIcons, QWidget* parent)
    : QWidget(parent), m_strings(strings), m_customIcons(customIcons) {
    if (customIcons)
        for (size_t i = 0; i < customIcons->Size(); ++i)
            m_customIds.push_back(customIcons->IconAt(i)->m_resourceId);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(sizeHint());
    setAccessibleName(UiText(strings, str::kIconGridName));
}

QSize CIconGrid::sizeHint() const {
    return {kIconGridColumns * kCellWidth, kIconGridRows * kCellHeight};
}

std::optional<int> CIconGrid::IconAt(int position) const {
    return IconAtPosition(position, m_customIds);
}

std::optional<int> CIconGrid::PositionOf(int icon) const {
    return PositionOfIcon(icon, m_customIds);
}

QRect CIconGrid::CellRect(int position) const {
    const int shown = position - m_firstRow * kIconGridColumns;
    if (shown < 0 || shown >= kIconGridColumns * kIconGridRows)
        return {};
    return {(shown % kIconGridColumns) * kCellWidth, (shown / kIconGridColumns) * kCellHeight,
            kCellWidth, kCellHeight};
}

void CIconGrid::Select(std::optional<int> position) {
    if (position && !IconAt(*position))
        return;
    if (m_selected == position)
        return;
    if (m_selected)
        update(CellRect(*m_selected));
    m_selected = position;
    if (m_selected)
        update(CellRect(*m_selected));
    UpdateAccessibleText();
    Q_EMIT selectionChanged();
}

void CIconGrid::SetFirstRow(int row) {
    if (row == m_firstRow)
        return;
    m_firstRow = row;
    update();
}

void CIconGrid::UpdateAccessibleText() {
    const std::optional<int> icon = m_selected ? IconAt(*m_selected) : std::nullopt;
    setAccessibleDescription(icon ? UiText(m_strings, str::kIconCellName, {std::to_string(*icon)})
                                  : QString());
}

void CIconGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int first = m_firstRow * kIconGridColumns;
    for (int shown = 0; shown < kIconGridColumns * kIconGridRows; ++shown) {
        const int position = first + shown;
        const QRect cell = CellRect(position);
        painter.fillRect(cell, palette().color(QPalette::Button));
        if (const std::optional<int> icon = IconAt(position))
            DrawRecordIcon(painter, cell.adjusted(2, 2, -2, -2), *icon, m_customIcons);
        if (m_selected == position) {
            painter.setPen(QPen(palette().color(QPalette::Shadow), 2));
            painter.drawRect(cell.adjusted(1, 1, -1, -1));
        }
    }
    if (hasFocus() && m_selected && !CellRect(*m_selected).isEmpty()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(CellRect(*m_selected).adjusted(3, 3, -4, -4));
    }
}

void CIconGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    if (!rect().contains(at))
        return;
    const int position = m_firstRow * kIconGridColumns + (at.y() / kCellHeight) * kIconGridColumns +
                         at.x() / kCellWidth;
    if (IconAt(position))
        Select(position);
}

void CIconGrid::keyPressEvent(QKeyEvent* event) {
    // The arrows move the selection, so the grid can be used without a mouse.
    int step = 0;
    switch (event->key()) {
        case Qt::Key_Left:
            step = -1;
            break;
        case Qt::Key_Right:
            step = 1;
            break;
        case Qt::Key_Up:
            step = -kIconGridColumns;
            break;
        case Qt::Key_Down:
            step = kIconGridColumns;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    const int next = m_selected.value_or(0) + (m_selected ? step : 0);
    if (IconAt(next))
        Select(next);
}

CChooseIconDialog::CChooseIconDialog(const CStringTable& strings, const CIconList* customIcons,
                                     int icon, QWidget* parent)
    : CDialogBase(strings, str::kChooseIconTitle, parent),
      m_grid(new CIconGrid(strings, customIcons, this)),
      m_scroll(new QScrollBar(Qt::Vertical, this)),
      m_opened(icon) {
    const size_t custom = m_grid->CustomCount();
    m_scroll->setAccessibleName(UiText(strings, str::kIconScrollName));
    m_scroll->setRange(0, IconGridMaxScroll(custom));
    m_scroll->setPageStep(kIconGridRows);
    m_scroll->setSingleStep(1);
    m_scroll->setEnabled(custom > 0);
    connect(m_scroll, &QScrollBar::valueChanged, m_grid, &CIconGrid::SetFirstRow);
    // The keyboard may scroll the grid to its selection.
    connect(m_grid, &CIconGrid::selectionChanged, this, [this] {
        if (m_grid->Selected())
            m_scroll->setValue(IconGridScrollToShow(*m_grid->Selected(), m_scroll->value()));
    });

    m_grid->Select(m_grid->PositionOf(icon));
    if (m_grid->Selected() && *m_grid->Selected() >= kBuiltInIconCount)
        m_scroll->setValue(IconGridScrollToShow(*m_grid->Selected(), 0));

    QDialogButtonBox* box = OkButtons();

    auto* row = new QHBoxLayout;
    row->addWidget(m_grid);
    row->addWidget(m_scroll);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(box);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_grid->setFocus();
}

int CChooseIconDialog::Icon() const {
    const std::optional<int> selected = m_grid->Selected();
    const std::optional<int> icon = selected ? m_grid->IconAt(*selected) : std::nullopt;
    return icon.value_or(m_opened);
}

}  // namespace tessarin

namespace tessarin {

CIconPicture::CIconPicture(const CStringTable& strings, const CIconList* customIcons,
                           QWidget* parent)
    : QWidget(parent), m_strings(strings), m_customIcons(customIcons) {
    setFixedSize(sizeHint());
    setAccessibleName(UiText(strings, str::kIconPictureName));
}

void CIconPicture::SetIcon(int icon) {
    m_icon = icon;
    setAccessibleDescription(UiText(m_strings, str::kIconCellName, {std::to_string(icon)}));
    update();
}

void CIconPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawRecordIcon(painter, rect(), m_icon, m_customIcons);
}

}  // namespace tessarin
