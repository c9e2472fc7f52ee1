#pragma once

// "Choose Icon": the 64 built-in icons, column by column, and the user's custom icons after them,
// eight to a row in a grid of eight rows that scrolls by rows.
#include <optional>
#include <vector>

#include <QWidget>
#include "ui/dialog_base.h"

class QScrollBar;

namespace tessarin {

class CIconList;
class CStringTable;

// The grid: 64 cells showing the positions from 8 times the scroll position on.
class CIconGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCellWidth = 34;
    static constexpr int kCellHeight = 30;

    CIconGrid(const CStringTable& strings, const CIconList* customIcons, QWidget* parent);

    std::optional<int> Selected() const { return m_selected; }
    void Select(std::optional<int> position);
    int FirstRow() const { return m_firstRow; }
    void SetFirstRow(int row);
    size_t CustomCount() const { return m_customIds.size(); }
    // The icon number of a position, none past the last icon.
    std::optional<int> IconAt(int position) const;
    std::optional<int> PositionOf(int icon) const;
    // The cell of a shown position, in the grid's coordinates; an empty rectangle when not shown.
    QRect CellRect(int position) const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateAccessibleText();

    const CStringTable& m_strings;
    const CIconList* m_customIcons;
    std::vector<uint16_t> m_customIds;
    std::optional<int> m_selected;
    int m_firstRow = 0;
};

class CChooseIconDialog : public CDialogBase {
    Q_OBJECT
public:
    // Opens with `icon` selected.
    CChooseIconDialog(const CStringTable& strings, const CIconList* customIcons, int icon,
                      QWidget* parent = nullptr);

    // The chosen icon's number; the icon it opened with when nothing is selected.
    int Icon() const;
    CIconGrid& Grid() { return *m_grid; }
    QScrollBar& ScrollBar() { return *m_scroll; }

private:
    CIconGrid* m_grid;
    QScrollBar* m_scroll;
    int m_opened;
};

}  // namespace tessarin

namespace tessarin {

// A record's or type's icon as a picture: the icon drawn into the widget.
class CIconPicture : public QWidget {
    Q_OBJECT
public:
    CIconPicture(const CStringTable& strings, const CIconList* customIcons, QWidget* parent);
    void SetIcon(int icon);
    int Icon() const { return m_icon; }
    QSize sizeHint() const override { return {32, 28}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CStringTable& m_strings;
    const CIconList* m_customIcons;
    int m_icon = 0;
};

}  // namespace tessarin
