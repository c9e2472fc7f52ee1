// "Detail View": its three modes, the save steps checked against the file, the type and category
// combos, the buttons and the lock.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "gui/record_fixture.h"
#include "resources/string_ids.h"
#include "ui/cp1252_edits.h"
#include "ui/customize_record_dialog.h"
#include "ui/detail_view_dialog.h"
#include "ui/generate_password_dialog.h"
#include "ui/type_dialogs.h"

namespace tessarin {
namespace {

using Mode = CDetailViewDialog::Mode;

class DetailViewTest : public test::RecordFixture {
protected:
    QStringList Labels(CDetailViewDialog& dialog) {
        QStringList labels;
        for (int i = 0; i < kFieldCount; ++i)
            labels << dialog.FieldLabel(i)->text();
        return labels;
    }
    void Type(CDetailViewDialog& dialog, int field, const QString& text) {
        dialog.FieldEdit(field)->selectAll();
        QTest::keyClicks(dialog.FieldEdit(field), text);
    }
    int IndexOf(QComboBox* combo, const QString& text) { return combo->findText(text); }
};

TEST_F(DetailViewTest, NewTakesTheFiltersAndOkAddsSavesInsertsAndAnnounces) {
    hooks.typeFilter = web->m_key;
    hooks.categoryFilter = home->m_key;
    CDetailViewDialog dialog(Services(), Mode::New, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Detail View");
    EXPECT_EQ(dialog.TypeCombo()->currentText(), "Web");
    EXPECT_EQ(dialog.CategoryCombo()->currentText(), "Home");
    EXPECT_EQ(Labels(dialog),
              QStringList({"Site:", "User:", "Password:", "Field 4:", "Field 5:", "Field 6:"}));
    // The combos: live items by name, then "Unfiled" and the editor's entry.
    QStringList types;
    for (int i = 0; i < dialog.TypeCombo()->count(); ++i)
        types << dialog.TypeCombo()->itemText(i);
    EXPECT_EQ(types, QStringList({"Bank", "Web", "Unfiled", "Edit Types..."}));
    EXPECT_EQ(dialog.CategoryCombo()->itemText(3), "Edit Categories...");
    EXPECT_FALSE(dialog.DeleteButton()->isEnabled());
    EXPECT_TRUE(dialog.MaskMarker(2)->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.MaskMarker(1)->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.FieldEdit(2)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.FieldEdit(0)->accessibleName(), "Site");

    Type(dialog, 0, "bank.example");
    Type(dialog, 2, "pw");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    // The list gets the row, then the dialog selects it.
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"insert", "select"}));
    ASSERT_EQ(poster.posted.size(), 1u);
    EXPECT_EQ(poster.posted[0],
              (CChangeNotice{kActionAdded, kKindRecord, hooks.inserted[0]->m_recordNumber}));

    auto loaded = Reloaded();
    EXPECT_EQ(FirstValues(*loaded), (std::vector<std::string>{"mail.example", "bank.example"}));
    const CRecord* added = loaded->RecordAt(1);
    EXPECT_EQ(added->GetValue(2), "pw");
    EXPECT_EQ(added->GetTypeKey(), web->m_key);
    EXPECT_EQ(added->m_categoryKey, home->m_key);
    EXPECT_EQ(added->m_icon, 7);
    EXPECT_EQ(added->m_maskBits, 0x04);
    EXPECT_TRUE(added->m_modified);
}

TEST_F(DetailViewTest, AnEmptyNewRecordIsDiscardedWithoutAWord) {
    CDetailViewDialog dialog(Services(), Mode::New, nullptr);
    int activity = 0;
    QObject::connect(&dialog, &CDetailViewDialog::activity, [&] { ++activity; });
    dialog.NoteEdit()->setPlainText("only a note");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(hooks.saves, 0);
    EXPECT_TRUE(poster.posted.empty());
    EXPECT_EQ(database.m_records.Size(), 1u);
    // The note's changes re-arm the automatic lock.
    EXPECT_GT(activity, 0);
}

TEST_F(DetailViewTest, EditWithoutChangesStillRedrawsSavesAndAnnouncesButLeavesModifiedAlone) {
    CDetailViewDialog dialog(Services(), Mode::Edit, mail);
    EXPECT_TRUE(dialog.DeleteButton()->isEnabled());
    EXPECT_EQ(dialog.FieldEdit(2)->text(), "s3cret");  // the real value
    EXPECT_EQ(dialog.NoteEdit()->toPlainText(), "line 1\nline 2");
    dialog.accept();
    EXPECT_EQ(hooks.calls, std::vector<std::string>{"redraw"});
    EXPECT_EQ(hooks.saves, 1);
    EXPECT_EQ(poster.posted, (CNoticeList{{kActionChanged, kKindRecord, mail->m_recordNumber}}));
    EXPECT_FALSE(mail->m_modified);
    EXPECT_EQ(mail->GetNote(), "line 1\r\nline 2");  // line ends kept byte for byte
}

TEST_F(DetailViewTest, EditStoresTheChangesAndCancelNeverTouchesTheRecord) {
    {
        CDetailViewDialog dialog(Services(), Mode::Edit, mail);
        Type(dialog, 1, "bob");
        dialog.NoteEdit()->setPlainText("new note\nsecond");
        dialog.CategoryCombo()->setCurrentIndex(IndexOf(dialog.CategoryCombo(), "Unfiled"));
        dialog.reject();
    }
    EXPECT_EQ(mail->GetValue(1), "ann");
    EXPECT_EQ(hooks.saves, 0);
    CDetailViewDialog dialog(Services(), Mode::Edit, mail);
    Type(dialog, 1, "bob");
    dialog.NoteEdit()->setPlainText("new note\nsecond");
    dialog.CategoryCombo()->setCurrentIndex(IndexOf(dialog.CategoryCombo(), "Unfiled"));
    dialog.accept();
    auto loaded = Reloaded();
    const CRecord* record = loaded->RecordAt(0);
    EXPECT_EQ(record->GetValue(1), "bob");
    EXPECT_EQ(record->GetNote(), "new note\r\nsecond");
    EXPECT_EQ(record->m_categoryKey, ZeroKey);
    EXPECT_TRUE(record->m_modified);
}

TEST_F(DetailViewTest, ChangingTheTypeReplacesLabelsMaskAndIconAndKeepsValues) {
    CDetailViewDialog dialog(Services(), Mode::Edit, mail);
    dialog.show();
    Type(dialog, 3, "typed");
    dialog.TypeChosen(IndexOf(dialog.TypeCombo(), "Bank"));
    EXPECT_EQ(Labels(dialog),
              QStringList({"Bank:", "Account:", "Field 3:", "Field 4:", "Field 5:", "Field 6:"}));
    EXPECT_EQ(dialog.State().mask, 0);
    EXPECT_EQ(dialog.State().icon, 9);
    EXPECT_FALSE(dialog.MaskMarker(2)->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.FieldEdit(3)->text(), "typed");
    EXPECT_EQ(dialog.FieldEdit(0)->text(), "mail.example");
    dialog.TypeChosen(IndexOf(dialog.TypeCombo(), "Unfiled"));
    EXPECT_EQ(dialog.FieldLabel(0)->text(), "Field 1:");
    EXPECT_EQ(dialog.State().icon, kDefaultIcon);
    dialog.TypeChosen(IndexOf(dialog.TypeCombo(), "Web"));
    dialog.accept();
    auto loaded = Reloaded();
    EXPECT_EQ(loaded->RecordAt(0)->GetValue(3), "typed");
    EXPECT_EQ(loaded->RecordAt(0)->m_icon, 7);
}

TEST_F(DetailViewTest, DuplicateStartsFromACopyWithCopyAfterFieldOne) {
    mail->SetCustomLabelText(1, "Login");
    mail->m_icon = 33;
    CDetailViewDialog dialog(Services(), Mode::Duplicate, mail);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    EXPECT_EQ(dialog.FieldEdit(0)->text(), "mail.example Copy");
    EXPECT_EQ(dialog.FieldEdit(0)->selectedText(), "mail.example Copy");
    EXPECT_EQ(dialog.FieldLabel(1)->text(), "Login:");
    EXPECT_FALSE(dialog.DeleteButton()->isEnabled());
    dialog.accept();
    auto loaded = Reloaded();
    ASSERT_EQ(loaded->m_records.Size(), 2u);
    const CRecord* copy = loaded->RecordAt(1);
    EXPECT_EQ(copy->GetValue(0), "mail.example Copy");
    EXPECT_EQ(copy->GetValue(2), "s3cret");
    EXPECT_EQ(copy->GetNote(), "line 1\r\nline 2");
    EXPECT_EQ(copy->GetCustomLabel(1), "Login");
    EXPECT_EQ(copy->m_icon, 33);
    EXPECT_EQ(copy->m_categoryKey, work->m_key);
    EXPECT_NE(copy->m_recordNumber, loaded->RecordAt(0)->m_recordNumber);
}

TEST_F(DetailViewTest, DuplicateButtonSavesThenGoesOnWithACopy) {
    CDetailViewDialog dialog(Services(), Mode::Edit, mail);
    dialog.show();
    Type(dialog, 1, "carol");
    dialog.Duplicate();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.IsNew());
    EXPECT_FALSE(dialog.DeleteButton()->isEnabled());
    EXPECT_EQ(dialog.FieldEdit(0)->text(), "mail.example Copy");
    EXPECT_EQ(Reloaded()->RecordAt(0)->GetValue(1), "carol");
    dialog.accept();
    auto loaded = Reloaded();
    EXPECT_EQ(FirstValues(*loaded),
              (std::vector<std::string>{"mail.example", "mail.example Copy"}));
    EXPECT_EQ(loaded->RecordAt(1)->GetValue(1), "carol");
    EXPECT_EQ(poster.posted.size(), 2u);
}

TEST_F(DetailViewTest, DeleteAsksWithNoAsDefaultAndYesDeletes) {
    CDetailViewDialog dialog(Services(), Mode::Edit, mail);
    dialog.show();
    messages.yes = false;
    dialog.Delete();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].id, str::kDeleteItemConfirm);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNoDefaultNo);
    EXPECT_TRUE(dialog.isVisible());
    messages.yes = true;
    const uint32_t number = mail->m_recordNumber;
    dialog.Delete();
    EXPECT_EQ(dialog.result(), CDetailViewDialog::kDeleted);
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"remove"}));
    EXPECT_EQ(poster.posted, (CNoticeList{{kActionDeleted, kKindRecord, number}}));
    EXPECT_TRUE(FirstValues(*Reloaded()).empty());
}

TEST_F(DetailViewTest, PasswordButtonFillsTheLastFieldThatHadTheFocusAndUndoBringsItBack) {
    preferences.WriteNumber(Pref::PasswordGeneratorFlags, kSetDigits);
    CDetailViewDialog dialog(Services(), Mode::Edit, mail);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.FieldEdit(1)->setFocus();
    dialog.FieldEdit(4)->setFocus();
    dialog.FieldEdit(1)->setFocus();
    dialog.NoteEdit()->setFocus();
    EXPECT_EQ(dialog.LastFieldEdit(), 1);
    int openedLength = 0;
    test::OnNextDialog<CGeneratePasswordDialog>([&](CGeneratePasswordDialog& generator) {
        openedLength = generator.findChild<QSpinBox*>()->value();
        generator.Generate();
        generator.accept();
    });
    dialog.GeneratePassword();
    EXPECT_EQ(openedLength, 8);  // "ann" is shorter than 4 characters
    const QString generated = dialog.FieldEdit(1)->text();
    EXPECT_EQ(generated.size(), 8);
    EXPECT_TRUE(generated.toStdString().find_first_not_of("0123456789") == std::string::npos);
    EXPECT_EQ(dialog.State().values[1], generated.toStdString());
    // Undo takes the new password out, then puts the old text back (a masked field, like any
    // password field, keeps no undo history).
    dialog.FieldEdit(1)->undo();
    dialog.FieldEdit(1)->undo();
    EXPECT_EQ(dialog.FieldEdit(1)->text(), "ann");
}

TEST_F(DetailViewTest, CustomButtonBringsLabelsAndMaskBack) {
    CDetailViewDialog dialog(Services(), Mode::Edit, mail);
    dialog.show();
    test::OnNextDialog<CCustomizeRecordDialog>([](CCustomizeRecordDialog& custom) {
        auto edits = custom.findChildren<CCp1252LineEdit*>();
        edits[1]->setText("Login");
        custom.findChildren<QCheckBox*>()[0]->setChecked(true);
        custom.accept();
    });
    dialog.Customize();
    EXPECT_EQ(dialog.FieldLabel(1)->text(), "Login:");
    EXPECT_TRUE(dialog.MaskMarker(0)->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.State().mask, 0x05);
    EXPECT_EQ(mail->GetCustomLabel(1), "");  // only the dialog's state until OK
    dialog.accept();
    EXPECT_EQ(Reloaded()->RecordAt(0)->GetCustomLabel(1), "Login");
}

TEST_F(DetailViewTest, EditTypesFromTheComboComesBackThroughAQueuedCall) {
    CDetailViewDialog dialog(Services(), Mode::Edit, mail);
    dialog.show();
    Type(dialog, 4, "kept");
    messages.yes = true;
    test::OnNextDialog<CEditTypesDialog>([&](CEditTypesDialog& editor) {
        editor.List().setCurrentItem(editor.EntryOf(web));
        editor.DeleteItem();  // the record's own type goes
        editor.accept();
    });
    dialog.TypeChosen(dialog.TypeCombo()->count() - 1);
    EXPECT_EQ(hooks.calls.back(), "types edited");
    QCoreApplication::processEvents();  // the queued end of the selection change
    EXPECT_EQ(dialog.TypeCombo()->currentText(), "Unfiled");
    EXPECT_EQ(dialog.FieldEdit(4)->text(), "kept");
    dialog.accept();
    auto loaded = Reloaded();
    EXPECT_EQ(loaded->RecordAt(0)->GetTypeKey(), ZeroKey);
    EXPECT_EQ(loaded->RecordAt(0)->GetValue(4), "kept");
}

TEST_F(DetailViewTest, TheLockStoresTheEditsAndClosesAsIfOkWasPressed) {
    CDetailViewDialog dialog(Services(), Mode::New, nullptr);
    dialog.show();
    Type(dialog, 0, "typed before the lock");
    dialog.StoreAndClose();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialog.ClosedForLock());
    EXPECT_EQ(FirstValues(*Reloaded()),
              (std::vector<std::string>{"mail.example", "typed before the lock"}));
    dialog.accept();  // nothing more happens
    EXPECT_EQ(hooks.saves, 1);
}

TEST_F(DetailViewTest, ARecordTooLargeToEncipherIsRefusedWithAMessageAndStaysAsItWas) {
    CDetailViewDialog dialog(Services(), Mode::Edit, mail);
    dialog.show();
    dialog.FieldEdit(4)->setText(QString(40000, 'x'));
    dialog.FieldEdit(5)->setText(QString(40000, 'y'));
    dialog.accept();
    EXPECT_EQ(messages.Ids(), std::vector<int>{str::kRecordTooLarge});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(mail->GetValue(5), "");
    EXPECT_EQ(hooks.saves, 0);
}

TEST_F(DetailViewTest, ANoteReplacedPastItsLimitThroughTheAccessibilityInterfaceKeepsTheOldNote) {
    CDetailViewDialog dialog(Services(), Mode::Edit, mail);
    dialog.show();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(dialog.NoteEdit());
    ASSERT_NE(accessible, nullptr);
    QAccessibleEditableTextInterface* text = accessible->editableTextInterface();
    ASSERT_NE(text, nullptr);
    const int length = static_cast<int>(dialog.NoteEdit()->toPlainText().size());
    text->replaceText(0, length, QString(static_cast<int>(kMaxNoteLength) + 1, 'n'));
    EXPECT_EQ(dialog.NoteEdit()->toPlainText(), "line 1\nline 2");
    dialog.accept();
    EXPECT_EQ(mail->GetNote(), "line 1\r\nline 2");
    EXPECT_EQ(Reloaded()->RecordAt(0)->GetNote(), "line 1\r\nline 2");
}

TEST_F(DetailViewTest, ShowMaskedFieldsShowsTheRealValues) {
    CDetailViewDialog dialog(Services(), Mode::Edit, mail);
    EXPECT_EQ(dialog.FieldEdit(2)->echoMode(), QLineEdit::Password);
    dialog.ShowMaskedBox()->setChecked(true);
    EXPECT_EQ(dialog.FieldEdit(2)->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(dialog.FieldEdit(1)->echoMode(), QLineEdit::Normal);
}

}  // namespace
}  // namespace tessarin
