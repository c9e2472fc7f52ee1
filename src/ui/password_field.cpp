#include "ui/password_field.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "resources/string_ids.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

CPasswordField::CapsLockReader& Reader() {
    static CPasswordField::CapsLockReader reader;
    return reader;
}

// What a typed letter says of Caps Lock: none for anything but a letter that has two cases.
std::optional<bool> CapsLockFromKey(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.size() != 1 || !text[0].isLetter() || text[0].toUpper() == text[0].toLower())
        return std::nullopt;
    const bool shift = event.modifiers() & Qt::ShiftModifier;
    return text[0].isUpper() != shift;
}

}  // namespace

CPasswordField::CPasswordField(const CStringTable& strings, int maxLength, QWidget* parent)
    : QWidget(parent),
      m_strings(strings),
      m_edit(new QLineEdit(this)),
      m_toggle(new QPushButton(this)),
      m_capsRow(new QWidget(this)),
      m_capsWarning(new QLabel(UiText(strings, str::kCapsLockWarning), m_capsRow)) {
    m_edit->setMaxLength(maxLength);
    m_edit->setEchoMode(QLineEdit::Password);
    // Not the dialog's default button: Enter in the field still means OK.
    m_toggle->setAutoDefault(false);
    m_toggle->setCheckable(true);
    connect(m_toggle, &QPushButton::toggled, this, &CPasswordField::SetShown);
    // The warning: the style's warning sign and the words, shown while Caps Lock is on.
    auto* sign = new QLabel(m_capsRow);
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    sign->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(size));
    m_capsWarning->setAccessibleName(m_capsWarning->text());
    auto* row = new QHBoxLayout(m_capsRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(sign);
    row->addWidget(m_capsWarning, 1);
    m_capsRow->hide();
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit, 0, 0);
    layout->addWidget(m_toggle, 0, 1);
    layout->addWidget(m_capsRow, 1, 0, 1, 2);
    setFocusProxy(m_edit);
    m_edit->installEventFilter(this);
    SetShown(false);
}

bool CPasswordField::Shown() const {
    return m_edit->echoMode() == QLineEdit::Normal;
}

void CPasswordField::SetShown(bool shown) {
    m_edit->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    const QString text =
        UiText(m_strings, shown ? str::kHidePasswordButton : str::kShowPasswordButton);
    m_toggle->setText(text);
    m_toggle->setAccessibleName(AccessibleNameOf(text));
    if (m_toggle->isChecked() != shown) {
        const QSignalBlocker quiet(m_toggle);
        m_toggle->setChecked(shown);
    }
}

void CPasswordField::SetCapsLockReader(CapsLockReader reader) {
    Reader() = std::move(reader);
}

void CPasswordField::UpdateCapsLock() {
    if (Reader())
        if (const std::optional<bool> on = Reader()())
            SetCapsLock(*on);
}

void CPasswordField::SetCapsLock(bool on) {
    m_capsRow->setVisible(on);
}

bool CPasswordField::CapsLockWarned() const {
    return !m_capsRow->isHidden();
}

bool CPasswordField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit) {
        switch (event->type()) {
            case QEvent::FocusIn:
                UpdateCapsLock();
                break;
            case QEvent::KeyPress:
                // Without a reader that can tell, the letters typed say it.
                if (!Reader() || !Reader()())
                    if (const std::optional<bool> on =
                            CapsLockFromKey(*static_cast<QKeyEvent*>(event)))
                        SetCapsLock(*on);
                break;
            case QEvent::KeyRelease:
                // Caps Lock itself pressed in the field: its light has changed by now.
                UpdateCapsLock();
                break;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tessarin
