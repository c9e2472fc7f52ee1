// "Edit Types", "Edit Categories", "Define Type" and "Define Category": what they accept, what they
// bring to the records, the file, the view and the sync listener.
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

#include "gui/record_fixture.h"
#include "resources/string_ids.h"
#include "ui/cp1252_edits.h"
#include "ui/type_dialogs.h"

namespace tessarin {
namespace {

class TypeDialogsTest : public test::RecordFixture {
protected:
    QStringList Entries(CEditTypesDialog& dialog) {
        QStringList names;
        for (int i = 0; i < dialog.List().count(); ++i)
            names << dialog.List().item(i)->text();
        return names;
    }
    QPushButton* Button(QDialog& dialog, const QString& text) {
        return test::Named<QPushButton>(dialog, text);
    }
    CCp1252LineEdit* Edit(QDialog& dialog, const QString& name) {
        return test::Named<CCp1252LineEdit>(dialog, name);
    }
};

TEST_F(TypeDialogsTest, TheListShowsLiveItemsAndEnablesEditAndDeleteWithASelection) {
    CTypeItem* old = test::AddType(database, "Old");
    old->m_deleted = true;
    CEditTypesDialog dialog(Services(), kKindType);
    EXPECT_EQ(dialog.windowTitle(), "Edit Types");
    EXPECT_EQ(Entries(dialog), QStringList({"Bank", "Web"}));
    QPushButton* edit = Button(dialog, "Edit...");
    EXPECT_FALSE(edit->isEnabled());
    dialog.List().setCurrentRow(0);
    EXPECT_TRUE(edit->isEnabled());
    CEditTypesDialog categories(Services(), kKindCategory);
    EXPECT_EQ(categories.windowTitle(), "Edit Categories");
    EXPECT_EQ(Entries(categories), QStringList({"Home", "Work"}));
}

TEST_F(TypeDialogsTest, DefineTypeRefusesNamesWithTheCoresMessagesAndStaysOpen) {
    struct Case {
        const char* name;
        bool isNew;
        int message;
    } cases[] = {
        {"", true, str::kTypeNameMissing},
        {"unfiled", true, str::kTypeNameExists},
        {"BANK", true, str::kTypeNameExists},
        {"bank", false, str::kTypeNameExists},
        {"WEB", false, 0},
        {"Cards", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        std::unique_ptr<CBaseItem> fresh = database.m_types.CreateItem();
        CTypeItem& type = c.isNew ? static_cast<CTypeItem&>(*fresh) : *web;
        CDefineTypeDialog dialog(Services(), type, c.isNew);
        dialog.show();
        Edit(dialog, "Name")->setText(c.name);
        dialog.accept();
        if (c.message) {
            EXPECT_EQ(messages.Ids(), std::vector<int>{c.message});
            EXPECT_TRUE(dialog.isVisible());
        } else {
            EXPECT_TRUE(messages.shown.empty());
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
        }
    }
    EXPECT_EQ(web->GetName(), "WEB");
}

TEST_F(TypeDialogsTest, NewTypeIsAddedSortedSavedListedAndAnnounced) {
    CEditTypesDialog dialog(Services(), kKindType);
    test::OnNextDialog<CDefineTypeDialog>([this](CDefineTypeDialog& define) {
        Edit(define, "Name")->setText("Cards");
        Edit(define, "Field 1")->setText("Number");
        define.findChildren<QCheckBox*>()[0]->setChecked(true);
        define.accept();
    });
    dialog.NewItem();
    EXPECT_EQ(Entries(dialog), QStringList({"Bank", "Cards", "Web"}));
    EXPECT_EQ(hooks.calls, std::vector<std::string>{"added 1 Cards"});
    auto loaded = Reloaded();
    std::vector<std::string> names;
    for (const auto& item : loaded->m_types.Items())
        names.emplace_back(item->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"Bank", "Cards", "Web"}));
    const CTypeItem* cards = loaded->TypeAt(1);
    EXPECT_EQ(cards->GetLabel(0), "Number");
    EXPECT_EQ(cards->m_maskBits, 0x01);
    EXPECT_NE(cards->m_key, ZeroKey);
    EXPECT_TRUE(cards->m_modified);
    EXPECT_EQ(poster.posted,
              (CNoticeList{{kActionAdded, kKindType, database.TypeAt(1)->m_recordNumber}}));
    // Cancel leaves nothing behind.
    test::OnNextDialog<CDefineTypeDialog>([](CDefineTypeDialog& define) { define.reject(); });
    dialog.NewItem();
    EXPECT_EQ(database.m_types.Size(), 3u);
}

TEST_F(TypeDialogsTest, ChangingATypeRelabelsAndRemasksItsRecordsInTheFile) {
    mail->SetCustomLabelText(2, "PIN");
    mail->m_maskBits = 0x06;
    CRecord* other = test::AddRecord(database, bank, nullptr, {"b"});
    other->SetCustomLabelText(2, "Mine");
    CEditTypesDialog dialog(Services(), kKindType);
    dialog.List().setCurrentItem(dialog.EntryOf(web));
    test::OnNextDialog<CDefineTypeDialog>([this](CDefineTypeDialog& define) {
        Edit(define, "Field 3")->setText("Secret");
        define.findChildren<QCheckBox*>()[2]->setChecked(false);
        define.accept();
    });
    dialog.EditItem();
    EXPECT_EQ(hooks.calls, std::vector<std::string>{"changed 1 Web"});  // no rename, no notice
    EXPECT_TRUE(poster.posted.empty());
    auto loaded = Reloaded();
    const CRecord* record = loaded->RecordAt(0);
    EXPECT_EQ(record->GetCustomLabel(2), "");
    EXPECT_EQ(loaded->LabelFor(*record, 2, false), "Secret");
    EXPECT_EQ(record->GetValue(2), "s3cret");
    EXPECT_EQ(record->m_maskBits, 0x02);
    EXPECT_EQ(loaded->RecordAt(1)->GetCustomLabel(2), "Mine");
}

TEST_F(TypeDialogsTest, RenamingMovesTheEntryAndAnnouncesOwnNameInAnotherCaseIsAccepted) {
    CEditTypesDialog dialog(Services(), kKindType);
    dialog.List().setCurrentItem(dialog.EntryOf(web));
    test::OnNextDialog<CDefineTypeDialog>([this](CDefineTypeDialog& define) {
        Edit(define, "Name")->setText("aaa web");
        define.accept();
    });
    dialog.EditItem();
    EXPECT_EQ(Entries(dialog), QStringList({"aaa web", "Bank"}));
    EXPECT_EQ(hooks.calls, std::vector<std::string>{"changed 1 aaa web"});
    EXPECT_EQ(poster.posted, (CNoticeList{{kActionChanged, kKindType, web->m_recordNumber}}));
    EXPECT_EQ(Reloaded()->FindType(web->m_key)->GetName(), "aaa web");
}

TEST_F(TypeDialogsTest, DeletingATypeAsksUnfilesItsRecordsAndAnnounces) {
    CEditTypesDialog dialog(Services(), kKindType);
    dialog.List().setCurrentItem(dialog.EntryOf(web));
    messages.yes = false;
    dialog.DeleteItem();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].id, str::kDeleteTypeConfirm);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNoDefaultNo);
    EXPECT_EQ(Entries(dialog).size(), 2);
    messages.yes = true;
    const uint32_t number = web->m_recordNumber;
    const ItemKey key = web->m_key;
    dialog.DeleteItem();
    EXPECT_EQ(Entries(dialog), QStringList({"Bank"}));
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"removed 1 Web"}));
    EXPECT_EQ(poster.posted, (CNoticeList{{kActionDeleted, kKindType, number}}));
    EXPECT_EQ(Button(dialog, "Delete...")->isEnabled(), !dialog.List().selectedItems().isEmpty());
    auto loaded = Reloaded();
    EXPECT_EQ(loaded->RecordAt(0)->GetTypeKey(), ZeroKey);
    EXPECT_TRUE(loaded->RecordAt(0)->m_modified);
    // A numbered type stays, marked deleted for the next sync.
    const CBaseItem* gone = loaded->m_types.FindByKey(key);
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(gone->m_deleted);
}

TEST_F(TypeDialogsTest, CategoriesMayShareANameButNotBeEmptyOrUnfiled) {
    CEditTypesDialog dialog(Services(), kKindCategory);
    for (const char* name : {"", "UNFILED"}) {
        messages.shown.clear();
        test::OnNextDialog<CDefineCategoryDialog>([&](CDefineCategoryDialog& define) {
            Edit(define, "Name")->setText(name);
            define.accept();
            EXPECT_TRUE(define.isVisible());
            define.reject();
        });
        dialog.NewItem();
        EXPECT_EQ(messages.Ids(),
                  std::vector<int>{*name ? str::kTypeNameExists : str::kTypeNameMissing});
    }
    test::OnNextDialog<CDefineCategoryDialog>([&](CDefineCategoryDialog& define) {
        Edit(define, "Name")->setText("Work");
        define.accept();
    });
    dialog.NewItem();
    EXPECT_EQ(Entries(dialog), QStringList({"Home", "Work", "Work"}));
    EXPECT_EQ(hooks.calls, std::vector<std::string>{"added 2 Work"});
    auto loaded = Reloaded();
    EXPECT_EQ(loaded->m_categories.Size(), 3u);
    ASSERT_EQ(poster.posted.size(), 1u);
    EXPECT_EQ(poster.posted[0].kind, static_cast<uint32_t>(kKindCategory));
}

TEST_F(TypeDialogsTest, RenamingAndDeletingACategory) {
    CEditTypesDialog dialog(Services(), kKindCategory);
    dialog.List().setCurrentItem(dialog.EntryOf(work));
    test::OnNextDialog<CDefineCategoryDialog>([&](CDefineCategoryDialog& define) {
        EXPECT_EQ(Edit(define, "Name")->text(), "Work");
        Edit(define, "Name")->setText("Office");
        define.accept();
    });
    dialog.EditItem();
    EXPECT_EQ(Entries(dialog), QStringList({"Home", "Office"}));
    EXPECT_EQ(Reloaded()->FindCategory(work->m_key)->GetName(), "Office");
    dialog.List().setCurrentItem(dialog.EntryOf(work));
    messages.yes = true;
    dialog.DeleteItem();
    EXPECT_EQ(Reloaded()->RecordAt(0)->m_categoryKey, ZeroKey);
    EXPECT_EQ(hooks.calls,
              (std::vector<std::string>{"changed 2 Office", "removed 2 Office"}));
    EXPECT_EQ(poster.posted.size(), 2u);
}

}  // namespace
}  // namespace tessarin
