// "Choose Icon", "Generate Password", "Customize Record" and the edits that refuse what the
// database cannot hold.
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

#include <functional>

#include "gui/record_fixture.h"
#include "gui/typing.h"
#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "security/password_generator.h"
#include "store/icon_file.h"
#include "support/palm_files.h"
#include "ui/choose_icon_dialog.h"
#include "ui/cp1252_edits.h"
#include "ui/customize_record_dialog.h"
#include "ui/dialog_base.h"
#include "ui/generate_password_dialog.h"
#include "ui/strength_meter.h"
#include "ui/ui_text.h"

namespace tessarin {
namespace {

// An icon file with `count` one-pixel bitmaps of resource ids 1000, 1001, ...
CIconList CustomIcons(uint8_t count) {
    std::vector<uint8_t> file = test::IconFileHeader(count);
    const uint32_t data = 78 + 10u * count + 2;
    for (uint8_t i = 0; i < count; ++i) {
        const uint16_t id = static_cast<uint16_t>(1000 + i);
        const uint32_t at = data + 18u * i;
        file.insert(file.end(),
                    {'T', 'b', 'm', 'p', static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id), 0,
                     0, static_cast<uint8_t>(at >> 8), static_cast<uint8_t>(at)});
    }
    file.insert(file.end(), {0, 0});
    for (uint8_t i = 0; i < count; ++i)
        file.insert(file.end(), {0, 1, 0, 1, 0, 2, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0x80, 0});
    CIconList icons;
    EXPECT_EQ(icons.ReadIconData(file.data(), file.size()), EIconFileResult::kRead);
    return icons;
}

void ClickCell(CIconGrid& grid, int position) {
    QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.CellRect(position).center());
}

TEST(ChooseIcon, BuiltInIconsColumnByColumnAndNoScrollingWithoutCustomIcons) {
    CStringTable strings;
    CChooseIconDialog dialog(strings, nullptr, 12);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Choose Icon");
    EXPECT_EQ(dialog.Grid().Selected(), 33);  // icon 12 stands at column 1, row 4
    EXPECT_FALSE(dialog.ScrollBar().isEnabled());
    EXPECT_EQ(dialog.ScrollBar().maximum(), 0);
    ClickCell(dialog.Grid(), 1);
    EXPECT_EQ(dialog.Icon(), 8);
    ClickCell(dialog.Grid(), 63);
    EXPECT_EQ(dialog.Icon(), 63);
    // The arrows move the selection too.
    QTest::keyClick(&dialog.Grid(), Qt::Key_Up);
    EXPECT_EQ(dialog.Icon(), 62);
}

TEST(ChooseIcon, CustomIconsFollowAndTheScrollBarHasTheirRows) {
    CStringTable strings;
    const CIconList icons = CustomIcons(10);
    CChooseIconDialog dialog(strings, &icons, 256 + 1009);
    dialog.show();
    EXPECT_TRUE(dialog.ScrollBar().isEnabled());
    EXPECT_EQ(dialog.ScrollBar().maximum(), 2);  // two started rows of custom icons
    EXPECT_EQ(dialog.ScrollBar().pageStep(), 8);
    EXPECT_EQ(dialog.Grid().Selected(), 73);
    EXPECT_EQ(dialog.ScrollBar().value(), 2);  // scrolled to show it
    EXPECT_EQ(dialog.Grid().FirstRow(), 2);
    ClickCell(dialog.Grid(), 64);
    EXPECT_EQ(dialog.Icon(), 256 + 1000);
    // A cell past the last icon selects nothing.
    QTest::mouseClick(&dialog.Grid(), Qt::LeftButton, {},
                      dialog.Grid().CellRect(2 * 8 + 63).center());
    EXPECT_EQ(dialog.Icon(), 256 + 1000);
    dialog.ScrollBar().setValue(0);
    EXPECT_TRUE(dialog.Grid().CellRect(73).isEmpty());
    ClickCell(dialog.Grid(), 7);
    EXPECT_EQ(dialog.Icon(), 56);
}

TEST(ChooseIcon, AnIconNoPositionShowsKeepsItsNumber) {
    CStringTable strings;
    CChooseIconDialog dialog(strings, nullptr, 256 + 5);
    EXPECT_EQ(dialog.Grid().Selected(), std::nullopt);
    EXPECT_EQ(dialog.Icon(), 256 + 5);
}

class GeneratorTest : public test::RecordFixture {
protected:
    QSpinBox* Length(CGeneratePasswordDialog& dialog) { return dialog.findChild<QSpinBox*>(); }
    QLineEdit* Field(CGeneratePasswordDialog& dialog) {
        return dialog.findChild<CCp1252LineEdit*>();
    }
    QCheckBox* Box(CGeneratePasswordDialog& dialog, const QString& text) {
        return test::Named<QCheckBox>(dialog, text);
    }
};

TEST_F(GeneratorTest, OpeningLengthFollowsTheFieldsText) {
    struct Case {
        int fieldLength;
        int length;
    } cases[] = {{0, 8}, {2, 8}, {3, 8}, {4, 4}, {12, 12}, {20, 20}, {25, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fieldLength);
        CGeneratePasswordDialog dialog(context, preferences, QString(c.fieldLength, 'x'));
        EXPECT_EQ(Length(dialog)->value(), c.length);
        EXPECT_EQ(Length(dialog)->minimum(), 4);
        EXPECT_EQ(Length(dialog)->maximum(), 20);
    }
}

TEST_F(GeneratorTest, ChecksTheLengthAndTheSetsAndStoresTheFlags) {
    preferences.WriteNumber(Pref::PasswordGeneratorFlags, kSetDigits | kPronounceable);
    CGeneratePasswordDialog dialog(context, preferences, "12345678901");
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Generate Password");
    EXPECT_TRUE(Box(dialog, "0-9")->isChecked());
    EXPECT_TRUE(Box(dialog, "Pronounceable")->isChecked());
    EXPECT_FALSE(Box(dialog, "a-z")->isChecked());
    EXPECT_EQ(Field(dialog)->accessibleName(), "Password");

    dialog.Generate();
    EXPECT_EQ(Field(dialog)->text().size(), 11);
    EXPECT_TRUE(Field(dialog)->text().toStdString().find_first_not_of("0123456789") ==
                std::string::npos);
    EXPECT_FALSE(dialog.findChild<CStrengthMeter*>()->Text().isEmpty());

    const QString before = Field(dialog)->text();
    Box(dialog, "0-9")->setChecked(false);
    dialog.Generate();
    EXPECT_EQ(messages.Ids(), std::vector<int>{str::kNoCharacterSet});
    EXPECT_EQ(Field(dialog)->text(), before);

    Box(dialog, "a-z")->setChecked(true);
    Box(dialog, "A-Z")->setChecked(true);
    Length(dialog)->findChild<QLineEdit*>()->setText("2");
    messages.shown.clear();
    dialog.Generate();
    ASSERT_EQ(messages.Ids(), std::vector<int>{str::kParseIntRange});
    EXPECT_EQ(messages.shown[0].args, (std::vector<std::string>{"4", "20"}));
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());

    Length(dialog)->findChild<QLineEdit*>()->setText("16");
    dialog.Generate();
    EXPECT_EQ(Field(dialog)->text().size(), 16);
    EXPECT_EQ(preferences.ReadNumber(Pref::PasswordGeneratorFlags),
              uint32_t{kSetLower | kSetCapitals | kPronounceable});
    Box(dialog, "Pronounceable")->setChecked(false);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(preferences.ReadNumber(Pref::PasswordGeneratorFlags),
              uint32_t{kSetLower | kSetCapitals});
    EXPECT_EQ(dialog.Password().size(), 16);
}

TEST(StrengthMeter, ShowsBitsAndAWord) {
    CStringTable strings;
    CStrengthMeter meter(strings, nullptr);
    EXPECT_EQ(meter.Text(), "");
    meter.SetBits(30.4);
    EXPECT_EQ(meter.Text(), "30 bits: weak");
    meter.SetBits(200);
    EXPECT_EQ(meter.Text(), "200 bits: very strong");
}

TEST(CustomizeRecord, ShowsLabelsWithoutTheirColonAndResetsToTheTypes) {
    CStringTable strings;
    CCustomizeRecordDialog dialog(strings, {"User:", "Login", "", "", "", "Pin::"}, 0x21,
                                  {"User", "Password", "a", "b", "c", "d"}, 0x02);
    auto edits = dialog.findChildren<CCp1252LineEdit*>();
    ASSERT_EQ(edits.size(), 6);
    EXPECT_EQ(dialog.windowTitle(), "Customize Record");
    EXPECT_EQ(edits[0]->text(), "User");
    EXPECT_EQ(edits[5]->text(), "Pin:");
    EXPECT_EQ(edits[0]->accessibleName(), "Field 1");
    EXPECT_EQ(dialog.Mask(), 0x21);
    dialog.Reset();
    EXPECT_EQ(dialog.Labels()[1], "Password");
    EXPECT_EQ(dialog.Mask(), 0x02);
    QTest::keyClicks(edits[3], QString(40, 'y'));
    EXPECT_EQ(edits[3]->text().size(), 31);
}

TEST(AccessibleNames, AControlIsNamedByWhatItsLabelShowsWithoutTheMnemonicAndTheColon) {
    const std::pair<const char*, const char*> cases[] = {
        {"&Password:", "Password"}, {"Field 1:", "Field 1"},
        {"Name: ", "Name"},                            // the colon goes also before a space
        {"Pin::", "Pin"},           {"R&&D:", "R&D"},  // a doubled "&" shows one
        {"&Minutes", "Minutes"},    {"Please enter the password.", "Please enter the password."},
    };
    for (const auto& [label, name] : cases)
        EXPECT_EQ(AccessibleNameOf(QString::fromUtf8(label)), QString::fromUtf8(name)) << label;
    QWidget dialog;
    auto* field = new QLineEdit(&dialog);
    QLabel* label = BuddyLabel(QStringLiteral("&User:"), field, &dialog);
    EXPECT_EQ(label->buddy(), field);
    EXPECT_EQ(field->accessibleName(), "User");
}

TEST(Cp1252Edits, ACharacterWindows1252CannotHoldIsRefusedWithAMessage) {
    CStringTable strings;
    QWidget dialog;
    auto* edit = new CCp1252LineEdit(strings, 0, &dialog);
    auto* note = new CCp1252NoteEdit(strings, 10, &dialog);
    QLabel* notice = NoticeLine(strings, &dialog);
    dialog.show();
    test::TypeText(edit, QString::fromUtf8("caf\u00e9 \u20ac"));
    EXPECT_EQ(edit->text(), QString::fromUtf8("caf\u00e9 \u20ac"));  // both are Windows-1252
    EXPECT_TRUE(notice->text().isEmpty());
    test::TypeText(edit, QString::fromUtf8("\u0416"));
    EXPECT_EQ(edit->text(), QString::fromUtf8("caf\u00e9 \u20ac"));
    EXPECT_TRUE(notice->text().contains("U+0416")) << notice->text().toStdString();
    EXPECT_EQ(QStringToCp1252(edit->text()), "caf\xE9 \x80");
    // A paste holding such a character goes whole or not at all.
    QApplication::clipboard()->setText(QString::fromUtf8("ok \u4e2d"));
    edit->paste();
    EXPECT_EQ(edit->text(), QString::fromUtf8("caf\u00e9 \u20ac"));
    EXPECT_TRUE(edit->isUndoAvailable());
    // Text set past the validator (as the accessibility interface sets it) is refused the same.
    notice->clear();
    edit->setText(QString::fromUtf8("\u0416uk"));
    EXPECT_EQ(edit->text(), QString::fromUtf8("caf\u00e9 \u20ac"));
    EXPECT_FALSE(notice->text().isEmpty());
    auto* name = new CCp1252LineEdit(strings, 31, &dialog);
    name->SetStoredText(QString(40, 'a'));  // what the database holds stands whole
    EXPECT_EQ(name->text().size(), 40);
    name->SetStoredText("short");
    name->setText(QString(32, 'b'));
    EXPECT_EQ(name->text(), "short");

    notice->clear();
    QTest::keyClicks(note, "abcdefghij");
    QTest::keyClick(note, Qt::Key_K);
    EXPECT_EQ(note->toPlainText(), "abcdefghij");
    EXPECT_TRUE(notice->text().contains("10")) << notice->text().toStdString();
    note->selectAll();
    QApplication::clipboard()->setText(QString::fromUtf8("\u0416"));
    note->paste();
    EXPECT_EQ(note->toPlainText(), "abcdefghij");
    QApplication::clipboard()->setText("short");
    note->paste();
    EXPECT_EQ(note->toPlainText(), "short");
    note->undo();
    EXPECT_EQ(note->toPlainText(), "abcdefghij");
}

TEST(Cp1252Edits, AChangeThroughTheAccessibilityInterfaceThatBreaksTheRulesKeepsTheText) {
    CStringTable strings;
    QWidget dialog;
    auto* note = new CCp1252NoteEdit(strings, 10, &dialog);
    auto* name = new CCp1252LineEdit(strings, 10, &dialog);
    QLabel* notice = NoticeLine(strings, &dialog);
    dialog.show();
    using Path = std::function<void(QAccessibleEditableTextInterface&, int length, const QString&)>;
    const std::pair<const char*, Path> paths[] = {
        {"replace", [](QAccessibleEditableTextInterface& text, int length,
                       const QString& with) { text.replaceText(0, length, with); }},
        {"delete, then insert",
         [](QAccessibleEditableTextInterface& text, int length, const QString& with) {
             text.deleteText(0, length);
             text.insertText(0, with);
         }},
    };
    const QString refusedTexts[] = {QString(11, 'n'), QString::fromUtf8("ok \u0416")};
    for (QWidget* edit : std::initializer_list<QWidget*>{note, name}) {
        const auto textOf = [&] { return edit == note ? note->toPlainText() : name->text(); };
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(edit);
        ASSERT_NE(accessible, nullptr);
        QAccessibleEditableTextInterface* text = accessible->editableTextInterface();
        ASSERT_NE(text, nullptr);
        for (const auto& [what, path] : paths) {
            for (const QString& with : refusedTexts) {
                note->SetStoredText("old note");
                name->SetStoredText("old name");
                notice->clear();
                path(*text, static_cast<int>(textOf().size()), with);
                EXPECT_EQ(textOf(), edit == note ? "old note" : "old name")
                    << what << " " << with.toStdString();
                EXPECT_FALSE(notice->text().isEmpty()) << what;
            }
            // What the rules allow goes in.
            path(*text, static_cast<int>(textOf().size()), "new");
            EXPECT_EQ(textOf(), "new") << what;
        }
        // A deletion of its own stands.
        text->deleteText(0, 1);
        EXPECT_EQ(textOf(), "ew");
    }
}

}  // namespace
}  // namespace tessarin
