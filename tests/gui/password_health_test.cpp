// Password Health: the dialog lists record, field and reason of each finding, never a value, and a
// double-click opens the record through Edit Item.
#include <gtest/gtest.h>

#include <QTest>
#include <QTreeWidget>

#include "gui/view_fixture.h"
#include "resources/command_table_data.h"
#include "ui/filter_combo.h"
#include "ui/password_health_dialog.h"

namespace tessarin {
namespace {

using test::AddRecord;
using test::AddType;

class PasswordHealthDialog : public test::ViewFixture {
protected:
    void SetUp() override {
        MakeDatabase([](CDatabaseObj& db) {
            CTypeItem* login = test::AddLoginType(db);
            CTypeItem* note = AddType(db, "Note");
            AddRecord(db, login, nullptr, {"mail", "ann", "password"});
            AddRecord(db, login, nullptr, {"bank", "ann", "vX9#qLm2$Tz8!kWp"});
            AddRecord(db, login, nullptr, {"shop", "ann", "vX9#qLm2$Tz8!kWp"});
            AddRecord(db, note, nullptr, {"diary", "password"});  // nothing masked
        });
        OpenView();
        m_health = std::make_unique<CPasswordHealthCommand>(m_context, View(), m_window.get());
        m_health->Bind(*m_commands);
        // Edit Item as the record commands bind it: the record of the selected row.
        m_commands->SetHandler(cmd::kEditItem, [this] {
            const CRecord* record = View().GetSelectedRecord();
            m_edited << (record ? QString::fromStdString(std::string(record->GetValue(0)))
                                : QString());
        });
    }
    void TearDown() override {
        m_health.reset();
        CloseView();
    }
    static QStringList Lines(const QTreeWidget* findings) {
        QStringList lines;
        for (int i = 0; i < findings->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = findings->topLevelItem(i);
            lines << item->text(0) + " | " + item->text(1) + " | " + item->text(2);
        }
        return lines;
    }

    std::unique_ptr<CPasswordHealthCommand> m_health;
    QStringList m_edited;
};

TEST_F(PasswordHealthDialog, ListsTheFindingsAndOpensTheRecordOfALine) {
    // The window shows only the notes: the dialog still looks at every record.
    View().SelectTypeEntry(View().TypeCombo()->findText("Note"));
    ASSERT_EQ(View().RowCount(), 1);
    bool ran = false;
    m_health->m_runDialog = [&](CPasswordHealthDialog& dialog) {
        ran = true;
        EXPECT_EQ(dialog.windowTitle(), "Password Health");
        QTreeWidget* findings = dialog.Findings();
        EXPECT_EQ(findings->accessibleName(), "Findings");
        EXPECT_EQ(findings->headerItem()->text(0), "Record");
        EXPECT_EQ(Lines(findings),
                  (QStringList{"Login: bank | Password | reused (also in row 3)",
                               "Login: mail | Password | weak",
                               "Login: shop | Password | reused (also in row 1)"}));
        for (const QString& line : Lines(findings)) {
            EXPECT_FALSE(line.contains("vX9")) << line.toStdString();
            EXPECT_FALSE(line.contains("| password")) << line.toStdString();
        }
        // A double-click on "shop", then Enter on "mail": each opens its record.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QTreeWidgetItem* shop = findings->topLevelItem(2);
        const QRect rect = findings->visualItemRect(shop);
        ASSERT_TRUE(findings->viewport()->rect().contains(rect.center()));
        // As the window system sends one: a click, then the second press as a double-click.
        QTest::mouseClick(findings->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        QTest::mouseDClick(findings->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        findings->setCurrentItem(findings->topLevelItem(1));
        QTest::keyClick(findings, Qt::Key_Return);
    };
    ASSERT_TRUE(m_commands->Run(cmd::kPasswordHealth));
    EXPECT_TRUE(ran);
    EXPECT_EQ(m_edited, (QStringList{"shop", "mail"}));
    // The record was left out by the type filter: the list shows all types again to edit it.
    EXPECT_EQ(View().RowCount(), 4);
}

}  // namespace
}  // namespace tessarin
