#pragma once

// The main window's commands as Qt actions, made from the command table's data: the menu bar, the
// shortcuts, the status-bar prompts and the record list's shortcut menu. Views and dialogs bind
// their commands here; a command without a handler is disabled.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string_view>

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace tessarin {

class CStringTable;

class CCommandTable : public QObject {
    Q_OBJECT
public:
    // The actions' shortcuts work in `window`.
    CCommandTable(const CStringTable& strings, QWidget* window);
    ~CCommandTable() override;

    // The action of the command, or none.
    QAction* Action(uint32_t id) const;
    void SetHandler(uint32_t id, std::function<void()> handler);
    // Whether the command may run now; without a rule a command with a handler is enabled.
    void SetEnableRule(uint32_t id, std::function<bool()> rule);
    bool IsEnabled(uint32_t id) const;
    // Runs the command when it is enabled; false when it did not run.
    bool Run(uint32_t id);
    // Asks every rule again (done before a menu opens).
    void UpdateEnabled();

    // Asked with the command's number before it runs; false stops it (the program had to lock
    // itself first, for example).
    std::function<bool(uint32_t id)> m_beforeRun;

    // Fills the menu bar with the table's popups in order.
    void BuildMenuBar(QMenuBar* bar);
    // The menu bar's popup of that name ("&File", "Sync"), or none.
    QMenu* Popup(std::string_view name) const;
    // A new shortcut menu of the record list.
    QMenu* BuildContextMenu(QWidget* parent);

private:
    struct CEntry {
        QAction* action = nullptr;
        std::function<void()> handler;
        std::function<bool()> rule;
    };
    QMenu* MenuFor(QMenuBar* bar, std::string_view path);

    const CStringTable& m_strings;
    QWidget* m_window;
    std::map<uint32_t, CEntry> m_entries;
    std::map<std::string, QMenu*, std::less<>> m_popups;
    // The commands whose handler is on the stack now.
    std::set<uint32_t> m_running;
};

}  // namespace tessarin
