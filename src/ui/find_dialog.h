#pragma once

// The "Find" dialog: the text to narrow the record list to, and how it is matched. The text is
// compared with the records' Windows-1252 text, so a character it cannot hold is refused as it
// is typed, like in the record dialogs.
#include "ui/cp1252_edits.h"
#include "ui/dialog_base.h"

class QCheckBox;

namespace tessarin {

class CFindDialog : public CDialogBase {
    Q_OBJECT
public:
    CFindDialog(const CStringTable& strings, const QString& text, bool caseSensitive,
                bool wholeWord, QWidget* parent = nullptr);

    CCp1252LineEdit* TextEdit() const { return m_text; }
    QCheckBox* CaseSensitiveBox() const { return m_caseSensitive; }
    QCheckBox* WholeWordBox() const { return m_wholeWord; }

private:
    CCp1252LineEdit* m_text;
    QCheckBox* m_caseSensitive;
    QCheckBox* m_wholeWord;
};

}  // namespace tessarin
