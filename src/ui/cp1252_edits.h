#pragma once

// Edits for text the database stores: they take only what Windows-1252 can hold and only as much
// as the item can, refusing a character or a paste whole at the moment it is typed, with a message
// that says why (shown beside the edit and handed to the dialog's notice line). Nothing is ever
// stored as a replacement character, and nothing is cut short silently. Undo and redo are Qt's own.
//
// A change that comes past the keyboard (the accessibility interface, a program setting the text)
// is checked after the fact and taken back whole. Such a path may replace text by deleting it first
// and inserting after: a refused insertion then brings back the text as it was before that
// deletion, not the emptied edit.
#include <optional>
#include <string>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QValidator>

namespace tessarin {

class CStringTable;

// The refusal for `text` in an edit that holds at most `maxLength` characters (0: no limit): the
// message, or none when the text may stand.
std::optional<QString> RefusalOf(const CStringTable& strings, const QString& text, int maxLength);

// What an edit keeps to take a refused change back: the text last accepted and, after a deletion
// that did not come from the keyboard, the text before it.
class CChangeGuard {
public:
    void Stored(const QString& text);
    // A change the keyboard (or an input method) makes: a deletion it makes is the user's own.
    void BeginTyping() { ++m_typing; }
    void EndTyping() { --m_typing; }
    // The change to `text` stands.
    void Accepted(const QString& text);
    // The text a refused change goes back to.
    QString Refused();
    const QString& LastGood() const { return m_lastGood; }
    // While an edit puts the text back its own change is not checked.
    bool m_reverting = false;

private:
    QString m_lastGood;
    std::optional<QString> m_beforeDeletion;
    int m_typing = 0;
};

class CCp1252Validator : public QValidator {
    Q_OBJECT
public:
    CCp1252Validator(const CStringTable& strings, int maxLength, QObject* parent);
    State validate(QString& input, int& pos) const override;

Q_SIGNALS:
    void refused(const QString& message) const;

private:
    const CStringTable& m_strings;
    int m_maxLength;
};

class CCp1252LineEdit : public QLineEdit {
    Q_OBJECT
public:
    // `maxLength` 0: as much as an item can hold (the record's whole size is checked when it is
    // saved).
    CCp1252LineEdit(const CStringTable& strings, int maxLength, QWidget* parent);
    // Shows text the database holds: it stands even when longer than the limit.
    void SetStoredText(const QString& text);

Q_SIGNALS:
    void refused(const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // Text set past the validator (through the accessibility interface, say) is checked here and
    // refused whole as well.
    void CheckChanged(const QString& text);

    const CStringTable& m_strings;
    int m_limit;
    CChangeGuard m_guard;
};

// The note: several lines, at most `maxLength` characters.
class CCp1252NoteEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    CCp1252NoteEdit(const CStringTable& strings, int maxLength, QWidget* parent);
    // Shows the note the database holds: it stands even when longer than the limit.
    void SetStoredText(const QString& text);

Q_SIGNALS:
    void refused(const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // Whether `inserted` may replace the selection; refuses with a message when not.
    bool Accepts(const QString& inserted);
    void CheckChanged();
    void Refuse(const QString& message);

    const CStringTable& m_strings;
    int m_maxLength;
    CChangeGuard m_guard;
};

// A dialog's notice line: it shows the last refusal of any of the dialog's edits, so that it can
// be read after the tool tip has gone (and by a screen reader).
QLabel* NoticeLine(const CStringTable& strings, QWidget* dialog);

}  // namespace tessarin
