#pragma once

// The "Find" dialog: the text to narrow the record list to, and how it is matched.
#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace tessarin {

class CStringTable;

class CFindDialog : public QDialog {
    Q_OBJECT
public:
    CFindDialog(const CStringTable& strings, const QString& text, bool caseSensitive,
                bool wholeWord, QWidget* parent = nullptr);

    QLineEdit* TextEdit() const { return m_text; }
    QCheckBox* CaseSensitiveBox() const { return m_caseSensitive; }
    QCheckBox* WholeWordBox() const { return m_wholeWord; }

private:
    QLineEdit* m_text;
    QCheckBox* m_caseSensitive;
    QCheckBox* m_wholeWord;
};

}  // namespace tessarin
