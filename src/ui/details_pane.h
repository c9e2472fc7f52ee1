#pragma once

// The details pane at the right of the record list: the splitter grip, the selected record's icon
// and field 1 in a title band, its category and the fields that hold something with their labels,
// and its note wrapped to the pane. Links are drawn underlined and open with the desktop's handler;
// each line carries a button that runs the matching copy command.
#include <cstdint>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include "ui/list_style.h"

namespace tessarin {

class CDatabaseObj;
class CRecord;
class CStringTable;

// One text of the pane as it is drawn: its box, the text (already cut to fit), and what it is.
struct CDetailsPiece {
    enum Kind { kTitle, kLabel, kValue } kind;
    QRect box;
    QString text;
    bool link = false;
};

struct CDetailsLink {
    QRect rect;  // the drawn text's extent
    QString target;
};

// A copy button: its command and where it stands.
struct CCopySpot {
    uint32_t command;
    QRect rect;
    std::string name;  // what it copies, for its accessible name
};

struct CDetailsLayout {
    QRect grip;
    QRect body;  // right of the grip
    QRect titleBand;
    QRect iconBox;  // empty when no icon is drawn
    int iconNumber = 0;
    std::vector<CDetailsPiece> pieces;
    std::vector<CDetailsLink> links;
    std::vector<CCopySpot> buttons;
};

// Where everything of the pane goes for `record` (none: an empty title band only) in a pane of
// `size`, with the view's fonts, masking and icons.
CDetailsLayout LayoutDetails(const CDatabaseObj& database, const CRecord* record,
                             const CViewStyle& style, const CStringTable& strings, QSize size);

// The small button at the end of a line of the pane.
class CCopyButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CCopyButton(QWidget* parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class CDetailsPane : public QWidget {
    Q_OBJECT
public:
    CDetailsPane(const CDatabaseObj& database, const CViewStyle& style, const CStringTable& strings,
                 QWidget* parent);

    // Shows the record (none: nothing) and lays out the copy buttons for it.
    void ShowRecord(const CRecord* record);
    const CRecord* Record() const { return m_record; }
    const CDetailsLayout& Layout() const { return m_layout; }
    // The copy buttons, in the order of CDetailsLayout::buttons of a full record: field 1,
    // category, fields 2-6, note; hidden ones included.
    const std::vector<CCopyButton*>& CopyButtons() const { return m_buttons; }
    bool Dragging() const { return m_dragging; }
    // The link the keyboard is on (Enter opens it; the arrow keys move it), -1 when none.
    int FocusedLink() const { return m_focusLink; }

Q_SIGNALS:
    // A link was clicked, or Enter pressed on it: its target is to be opened.
    void linkActivated(const QString& target);
    void copyRequested(uint32_t command);
    void editRequested();
    // The splitter is dragged to x, in the parent's coordinates.
    void splitterDragged(int x);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Relayout();
    const CDetailsLink* LinkAt(const QPoint& point) const;

    const CDatabaseObj& m_database;
    const CViewStyle& m_style;
    const CStringTable& m_strings;
    const CRecord* m_record = nullptr;
    CDetailsLayout m_layout;
    std::vector<CCopyButton*> m_buttons;
    bool m_dragging = false;
    int m_focusLink = -1;
};

}  // namespace tessarin
