#include "ui/cp1252_edits.h"

#include <algorithm>
#include <utility>

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QToolTip>

#include "base/codepage.h"
#include "resources/string_ids.h"
#include "store/items.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

void ShowRefusal(QWidget* edit, const QString& message) {
    QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), message, edit);
}

// The first character of `text` that Windows-1252 cannot hold, as "U+XXXX" with the character.
std::optional<QString> FirstUnstorable(const QString& text) {
    for (char32_t c : text.toUcs4()) {
        if (!CodePointToCp1252(c)) {
            const QString code =
                QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, '0');
            return QStringLiteral("\u201C%1\u201D (U+%2)").arg(QString::fromUcs4(&c, 1), code);
        }
    }
    return std::nullopt;
}

// Text that changed past the validator: refused for a character Windows-1252 cannot hold, and for
// growing past the limit (text the database holds may already be longer).
std::optional<QString> ChangeRefusal(const CStringTable& strings, const QString& text, int limit,
                                     const QString& lastGood) {
    std::optional<QString> refusal = RefusalOf(strings, text, 0);
    if (!refusal && text.size() > limit && text.size() > lastGood.size())
        refusal = UiText(strings, str::kTextTooLong, {std::to_string(limit)});
    return refusal;
}

}  // namespace

std::optional<QString> RefusalOf(const CStringTable& strings, const QString& text, int maxLength) {
    if (std::optional<QString> shown = FirstUnstorable(text)) {
        // The character itself cannot go through the Windows-1252 string table.
        QString message = UiText(strings, str::kCharacterNotStorable, {"%1"});
        return message.arg(*shown);
    }
    if (maxLength > 0 && text.size() > maxLength)
        return UiText(strings, str::kTextTooLong, {std::to_string(maxLength)});
    return std::nullopt;
}

void CChangeGuard::Stored(const QString& text) {
    m_lastGood = text;
    m_beforeDeletion.reset();
}

void CChangeGuard::Accepted(const QString& text) {
    // A deletion past the keyboard may be the first half of a replacement.
    if (text.size() < m_lastGood.size() && m_typing == 0) {
        if (!m_beforeDeletion)
            m_beforeDeletion = m_lastGood;
    } else {
        m_beforeDeletion.reset();
    }
    m_lastGood = text;
}

QString CChangeGuard::Refused() {
    if (m_beforeDeletion)
        m_lastGood = *std::exchange(m_beforeDeletion, std::nullopt);
    return m_lastGood;
}

CCp1252Validator::CCp1252Validator(const CStringTable& strings, int maxLength, QObject* parent)
    : QValidator(parent), m_strings(strings), m_maxLength(maxLength) {}

QValidator::State CCp1252Validator::validate(QString& input, int&) const {
    if (std::optional<QString> refusal = RefusalOf(m_strings, input, m_maxLength)) {
        Q_EMIT refused(*refusal);
        return Invalid;
    }
    return Acceptable;
}

CCp1252LineEdit::CCp1252LineEdit(const CStringTable& strings, int maxLength, QWidget* parent)
    : QLineEdit(parent),
      m_strings(strings),
      m_limit(maxLength > 0 ? maxLength : static_cast<int>(kMaxPackedSize)) {
    // No field can hold more than a whole item. The edit's own limit lies above the validator's,
    // so that an over-long paste reaches the validator and is refused whole instead of being cut
    // to fit, and so that a longer text the database holds is shown whole.
    setMaxLength(std::max(m_limit + 1, 32767));
    auto* validator = new CCp1252Validator(strings, m_limit, this);
    setValidator(validator);
    connect(validator, &CCp1252Validator::refused, this, [this](const QString& message) {
        ShowRefusal(this, message);
        Q_EMIT refused(message);
    });
    connect(this, &QLineEdit::textChanged, this, &CCp1252LineEdit::CheckChanged);
}

void CCp1252LineEdit::SetStoredText(const QString& text) {
    m_guard.Stored(text);
    m_guard.m_reverting = true;
    setText(text);
    m_guard.m_reverting = false;
}

void CCp1252LineEdit::keyPressEvent(QKeyEvent* event) {
    m_guard.BeginTyping();
    QLineEdit::keyPressEvent(event);
    m_guard.EndTyping();
}

void CCp1252LineEdit::inputMethodEvent(QInputMethodEvent* event) {
    m_guard.BeginTyping();
    QLineEdit::inputMethodEvent(event);
    m_guard.EndTyping();
}

void CCp1252LineEdit::CheckChanged(const QString& text) {
    if (m_guard.m_reverting)
        return;
    const std::optional<QString> refusal =
        ChangeRefusal(m_strings, text, m_limit, m_guard.LastGood());
    if (!refusal) {
        m_guard.Accepted(text);
        return;
    }
    m_guard.m_reverting = true;
    setText(m_guard.Refused());
    m_guard.m_reverting = false;
    ShowRefusal(this, *refusal);
    Q_EMIT refused(*refusal);
}

CCp1252NoteEdit::CCp1252NoteEdit(const CStringTable& strings, int maxLength, QWidget* parent)
    : QPlainTextEdit(parent), m_strings(strings), m_maxLength(maxLength) {
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &CCp1252NoteEdit::CheckChanged);
}

void CCp1252NoteEdit::SetStoredText(const QString& text) {
    m_guard.Stored(text);
    m_guard.m_reverting = true;
    setPlainText(text);
    m_guard.m_reverting = false;
}

void CCp1252NoteEdit::Refuse(const QString& message) {
    ShowRefusal(this, message);
    Q_EMIT refused(message);
}

void CCp1252NoteEdit::CheckChanged() {
    if (m_guard.m_reverting)
        return;
    const QString text = toPlainText();
    const std::optional<QString> refusal =
        ChangeRefusal(m_strings, text, m_maxLength, m_guard.LastGood());
    if (!refusal) {
        m_guard.Accepted(text);
        return;
    }
    m_guard.m_reverting = true;
    setPlainText(m_guard.Refused());
    m_guard.m_reverting = false;
    Refuse(*refusal);
}

bool CCp1252NoteEdit::Accepts(const QString& inserted) {
    const QTextCursor cursor = textCursor();
    const int after = document()->characterCount() - 1 -
                      (cursor.selectionEnd() - cursor.selectionStart()) +
                      static_cast<int>(inserted.size());
    std::optional<QString> refusal = RefusalOf(m_strings, inserted, 0);
    if (!refusal && after > m_maxLength)
        refusal = UiText(m_strings, str::kTextTooLong, {std::to_string(m_maxLength)});
    if (!refusal)
        return true;
    Refuse(*refusal);
    return false;
}

void CCp1252NoteEdit::keyPressEvent(QKeyEvent* event) {
    QString text = event->text();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        text = QStringLiteral("\n");
    const bool inserts = !text.isEmpty() && (text.at(0).isPrint() || text == "\n") &&
                         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (inserts && !Accepts(text)) {
        event->accept();
        return;
    }
    m_guard.BeginTyping();
    QPlainTextEdit::keyPressEvent(event);
    m_guard.EndTyping();
}

void CCp1252NoteEdit::insertFromMimeData(const QMimeData* source) {
    if (source && source->hasText() && !Accepts(source->text()))
        return;
    QPlainTextEdit::insertFromMimeData(source);
}

void CCp1252NoteEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty() && !Accepts(event->commitString())) {
        event->setCommitString(QString());
    }
    m_guard.BeginTyping();
    QPlainTextEdit::inputMethodEvent(event);
    m_guard.EndTyping();
}

QLabel* NoticeLine(const CStringTable& strings, QWidget* dialog) {
    auto* line = new QLabel(dialog);
    line->setWordWrap(true);
    line->setAccessibleName(UiText(strings, str::kStatusLineName));
    const auto show = [line](const QString& message) {
        line->setText(message);
        line->setAccessibleDescription(message);
    };
    for (auto* edit : dialog->findChildren<CCp1252LineEdit*>())
        QObject::connect(edit, &CCp1252LineEdit::refused, line, show);
    for (auto* edit : dialog->findChildren<CCp1252NoteEdit*>())
        QObject::connect(edit, &CCp1252NoteEdit::refused, line, show);
    return line;
}

}  // namespace tessarin
