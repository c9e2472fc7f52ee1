// The password field of every password dialog: named by its label, a Show/Hide button named by its
// text, and a warning while Caps Lock is on.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "gui/shell_fixture.h"
#include "resources/string_table.h"
#include "store/preference_store.h"
#include "store/preferences.h"
#include "ui/file_dialogs.h"
#include "ui/password_dialogs.h"
#include "ui/password_field.h"

namespace tessarin {
namespace {

// Caps Lock as the test says it is; none: the display cannot tell.
class CapsLockSeam {
public:
    CapsLockSeam() {
        CPasswordField::SetCapsLockReader([this] { return state; });
    }
    ~CapsLockSeam() { CPasswordField::SetCapsLockReader({}); }
    std::optional<bool> state = false;
};

class PasswordFields : public ::testing::Test {
protected:
    // Every dialog that asks for a password, and the names of its fields in order.
    struct Case {
        const char* dialog;
        std::function<std::unique_ptr<QDialog>()> make;
        QStringList fields;
    };
    std::vector<Case> Cases() {
        using Kind = CSetPasswordDialog::Kind;
        using FileKind = CFilePasswordDialog::Kind;
        auto set = [this](Kind kind) {
            return [this, kind] {
                return std::unique_ptr<QDialog>(std::make_unique<CSetPasswordDialog>(
                    strings, messages, preferences, kind, [](const CSecret&) { return true; }));
            };
        };
        auto file = [this](FileKind kind) {
            return [this, kind] {
                return std::unique_ptr<QDialog>(
                    std::make_unique<CFilePasswordDialog>(strings, messages, kind));
            };
        };
        return {
            {"Enter Password",
             [this] {
                 return std::unique_ptr<QDialog>(std::make_unique<CPasswordDialog>(
                     strings, messages, false, QStringList{"Ann"}, 0, true,
                     [](int, const CSecret&) { return true; }));
             },
             {"Please enter the password."}},
            {"Set Password",
             set(Kind::Change),
             {"Old password", "New password", "Confirm password"}},
            {"Set Password (first)", set(Kind::First), {"New password", "Confirm password"}},
            {"Welcome", set(Kind::Welcome), {"New password", "Confirm password"}},
            {"import file", file(FileKind::Import), {"Password"}},
            {"export", file(FileKind::Export), {"Password", "Confirm"}},
        };
    }
    static QList<CPasswordField*> Fields(QDialog& dialog) {
        return dialog.findChildren<CPasswordField*>();
    }

    CStringTable strings;
    test::CAnsweringMessages messages;
    CMemoryPreferenceStore store;
    CPreferences preferences{store};
};

TEST_F(PasswordFields, EveryPasswordFieldShowsAndHidesWhatIsTyped) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.dialog);
        std::unique_ptr<QDialog> dialog = c.make();
        dialog->show();
        const QList<CPasswordField*> fields = Fields(*dialog);
        QStringList names;
        for (CPasswordField* field : fields)
            names << field->Edit()->accessibleName();
        EXPECT_EQ(names, c.fields);
        for (CPasswordField* field : fields) {
            QLineEdit* edit = field->Edit();
            QPushButton* toggle = field->Toggle();
            edit->setText("s3cret");
            EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
            EXPECT_EQ(toggle->text(), "Show");
            EXPECT_EQ(toggle->accessibleName(), "Show");
            EXPECT_FALSE(toggle->autoDefault());
            QTest::mouseClick(toggle, Qt::LeftButton);
            EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
            EXPECT_EQ(edit->displayText(), "s3cret");
            EXPECT_EQ(toggle->accessibleName(), "Hide");
            // The keyboard reaches the button too.
            toggle->setFocus();
            QTest::keyClick(toggle, Qt::Key_Space);
            EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
            EXPECT_EQ(toggle->text(), "Show");
            EXPECT_EQ(edit->text(), "s3cret");  // what was typed is kept either way
        }
    }
}

TEST_F(PasswordFields, TheWarningIsUpWhileCapsLockIsOn) {
    CapsLockSeam caps;
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.dialog);
        std::unique_ptr<QDialog> dialog = c.make();
        caps.state = true;
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        CPasswordField* first = Fields(*dialog).front();
        // The field that has the focus as the dialog opens reads the state at once.
        first->Edit()->setFocus();
        QApplication::processEvents();
        EXPECT_TRUE(first->CapsLockWarned());
        EXPECT_TRUE(first->CapsLockWarning()->isVisible());
        EXPECT_EQ(first->CapsLockWarning()->text(), "Caps Lock is on");
        // Caps Lock pressed in the field: read again as the key comes up.
        caps.state = false;
        QTest::keyClick(first->Edit(), Qt::Key_CapsLock);
        EXPECT_FALSE(first->CapsLockWarned());
        caps.state = true;
        QTest::keyClick(first->Edit(), Qt::Key_CapsLock);
        EXPECT_TRUE(first->CapsLockWarned());
        // Another field learns of it when it takes the focus.
        if (Fields(*dialog).size() > 1) {
            CPasswordField* second = Fields(*dialog)[1];
            EXPECT_FALSE(second->CapsLockWarned());
            second->Edit()->setFocus();
            QApplication::processEvents();
            EXPECT_TRUE(second->CapsLockWarned());
        }
    }
}

TEST_F(PasswordFields, WithoutAReaderTheLettersTypedTell) {
    CapsLockSeam caps;
    caps.state = std::nullopt;  // a display that cannot tell
    CPasswordField field(strings, 32);
    field.show();
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        bool warned;
    };
    const Step steps[] = {
        {Qt::Key_A, Qt::NoModifier, "A", true},     // a capital without Shift
        {Qt::Key_1, Qt::NoModifier, "1", true},     // a digit says nothing
        {Qt::Key_B, Qt::ShiftModifier, "b", true},  // a small letter with Shift
        {Qt::Key_C, Qt::NoModifier, "c", false},   {Qt::Key_D, Qt::ShiftModifier, "D", false},
    };
    for (const Step& step : steps) {
        QKeyEvent press(QEvent::KeyPress, step.key, step.modifiers, step.text);
        QApplication::sendEvent(field.Edit(), &press);
        EXPECT_EQ(field.CapsLockWarned(), step.warned) << step.text;
    }
    EXPECT_EQ(field.Edit()->text(), "A1bcD");
}

}  // namespace
}  // namespace tessarin
