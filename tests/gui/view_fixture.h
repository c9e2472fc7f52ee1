#pragma once

// A record view on a database of the test's own: a few types, categories and records written to a
// temporary folder, a memory preference store, messages that are remembered and answered, and a
// command table on a window that hosts the view.
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "gui/shell_fixture.h"
#include "store/database_lifecycle.h"
#include "store/preference_store.h"
#include "store/preferences.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/lock_controller.h"

// Texts in failures as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tessarin::test {

// The entries of a chooser, top to bottom.
inline QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// A mouse event of the left button: pressed, released, or a move with `buttons` held.
inline void Mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, target->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

class ViewFixture : public ::testing::Test {
protected:
    ViewFixture() {
        m_platform.nextNumber = 1;
        m_platform.wantsDefaults = false;
        m_context.SetPlatform(&m_platform);
        m_context.SetMessages(&m_messages);
        m_context.SetPoster(&m_poster);
    }
    ~ViewFixture() override {
        m_lock.reset();
        m_window.reset();
    }

    std::string Folder() const { return (m_dir.Path() / "db").string(); }

    // Writes the database that `fill` makes to the folder, as another program would.
    void MakeDatabase(const std::function<void(CDatabaseObj&)>& fill) {
        CDatabaseObj database(m_context);
        ASSERT_TRUE(Open(database, Folder()).Ok());
        fill(database);
        ASSERT_TRUE(Save(database).Ok());
    }

    // Changes the database file as another program would; its items keep their numbers.
    void ChangeFile(const std::function<void(CDatabaseObj&)>& change) {
        CCoreContext other;
        other.SetPlatform(&m_platform);
        CDatabaseObj database(other);
        ASSERT_TRUE(Load(database, DatabasePathIn(Folder())).Ok());
        change(database);
        ASSERT_TRUE(Save(database).Ok());
    }

    // The view, opened on the folder, in a window (shown, off the screen) with the command table
    // attached.
    CTessarinDesktopView& OpenView(QSize size = QSize(900, 500)) {
        m_window = std::make_unique<QWidget>();
        m_commands = new CCommandTable(m_context.Strings(), m_window.get());
        m_view = new CTessarinDesktopView(m_context, m_preferences, m_window.get());
        m_lock = std::make_unique<CLockController>(m_view->Session());
        m_lock->SetMainWindow(m_window.get());
        m_view->SetLockController(m_lock.get());
        m_view->AttachCommands(*m_commands);
        m_view->OpenDatabase(Folder());
        m_window->resize(size);
        m_view->resize(size);
        m_window->show();
        return *m_view;
    }
    // Closes the view as the program does when its window goes.
    void CloseView() {
        m_lock.reset();
        m_window.reset();
        m_view = nullptr;
        m_commands = nullptr;
    }

    CTessarinDesktopView& View() { return *m_view; }

    CTempDir m_dir;
    CTestContext m_context;
    CFakePlatform m_platform;
    CAnsweringMessages m_messages;
    CRecordingPoster m_poster;
    CMemoryPreferenceStore m_store;
    CPreferences m_preferences{m_store};
    std::unique_ptr<QWidget> m_window;
    // The lock, without the program's password dialog: see LockWhile.
    std::unique_ptr<CLockController> m_lock;
    CCommandTable* m_commands = nullptr;
    CTessarinDesktopView* m_view = nullptr;
};

}  // namespace tessarin::test
