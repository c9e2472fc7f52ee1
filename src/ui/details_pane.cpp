#include "ui/details_pane.h"

#include <algorithm>

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "listing/detail_links.h"
#include "listing/list_columns.h"
#include "platform/qt_text.h"
#include "render/builtin_icons.h"
#include "render/record_icons.h"
#include "render/view_pictures.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "store/database.h"
#include "store/icon_file.h"
#include "ui/ui_text.h"
#include "ui/view_geometry.h"

namespace tessarin {

namespace {

inline constexpr int kBandInset = 3;
inline constexpr int kIconBox = 28;
inline constexpr int kTextAfterIcon = 32;
inline constexpr int kTextWithoutIcon = 7;
inline constexpr int kRightMargin = 7;
inline constexpr int kFirstLineGap = 11;
inline constexpr int kLabelInset = 8;
inline constexpr int kValueGap = 11;
inline constexpr int kNoteGap = 12;
// Copy buttons: from 15 to 3 pixels before the pane's right edge, 12 x 13.
inline constexpr int kButtonFromRight = 15;
inline constexpr QSize kButtonSize(12, 13);
// Texts on a line with a copy button end this far before the button.
inline constexpr int kButtonGap = 3;
inline constexpr int kGripLines = 12;
inline constexpr int kGripLineStep = 3;
inline constexpr int kGripLinesAbove = 18;

// Whether DrawRecordIcon will draw something for the number in a box of that size.
bool IconDraws(int number, const CIconList* icons, QSize box) {
    if (number >= 0 && number < kBuiltInIconCount)
        return true;
    const int id = number - kFirstCustomIcon;
    if (id < 0 || id > 0xFFFF || !icons)
        return false;
    const CIconEntry* icon = icons->FindIcon(static_cast<uint16_t>(id));
    return icon && FitsIn(*icon, box.width(), box.height());
}

std::string Plain(std::string label) {
    if (!label.empty() && label.back() == ':')
        label.pop_back();
    return label;
}

class CBuilder {
public:
    CBuilder(CDetailsLayout& layout, const CViewStyle& style) : m_layout(layout), m_style(style) {}

    // A text in `box`, cut with an ellipsis; a link when it is one.
    void Text(CDetailsPiece::Kind kind, QRect box, std::string_view text, bool linkable) {
        const bool link = linkable && IsLink(text);
        const QFont& font = FontOf(kind, link);
        const QFontMetrics metrics(font);
        const QString full = Cp1252ToQString(text);
        // Cut only what does not fit: eliding a text exactly as wide as its box may cut it.
        const QString shown =
            metrics.horizontalAdvance(full) <= box.width()
                ? full
                : metrics.elidedText(full, Qt::ElideRight, std::max(0, box.width()));
        m_layout.pieces.push_back({kind, box, shown, link});
        if (link && !shown.isEmpty()) {
            const int width = std::min(box.width(), metrics.horizontalAdvance(shown));
            const int height = metrics.height();
            const QRect extent(box.left(), box.top() + (box.height() - height) / 2, width, height);
            m_layout.links.push_back({extent, Cp1252ToQString(LinkTarget(text))});
        }
    }

    const QFont& FontOf(CDetailsPiece::Kind kind, bool link) const {
        const CListFonts& fonts = m_style.fonts;
        if (kind == CDetailsPiece::kTitle)
            return link ? fonts.titleUnderlined : fonts.title;
        return link ? fonts.listUnderlined : fonts.list;
    }

private:
    CDetailsLayout& m_layout;
    const CViewStyle& m_style;
};

// The note from `left` to `right`, from `top` down to `bottom`: words and runs of spaces in
// turn, a word that does not fit on a line that holds something going to the next line, a CR
// starting a new line.
void LayoutNote(CBuilder& builder, std::string_view note, const QFont& font, int lineHeight,
                int left, int right, int top, int bottom) {
    const QFontMetrics metrics(font);
    int x = left;
    int y = top;
    size_t i = 0;
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (i < note.size() && y + lineHeight <= bottom) {
        const char c = note[i];
        if (c == '\r' || c == '\n') {
            // CR LF, a lone CR or a lone LF ends the line once.
            i += (c == '\r' && i + 1 < note.size() && note[i + 1] == '\n') ? 2 : 1;
            x = left;
            y += lineHeight;
            continue;
        }
        size_t end = i;
        const bool space = isSpace(c);
        while (end < note.size() && isSpace(note[end]) == space && note[end] != '\r' &&
               note[end] != '\n')
            ++end;
        const std::string_view run = note.substr(i, end - i);
        i = end;
        const int width = metrics.horizontalAdvance(Cp1252ToQString(run));
        if (space) {
            // Spaces at the start of a wrapped line are not drawn.
            if (x > left)
                x += width;
            continue;
        }
        if (x > left && x + width > right) {
            x = left;
            y += lineHeight;
            if (y + lineHeight > bottom)
                break;
        }
        builder.Text(CDetailsPiece::kValue, QRect(x, y, std::min(width, right - x), lineHeight),
                     run, true);
        x += width;
    }
}

}  // namespace

CDetailsLayout LayoutDetails(const CDatabaseObj& database, const CRecord* record,
                             const CViewStyle& style, const CStringTable& strings, QSize size) {
    CDetailsLayout layout;
    const int w = size.width();
    const int h = size.height();
    layout.grip = QRect(0, 0, std::min(kGripWidth, w), h);
    layout.body = QRect(kGripWidth, 0, std::max(0, w - kGripWidth), h);
    const CListFonts& fonts = style.fonts;
    layout.titleBand =
        QRect(layout.body.left() + kBandInset, kBandInset,
              std::max(0, layout.body.width() - 2 * kBandInset), fonts.titleBandHeight);
    if (!record)
        return layout;

    CBuilder builder(layout, style);
    const QRect& band = layout.titleBand;
    const int buttonX = w - kButtonFromRight;
    const auto button = [&](uint32_t command, int top, int height, std::string name) {
        layout.buttons.push_back(
            {command,
             QRect(QPoint(buttonX, top + (height - kButtonSize.height()) / 2), kButtonSize),
             std::move(name)});
    };
    const auto labelOf = [&](int field) { return database.LabelFor(*record, field, true); };

    // Title band: the icon, then field 1 as shown.
    const QSize iconSize(kIconBox, band.height());
    layout.iconNumber = record->m_icon;
    if (IconDraws(record->m_icon, style.customIcons, iconSize))
        layout.iconBox = QRect(band.topLeft(), iconSize);
    const int titleLeft =
        band.left() + (layout.iconBox.isEmpty() ? kTextWithoutIcon : kTextAfterIcon);
    int titleRight = band.right() + 1 - kRightMargin;
    if (!record->GetValue(0).empty()) {
        button(cmd::kCopyField1, band.top(), band.height(), Plain(labelOf(0)));
        titleRight = std::min(titleRight, buttonX - kButtonGap);
    }
    builder.Text(CDetailsPiece::kTitle,
                 QRect(titleLeft, band.top(), titleRight - titleLeft, band.height()),
                 record->DisplayValue(0, style.masking), true);

    // The category and the fields 2-6 that hold something, with their labels.
    struct CLine {
        std::string label;
        std::string_view value;
        uint32_t command;
    };
    std::vector<CLine> lines;
    lines.push_back({strings.Get(str::kCategoryLabel),
                     ShownName(database.m_categories, record->m_categoryKey), cmd::kCopyCategory});
    for (int field = 1; field < kFieldCount; ++field)
        if (!record->GetValue(field).empty())
            lines.push_back({labelOf(field), record->DisplayValue(field, style.masking),
                             cmd::kCopyField1 + static_cast<uint32_t>(field)});
    const QFontMetrics metrics(fonts.list);
    int labelWidth = 0;
    for (const CLine& line : lines)
        labelWidth =
            std::max(labelWidth, metrics.horizontalAdvance(Cp1252ToQString(line.label)) + 1);
    const int labelLeft = kGripWidth + kLabelInset;
    const int valueLeft = kGripWidth + labelWidth + kValueGap;
    const int valueRight = std::min(w - kRightMargin, buttonX - kButtonGap);
    int top = band.bottom() + 1 - kBandInset + kFirstLineGap;
    for (const CLine& line : lines) {
        if (top + fonts.lineHeight > h)
            break;
        builder.Text(CDetailsPiece::kLabel, QRect(labelLeft, top, labelWidth, fonts.lineHeight),
                     line.label, false);
        builder.Text(CDetailsPiece::kValue,
                     QRect(valueLeft, top, valueRight - valueLeft, fonts.lineHeight), line.value,
                     true);
        button(line.command, top, fonts.lineHeight, Plain(line.label));
        top += fonts.lineHeight;
    }

    // The note under its label, wrapped to the pane.
    const std::string_view note = record->GetNote();
    if (!note.empty() && top + kNoteGap + fonts.lineHeight <= h) {
        top += kNoteGap;
        const std::string label = strings.Get(str::kNoteLabel);
        builder.Text(CDetailsPiece::kLabel,
                     QRect(labelLeft, top, valueRight - labelLeft, fonts.lineHeight), label, false);
        button(cmd::kCopyNote, top, fonts.lineHeight, Plain(label));
        LayoutNote(builder, note, fonts.list, fonts.lineHeight, labelLeft, w - kRightMargin,
                   top + fonts.lineHeight, h - 1);
    }
    return layout;
}

CCopyButton::CCopyButton(QWidget* parent) : QAbstractButton(parent) {
    // Reached with Tab and pressed with Space, like any button.
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
}

QSize CCopyButton::sizeHint() const {
    return kButtonSize;
}

void CCopyButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawCopyButton(painter, rect(), isDown());
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

CDetailsPane::CDetailsPane(const CDatabaseObj& database, const CViewStyle& style,
                           const CStringTable& strings, QWidget* parent)
    : QWidget(parent), m_database(database), m_style(style), m_strings(strings) {
    setMouseTracking(true);
    setAccessibleName(UiText(strings, str::kDetailsPaneName));
    const uint32_t commands[] = {cmd::kCopyField1,     cmd::kCopyCategory,   cmd::kCopyField1 + 1,
                                 cmd::kCopyField1 + 2, cmd::kCopyField1 + 3, cmd::kCopyField1 + 4,
                                 cmd::kCopyField1 + 5, cmd::kCopyNote};
    // Named for what they copy once a record is shown; until then after the default labels.
    const int defaultNames[] = {str::kFieldLabel1, str::kCategoryColumnTitle, str::kFieldLabel2,
                                str::kFieldLabel3, str::kFieldLabel4,         str::kFieldLabel5,
                                str::kFieldLabel6, str::kNoteColumnName};
    for (size_t i = 0; i < std::size(commands); ++i) {
        const uint32_t command = commands[i];
        auto* button = new CCopyButton(this);
        button->setProperty("command", command);
        button->setAccessibleName(
            UiText(strings, str::kCopyButtonName, {strings.Get(defaultNames[i])}));
        button->hide();
        connect(button, &QAbstractButton::clicked, this,
                [this, command] { Q_EMIT copyRequested(command); });
        m_buttons.push_back(button);
    }
    // The pane is a stop of Tab: its links are then reached with the arrow keys.
    setFocusPolicy(Qt::StrongFocus);
}

void CDetailsPane::ShowRecord(const CRecord* record) {
    m_record = record;
    Relayout();
    update();
}

void CDetailsPane::Relayout() {
    m_layout = LayoutDetails(m_database, m_record, m_style, m_strings, size());
    if (m_focusLink >= static_cast<int>(m_layout.links.size()))
        m_focusLink = m_layout.links.empty() ? -1 : 0;
    if (hasFocus() && m_focusLink < 0 && !m_layout.links.empty())
        m_focusLink = 0;
    for (CCopyButton* button : m_buttons)
        button->hide();
    for (const CCopySpot& spot : m_layout.buttons) {
        for (CCopyButton* button : m_buttons) {
            if (button->property("command").toUInt() != spot.command)
                continue;
            button->setGeometry(spot.rect);
            button->setAccessibleName(UiText(m_strings, str::kCopyButtonName, {spot.name}));
            button->show();
        }
    }
}

void CDetailsPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

void CDetailsPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& palette = this->palette();
    // The grip, with its ridges across the middle.
    const QColor gripColor = palette.color(QPalette::Button);
    painter.fillRect(m_layout.grip, gripColor);
    painter.setPen(TextColorOn(gripColor, Qt::black));
    const int first = height() / 2 - kGripLinesAbove;
    for (int i = 0; i < kGripLines; ++i)
        painter.drawLine(2, first + i * kGripLineStep, 9, first + i * kGripLineStep);
    // The body in the row colour inside a grey frame.
    painter.fillRect(m_layout.body, m_style.rowColor);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(m_layout.body.adjusted(0, 0, -1, -1));
    const QColor band = TitleBandColor(m_style.rowColor);
    painter.fillRect(m_layout.titleBand, band);
    if (!m_record)
        return;
    if (!m_layout.iconBox.isEmpty())
        DrawRecordIcon(painter, m_layout.iconBox, m_layout.iconNumber, m_style.customIcons);
    const QColor bandText = TextColorOn(band, palette.color(QPalette::ButtonText));
    const QColor bodyText = TextColorOn(m_style.rowColor, palette.color(QPalette::WindowText));
    for (const CDetailsPiece& piece : m_layout.pieces) {
        const bool title = piece.kind == CDetailsPiece::kTitle;
        const QFont& font = title
                                ? (piece.link ? m_style.fonts.titleUnderlined : m_style.fonts.title)
                                : (piece.link ? m_style.fonts.listUnderlined : m_style.fonts.list);
        const QColor& background = title ? band : m_style.rowColor;
        painter.setFont(font);
        painter.setPen(piece.link ? LinkColorOn(background) : (title ? bandText : bodyText));
        painter.drawText(piece.box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         piece.text);
    }
    if (hasFocus() && m_focusLink >= 0) {
        painter.setPen(QPen(palette.color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(
            m_layout.links[static_cast<size_t>(m_focusLink)].rect.adjusted(-1, -1, 0, 0));
    }
}

void CDetailsPane::focusInEvent(QFocusEvent* event) {
    if (m_focusLink < 0 && !m_layout.links.empty())
        m_focusLink = 0;
    update();
    QWidget::focusInEvent(event);
}

void CDetailsPane::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

void CDetailsPane::keyPressEvent(QKeyEvent* event) {
    const int links = static_cast<int>(m_layout.links.size());
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_focusLink >= 0 && m_focusLink < links)
                Q_EMIT linkActivated(m_layout.links[static_cast<size_t>(m_focusLink)].target);
            return;
        case Qt::Key_Down:
        case Qt::Key_Right:
            if (links > 0)
                m_focusLink = (m_focusLink + 1) % links;
            update();
            return;
        case Qt::Key_Up:
        case Qt::Key_Left:
            if (links > 0)
                m_focusLink = (m_focusLink + links - 1) % links;
            update();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

const CDetailsLink* CDetailsPane::LinkAt(const QPoint& point) const {
    for (const CDetailsLink& link : m_layout.links)
        if (link.rect.contains(point))
            return &link;
    return nullptr;
}

void CDetailsPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_layout.grip.contains(event->position().toPoint())) {
        m_dragging = true;
        return;
    }
    QWidget::mousePressEvent(event);
}

void CDetailsPane::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_dragging) {
        Q_EMIT splitterDragged(mapToParent(at).x());
        return;
    }
    if (m_layout.grip.contains(at))
        setCursor(Qt::SizeHorCursor);
    else if (LinkAt(at))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

void CDetailsPane::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging) {
        m_dragging = false;
        return;
    }
    if (event->button() == Qt::LeftButton)
        if (const CDetailsLink* link = LinkAt(event->position().toPoint()))
            Q_EMIT linkActivated(link->target);
    QWidget::mouseReleaseEvent(event);
}

void CDetailsPane::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !m_layout.grip.contains(event->position().toPoint()))
        Q_EMIT editRequested();
}

}  // namespace tessarin
