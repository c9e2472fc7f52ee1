// The clipboard commands: copying values of the selected record (real values of masked fields,
// with the hint that keeps clipboard managers from storing them, and their clearing), copying,
// cutting and pasting records as exchange text, and what the closing takes off the clipboard.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>

#include "gui/view_fixture.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "store/change_notice.h"
#include "store/database_lock.h"
#include "ui/clipboard_commands.h"
#include "ui/clipboard_probe.h"
#include "ui/details_pane.h"
#include "ui/record_list_view.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;

// The clearing's timer, fired by the test.
struct CTimerState {
    int seconds = 0;  // of the call waiting; 0 when none waits
    std::function<void()> fire;
};
class CFakeTimer : public IClipboardTimer {
public:
    explicit CFakeTimer(CTimerState& state) : m_state(state) {}
    void Start(int seconds, std::function<void()> fire) override {
        m_state.seconds = seconds;
        m_state.fire = std::move(fire);
    }
    void Stop() override { m_state.seconds = 0; }

private:
    CTimerState& m_state;
};

// Counts the times the database is locked: once for each load or save.
class CCountingLock : public IDatabaseLock {
public:
    bool Acquire(std::chrono::milliseconds) override {
        ++taken;
        return true;
    }
    void Release() override {}
    int taken = 0;
};

QClipboard* Board() {
    return QGuiApplication::clipboard();
}

// Clipboard content that counts the times it is read: every question about its formats or its
// data is a round trip to the clipboard's owner on X11.
class CCountingMimeData : public QMimeData {
public:
    explicit CCountingMimeData(int& reads) : m_reads(reads) {}
    bool hasFormat(const QString& mimeType) const override {
        ++m_reads;
        return QMimeData::hasFormat(mimeType);
    }
    QStringList formats() const override {
        ++m_reads;
        return QMimeData::formats();
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
        ++m_reads;
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    int& m_reads;
};

// A probe that answers when the test says, as the X11 one answers from its thread.
struct CProbeState {
    int looks = 0;
    int count = 0;
    std::function<void(const QString&)> answer;
};
class CDeferredProbe : public IClipboardProbe {
public:
    explicit CDeferredProbe(CProbeState& state) : m_state(state) {}
    void Look(int count, std::function<void(const QString&)> answer) override {
        ++m_state.looks;
        m_state.count = count;
        m_state.answer = std::move(answer);
    }

private:
    CProbeState& m_state;
};

class Clipboard : public test::ViewFixture {
protected:
    void SetUp() override {
        m_platform.userActive = true;
        MakeDatabase([](CDatabaseObj& db) {
            CTypeItem* login = test::AddLoginType(db);
            CTypeItem* bank = AddType(db, "Bank");
            bank->SetValue(0, "Description");
            bank->SetValue(1, "R&D");
            CCategoryItem* work = AddCategory(db, "Work");
            CRecord* mail = AddRecord(db, login, work, {"mail", "me", "s3cret"}, "first\r\nsecond");
            mail->m_maskBits = 0b100;
            CRecord* forum = AddRecord(db, login, nullptr, {"forum", "you", "pw"});
            forum->m_maskBits = 0b100;
            forum->SetCustomLabelText(1, "Nick");
            AddRecord(db, bank, nullptr, {"savings", "1234"});
            AddRecord(db, nullptr, nullptr, {"loose"});
        });
        Board()->clear();
    }
    void TearDown() override {
        m_clipboard.reset();
        CloseView();
        m_context.SetLock(nullptr);
        Board()->clear();
    }
    // The view with the menu bar and the clipboard commands bound.
    void Open(std::unique_ptr<IClipboardProbe> probe = {}) {
        m_context.SetLock(&m_lock);
        OpenView();
        m_bar = new QMenuBar(m_window.get());
        m_commands->BuildMenuBar(m_bar);
        m_clipboard = std::make_unique<CClipboardCommands>(m_context, m_preferences, View(),
                                                           std::make_unique<CFakeTimer>(m_timer),
                                                           std::move(probe));
        m_clipboard->Bind(*m_commands);
        QObject::connect(m_clipboard.get(), &CClipboardCommands::statusMessage,
                         [this](const QString& text) { m_status << text; });
    }
    const CRecord* Record(const char* field1) {
        for (const CRecord* record : View().ShownRecords())
            if (record->GetValue(0) == field1)
                return record;
        return nullptr;
    }
    void Select(std::initializer_list<const char*> names) {
        std::vector<const CRecord*> records;
        for (const char* name : names)
            records.push_back(Record(name));
        View().SelectRecords(records);
        m_commands->UpdateEnabled();
    }
    void OpenEditMenu() { Q_EMIT m_commands->Popup(cmd::Popup::Edit)->aboutToShow(); }
    QString MenuText(uint32_t id) { return m_commands->Action(id)->text(); }
    QStringList FirstValues() {
        QStringList values;
        for (const CRecord* record : View().ShownRecords())
            values << QString::fromLatin1(record->GetValue(0));
        return values;
    }
    std::vector<uint32_t> NoticeNumbers(uint32_t action) {
        std::vector<uint32_t> numbers;
        for (const CChangeNotice& notice : m_poster.posted)
            if (notice.action == action)
                numbers.push_back(notice.recordNumber);
        return numbers;
    }

    CCountingLock m_lock;
    CTimerState m_timer;
    QStringList m_status;
    QMenuBar* m_bar = nullptr;
    std::unique_ptr<CClipboardCommands> m_clipboard;
};

TEST_F(Clipboard, FieldItemsAreNamedAfterTheTypeWhenTheMenuOpensAndKeepTheirTextOtherwise) {
    Open();
    EXPECT_EQ(MenuText(cmd::kCopyField1 + 1), "Copy Custom 2\tCtrl+2");
    Select({"forum"});
    OpenEditMenu();
    // The type's labels, the default where the type has none; the record's own label is not used.
    const QStringList forum = {"Copy Site...\tCtrl+1",     "Copy Field 2...\tCtrl+2",
                               "Copy Password...\tCtrl+3", "Copy Field 4...\tCtrl+4",
                               "Copy Field 5...\tCtrl+5",  "Copy Field 6...\tCtrl+6"};
    for (int field = 0; field < kFieldCount; ++field)
        EXPECT_EQ(MenuText(cmd::kCopyField1 + field), forum[field]);
    Select({"loose"});
    OpenEditMenu();
    EXPECT_EQ(MenuText(cmd::kCopyField1), "Copy Field 1...\tCtrl+1");
    Select({"savings"});
    OpenEditMenu();
    Select({"mail", "forum"});
    OpenEditMenu();
    EXPECT_EQ(MenuText(cmd::kCopyField1), "Copy Description...\tCtrl+1");
    EXPECT_EQ(MenuText(cmd::kCopyField1 + 1), "Copy R&&D...\tCtrl+2");
    EXPECT_FALSE(m_commands->Action(cmd::kCopyField1)->isEnabled());
}

TEST_F(Clipboard, EnableRulesFollowTheSelectionAndTheValues) {
    Open();
    const uint32_t field2 = cmd::kCopyField1 + 1, field4 = cmd::kCopyField1 + 3;
    const struct {
        std::initializer_list<const char*> selection;
        std::vector<uint32_t> enabled;
    } cases[] = {
        {{}, {}},
        {{"mail"},
         {cmd::kCopyCategory, cmd::kCopyField1, field2, cmd::kCopyNote, cmd::kCopy, cmd::kCut}},
        {{"forum"}, {cmd::kCopyCategory, cmd::kCopyField1, field2, cmd::kCopy, cmd::kCut}},
        {{"loose"}, {cmd::kCopyCategory, cmd::kCopyField1, cmd::kCopy, cmd::kCut}},
        {{"mail", "forum"}, {cmd::kCopy, cmd::kCut}},
    };
    const uint32_t commands[] = {cmd::kCopyCategory, cmd::kCopyField1, field2,   field4,
                                 cmd::kCopyNote,     cmd::kCopy,       cmd::kCut};
    for (const auto& c : cases) {
        if (c.selection.size() == 0)
            View().ClearSelection();
        else
            Select(c.selection);
        for (uint32_t id : commands) {
            SCOPED_TRACE(testing::Message() << c.selection.size() << " rows, " << id);
            const bool expected =
                std::find(c.enabled.begin(), c.enabled.end(), id) != c.enabled.end();
            EXPECT_EQ(m_commands->IsEnabled(id), expected);
        }
    }
}

TEST_F(Clipboard, ValuesAreCopiedRealWithTheSecretHintOnlyForMaskedFields) {
    Open();
    ASSERT_FALSE(View().Unmasked());
    Select({"mail"});
    const struct {
        uint32_t command;
        QString text;
        bool secret;
    } cases[] = {
        {cmd::kCopyField1 + 2, "s3cret", true},
        {cmd::kCopyField1, "mail", false},
        {cmd::kCopyCategory, "Work", false},
        {cmd::kCopyNote, "first\r\nsecond", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ASSERT_TRUE(m_commands->Run(c.command));
        EXPECT_EQ(Board()->text(), c.text);
        const QMimeData* data = Board()->mimeData();
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->data(kPasswordManagerHint), c.secret ? QByteArray("secret") : QByteArray());
    }
    Select({"forum"});
    ASSERT_TRUE(m_commands->Run(cmd::kCopyCategory));
    EXPECT_EQ(Board()->text(), "Unfiled");
    // The pane's buttons run the same commands: field 1, the category, fields 2-6, the note.
    Select({"mail"});
    View().Pane()->CopyButtons().at(3)->click();
    EXPECT_EQ(Board()->text(), "s3cret");
    EXPECT_EQ(Board()->mimeData()->data(kPasswordManagerHint), QByteArray("secret"));
}

TEST_F(Clipboard, ASecretIsClearedAfterTheChosenTimeOnlyWhileTheClipboardStillHoldsIt) {
    Open();
    Select({"mail"});
    ASSERT_TRUE(m_commands->Run(cmd::kCopyField1 + 2));
    EXPECT_EQ(m_timer.seconds, 10);
    m_timer.fire();
    EXPECT_EQ(Board()->text(), "");
    EXPECT_EQ(m_status, QStringList({"The copied value was cleared from the clipboard."}));

    // Something copied since stays.
    m_status.clear();
    ASSERT_TRUE(m_commands->Run(cmd::kCopyField1 + 2));
    Board()->setText("mine");
    m_timer.fire();
    EXPECT_EQ(Board()->text(), "mine");
    EXPECT_TRUE(m_status.isEmpty());

    // Values that are not masked are not cleared, and 0 turns the clearing off.
    m_timer.seconds = 0;
    ASSERT_TRUE(m_commands->Run(cmd::kCopyField1));
    EXPECT_EQ(m_timer.seconds, 0);
    m_preferences.WriteNumber(Pref::ClipboardClearSeconds, 0);
    ASSERT_TRUE(m_commands->Run(cmd::kCopyField1 + 2));
    EXPECT_EQ(m_timer.seconds, 0);
    m_preferences.WriteNumber(Pref::ClipboardClearSeconds, 45);
    ASSERT_TRUE(m_commands->Run(cmd::kCopyField1 + 2));
    EXPECT_EQ(m_timer.seconds, 45);
}

// Whole records hold their masked values: they get the secret's hint and its clearing, after the
// time, at the lock and at the close, each only while the clipboard still holds them.
TEST_F(Clipboard, CopiedRecordsAreASecretLikeAMaskedValue) {
    Open();
    Select({"mail"});
    ASSERT_TRUE(m_commands->Run(cmd::kCopy));
    ASSERT_NE(Board()->mimeData(), nullptr);
    EXPECT_EQ(Board()->mimeData()->data(kPasswordManagerHint), QByteArray(kPasswordManagerSecret));
    EXPECT_TRUE(Board()->text().contains("s3cret"));
    EXPECT_EQ(m_timer.seconds, 10);
    m_timer.fire();
    EXPECT_EQ(Board()->text(), "");

    ASSERT_TRUE(m_commands->Run(cmd::kCut));
    EXPECT_TRUE(Board()->text().contains("s3cret"));
    m_clipboard->ClearSecretsNow();  // the lock
    EXPECT_EQ(Board()->text(), "");

    Select({"forum"});
    ASSERT_TRUE(m_commands->Run(cmd::kCopy));
    Board()->setText("copied by the user since");
    m_clipboard->ClearOnClose();
    EXPECT_EQ(Board()->text(), "copied by the user since");
    Select({"forum"});
    ASSERT_TRUE(m_commands->Run(cmd::kCopy));
    m_clipboard->ClearOnClose();
    EXPECT_EQ(Board()->text(), "");
}

TEST_F(Clipboard, CopyPutsTheSelectedRecordsAsExchangeTextInListOrder) {
    Open();
    // The list sorts by type: the bank record comes first, whatever the order of choosing.
    ASSERT_EQ(FirstValues(), QStringList({"savings", "forum", "mail", "loose"}));
    Select({"mail", "savings"});
    ASSERT_TRUE(m_commands->Run(cmd::kCopy));
    EXPECT_EQ(Board()->text().toStdString(),
              "Tessarin vEX File -v2.0\r\n"
              "F\r\n"
              "T,24,Bank,Description,R&D,Field 3,Field 4,Field 5,Field 6,0,\r\n"
              "F,24,savings,1234,,,,,0,Description,R&D,,,,,Unfiled,\r\n"
              "T,24,Login,Site,Field 2,Password,Field 4,Field 5,Field 6,4,\r\n"
              "F,24,mail,me,s3cret,,,,4,Site,,Password,,,,Work,first\vsecond\r\n");
    EXPECT_EQ(View().RowCount(), 4);
}

TEST_F(Clipboard, CutDeletesWithoutAskingAndPasteBringsTheRecordsBackWithNewNumbers) {
    Open();
    Select({"mail", "savings"});
    std::vector<uint32_t> numbers;
    for (const CRecord* record : View().SelectedRecords())
        numbers.push_back(record->m_recordNumber);
    const int locks = m_lock.taken;
    ASSERT_TRUE(m_commands->Run(cmd::kCut));
    EXPECT_EQ(m_lock.taken - locks, 1);  // one save
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(FirstValues(), QStringList({"forum", "loose"}));
    EXPECT_TRUE(Board()->text().startsWith("Tessarin vEX File -v2.0\r\n"));
    std::vector<uint32_t> deleted = NoticeNumbers(kActionDeleted);
    std::sort(deleted.begin(), deleted.end());
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(deleted, numbers);
    {
        CDatabaseObj saved(m_context);
        ASSERT_TRUE(Load(saved, DatabasePathIn(Folder())).Ok());
        EXPECT_EQ(saved.m_records.CountMatching(AnyKey, AnyKey), 2u);
    }

    EXPECT_TRUE(m_commands->IsEnabled(cmd::kPaste));
    ASSERT_TRUE(m_commands->Run(cmd::kPaste));
    EXPECT_EQ(View().RowCount(), 4);
    for (const char* name : {"mail", "savings"}) {
        const CRecord* back = Record(name);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(std::count(numbers.begin(), numbers.end(), back->m_recordNumber), 0) << name;
    }
    EXPECT_EQ(Record("mail")->GetValue(2), "s3cret");
    // The clipboard keeps the records: they can be pasted again.
    ASSERT_TRUE(m_commands->Run(cmd::kPaste));
    EXPECT_EQ(View().RowCount(), 6);
    CDatabaseObj saved(m_context);
    ASSERT_TRUE(Load(saved, DatabasePathIn(Folder())).Ok());
    EXPECT_EQ(saved.m_records.CountMatching(AnyKey, AnyKey), 6u);
}

TEST_F(Clipboard, PasteTakesOnlyExchangeTextThatTheDatabaseCanHold) {
    Open();
    for (const QString& text : {QString("hello"), QString(" Tessarin vEX File -v2.0"),
                                QString("Tessarin vEX File -v1.0\r\n"), QString()}) {
        Board()->setText(text);
        EXPECT_FALSE(m_commands->IsEnabled(cmd::kPaste)) << text.toStdString();
    }
    // Text outside Windows-1252 is refused whole, with a message.
    Board()->setText(QString::fromUtf8("Tessarin vEX File -v2.0\r\nF\r\n\xe6\xbc\xa2\r\n"));
    ASSERT_TRUE(m_commands->IsEnabled(cmd::kPaste));
    ASSERT_TRUE(m_commands->Run(cmd::kPaste));
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kClipboardNotCp1252});
    EXPECT_EQ(View().RowCount(), 4);
}

TEST_F(Clipboard, MovingTheSelectionNeverReadsTheClipboardOnlyPasteDoes) {
    Open();
    Select({"mail"});
    ASSERT_TRUE(m_commands->Run(cmd::kCopy));
    int reads = 0;
    auto* data = new CCountingMimeData(reads);
    data->setText(Board()->text());
    Board()->setMimeData(data);
    // Looked at once, when the clipboard changed hands.
    EXPECT_GT(reads, 0);
    reads = 0;
    View().List()->setFocus();
    View().SelectRecords({Record("forum")});
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(View().List(), i < 5 ? Qt::Key_Down : Qt::Key_Up);
        QTest::keyClick(View().List(), Qt::Key_Down, Qt::ShiftModifier);
    }
    OpenEditMenu();
    EXPECT_TRUE(m_commands->Action(cmd::kPaste)->isEnabled());
    EXPECT_EQ(reads, 0);
    ASSERT_TRUE(m_commands->Run(cmd::kPaste));
    EXPECT_GT(reads, 0);
    EXPECT_EQ(View().RowCount(), 5);
}

TEST_F(Clipboard, PasteFollowsTheAnswerOfTheLookTakenWhenTheClipboardChanged) {
    CProbeState probe;
    Open(std::make_unique<CDeferredProbe>(probe));
    ASSERT_EQ(probe.looks, 1);
    EXPECT_FALSE(m_commands->IsEnabled(cmd::kPaste));  // unknown until the answer
    probe.answer("Tessarin vEX File -v2.0\r\n");
    EXPECT_TRUE(m_commands->Action(cmd::kPaste)->isEnabled());

    // A change clears what was known; a hung owner's missing answer leaves Paste off.
    Board()->setText("anything");
    EXPECT_EQ(probe.looks, 2);
    EXPECT_FALSE(m_commands->IsEnabled(cmd::kPaste));
    Select({"mail"});
    Select({"forum", "loose"});
    EXPECT_EQ(probe.looks, 2);
    probe.answer("");
    EXPECT_FALSE(m_commands->IsEnabled(cmd::kPaste));

    // A value of ours is known at once; a secret waiting is looked at whole, to clear it.
    Select({"mail"});
    ASSERT_TRUE(m_commands->Run(cmd::kCopyField1 + 2));
    EXPECT_GT(probe.count, static_cast<int>(QString("s3cret").size()));
    m_timer.fire();
    EXPECT_EQ(Board()->text(), "");
}

TEST_F(Clipboard, ClosingEmptiesACsvExportAndAWaitingSecretOnly) {
    Open();
    const struct {
        QString text;
        bool emptied;
    } cases[] = {
        {"Tessarin Export File\r\n\"Login\",\"mail\"\r\n", true},
        {"mine", false},
        {"Tessarin vEX File -v2.0\r\nF\r\n", false},
    };
    for (const auto& c : cases) {
        Board()->setText(c.text);
        m_clipboard->ClearOnClose();
        EXPECT_EQ(Board()->text(), c.emptied ? QString() : c.text);
    }
    Select({"mail"});
    ASSERT_TRUE(m_commands->Run(cmd::kCopyField1 + 2));
    m_clipboard.reset();
    EXPECT_EQ(Board()->text(), "");
}

}  // namespace
}  // namespace tessarin
