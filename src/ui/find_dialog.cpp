#include "ui/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>

#include "resources/string_ids.h"
#include "ui/cp1252_edits.h"
#include "ui/ui_text.h"

namespace tessarin {

CFindDialog::CFindDialog(const CStringTable& strings, const QString& text, bool caseSensitive,
                         bool wholeWord, QWidget* parent)
    : CDialogBase(strings, str::kFindTitle, parent) {
    auto* grid = new QGridLayout(this);
    m_text = new CCp1252LineEdit(strings, 0, this);
    m_text->SetStoredText(text);
    m_text->selectAll();
    grid->addWidget(Label(str::kFindLabel, m_text), 0, 0);
    grid->addWidget(m_text, 0, 1);
    m_caseSensitive = new QCheckBox(UiText(strings, str::kFindCaseSensitive), this);
    m_caseSensitive->setChecked(caseSensitive);
    m_caseSensitive->setAccessibleName(AccessibleNameOf(m_caseSensitive->text()));
    grid->addWidget(m_caseSensitive, 1, 1);
    m_wholeWord = new QCheckBox(UiText(strings, str::kFindWholeWord), this);
    m_wholeWord->setChecked(wholeWord);
    m_wholeWord->setAccessibleName(AccessibleNameOf(m_wholeWord->text()));
    grid->addWidget(m_wholeWord, 2, 1);
    auto* note = new QLabel(UiText(strings, str::kFindNote), this);
    note->setAccessibleName(note->text());
    grid->addWidget(note, 3, 0, 1, 2);
    grid->addWidget(NoticeLine(strings, this), 4, 0, 1, 2);
    grid->addWidget(OkButtons(), 5, 0, 1, 2);
    m_text->setFocus();
}

}  // namespace tessarin
