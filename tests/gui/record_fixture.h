#pragma once

// A database in a folder of its own with a web type, a bank type and two categories, record
// dialogs' services over it, hooks that remember what the dialogs asked of the list, and a way to
// read the file back.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include "gui/shell_fixture.h"
#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "store/preference_store.h"
#include "store/preferences.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"
#include "ui/record_view_hooks.h"

namespace tessarin::test {

// Remembers what the dialogs asked of the list, and what reached the list from the session: rows
// that came or went, types and categories added, renamed or removed, each commit.
class CRecordingHooks : public IRecordViewHooks, public ISessionObserver {
public:
    explicit CRecordingHooks(CDatabaseSession& session) : session(session) {
        session.AddObserver(this);
    }
    ~CRecordingHooks() override { session.RemoveObserver(this); }
    CDatabaseSession& Session() override { return session; }
    ItemKey TypeFilter() const override { return typeFilter; }
    ItemKey CategoryFilter() const override { return categoryFilter; }
    std::vector<const CRecord*> SelectedRecords() const override { return selected; }
    void SelectRecord(const CRecord&) override { calls.push_back("select"); }
    void RedrawRecordRow(const CRecord&) override { calls.push_back("redraw"); }
    void ShowInDetails(const CRecord*) override { calls.push_back("details"); }
    void TypesEdited() override { calls.push_back("types edited"); }
    const CIconList* CustomIcons() override { return icons; }

    void SessionChanged(const CSessionChanges& changes) override {
        ++saves;
        for (int kind : {kKindType, kKindCategory}) {
            const std::string k = std::to_string(kind) + " ";
            for (const CBaseItem* item : changes.Added(kind))
                calls.push_back("added " + k + std::string(item->GetName()));
            for (const CBaseItem* item : changes.Changed(kind))
                calls.push_back("changed " + k + std::string(item->GetName()));
            for (const CBaseItem* item : changes.Removed(kind))
                calls.push_back("removed " + k + std::string(item->GetName()));
        }
        for (const CBaseItem* item : changes.Added(kKindRecord)) {
            calls.push_back("insert");
            inserted.push_back(static_cast<const CRecord*>(item));
        }
        for (const CBaseItem* item : changes.Removed(kKindRecord)) {
            calls.push_back("remove");
            removed.push_back(static_cast<const CRecord*>(item));
        }
    }
    void SessionReloaded() override { calls.push_back("reloaded"); }

    CDatabaseSession& session;
    ItemKey typeFilter = AnyKey;
    ItemKey categoryFilter = AnyKey;
    std::vector<const CRecord*> selected;
    std::vector<std::string> calls;
    std::vector<const CRecord*> inserted;
    std::vector<const CRecord*> removed;
    const CIconList* icons = nullptr;
    int saves = 0;  // commits that reached the list
};

class RecordFixture : public ::testing::Test {
protected:
    RecordFixture() {
        platform.wantsDefaults = false;
        platform.userActive = true;
        platform.nextNumber = 100;
        context.SetPlatform(&platform);
        context.SetMessages(&messages);
        context.SetPoster(&poster);
        EXPECT_TRUE(session.Open(folder.Path().string()).Ok());
        web = AddType(database, "Web");
        web->SetValue(0, "Site");
        web->SetValue(1, "User");
        web->SetValue(2, "Password");
        web->m_maskBits = 0x04;
        web->m_icon = 7;
        bank = AddType(database, "Bank");
        bank->SetValue(0, "Bank");
        bank->SetValue(1, "Account:");
        bank->m_icon = 9;
        work = AddCategory(database, "Work");
        home = AddCategory(database, "Home");
        mail =
            AddRecord(database, web, work, {"mail.example", "ann", "s3cret"}, "line 1\r\nline 2");
        EXPECT_TRUE(Save(database).Ok());
        for (const auto& item : database.m_records.Items())
            item->m_modified = false;
        hooks.calls.clear();
    }

    CRecordServices Services() { return {context, preferences, hooks}; }

    // The database as its file holds it now.
    std::unique_ptr<CDatabaseObj> Reloaded() {
        auto loaded = std::make_unique<CDatabaseObj>(reader);
        EXPECT_TRUE(Load(*loaded, DatabasePathIn(folder.Path().string())).Ok());
        return loaded;
    }
    std::vector<std::string> FirstValues(CDatabaseObj& loaded) {
        std::vector<std::string> values;
        for (const auto& item : loaded.m_records.Items())
            if (!item->m_deleted)
                values.emplace_back(item->GetValue(0));
        return values;
    }

    CFakePlatform platform;
    CTestContext context;
    CTestContext reader;
    CAnsweringMessages messages;
    CRecordingPoster poster;
    CTempDir folder;
    CMemoryPreferenceStore store;
    CPreferences preferences{store};
    CDatabaseSession session{context};
    CDatabaseObj& database = session.Database();
    CRecordingHooks hooks{session};
    CTypeItem* web;
    CTypeItem* bank;
    CCategoryItem* work;
    CCategoryItem* home;
    CRecord* mail;
};

// The child of class T named `name` as a screen reader calls it: its accessible name, else (for
// buttons and check boxes) its text.
template <typename T>
T* Named(QWidget& parent, const QString& name) {
    for (T* widget : parent.findChildren<T*>()) {
        if (widget->accessibleName() == name)
            return widget;
        if constexpr (requires { widget->isCheckable(); })
            if (widget->accessibleName().isEmpty() && widget->text() == name)
                return widget;
    }
    return nullptr;
}

}  // namespace tessarin::test
