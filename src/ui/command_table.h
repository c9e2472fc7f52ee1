#pragma once

// The main window's commands as Qt actions, made from the command table's data: the menu bar, the
// shortcuts, the status-bar prompts and the record list's shortcut menu. Each command has one
// owner, which binds its handler (and, where the command has one, its own enable rule) once; a
// second binding is a programming error that debug builds stop at. A command without a handler is
// disabled. Whether a command may run is decided here alone: its handler, what it needs of the
// record list's selection (from the table's data), its owner's rule.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include <QObject>

#include "resources/command_table_data.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace tessarin {

class CStringTable;

class CCommandTable : public QObject {
    Q_OBJECT
public:
    // How many rows of the record list are selected, as the enable rules ask it.
    enum class Selection { None, One, Several };

    // The actions' shortcuts work in `window`.
    CCommandTable(const CStringTable& strings, QWidget* window);
    ~CCommandTable() override;

    // The action of the command, or none.
    QAction* Action(uint32_t id) const;
    // Binds the command to its owner's handler: once.
    void SetHandler(uint32_t id, std::function<void()> handler);
    // The owner's own rule of whether the command may run, beside what the table asks of the
    // selection: once.
    void SetEnableRule(uint32_t id, std::function<bool()> rule);
    // Binds every command of the range: `handler` gets the entry's position (the number less the
    // range's first). Once per range.
    void SetRangeHandler(const cmd::CCommandRange& range, std::function<void(uint32_t)> handler);
    // Where the rules learn the record list's selection (the view's): once.
    void SetSelectionSource(std::function<Selection()> source);

    bool IsEnabled(uint32_t id) const;
    // Runs the command when it is enabled; false when it did not run.
    bool Run(uint32_t id);
    // A button of the window that stands for the command: it runs also while its owner's rule
    // disables it, so that the handler can say why ("Sync" without the device). What it needs of
    // the selection, and the lock, still stop it.
    bool Press(uint32_t id);
    // Asks every rule again and enables the actions accordingly: after a command, when a menu
    // opens, when the selection changes.
    void UpdateEnabled();

    // Asked with the command's number before it runs; false stops it (the program had to lock
    // itself first, for example).
    std::function<bool(uint32_t id)> m_beforeRun;

    // Fills the menu bar with the table's popups in order.
    void BuildMenuBar(QMenuBar* bar);
    // The menu bar's popup, or none.
    QMenu* Popup(cmd::Popup popup) const;
    // A new shortcut menu of the record list; its Type and Category popups hold their "Unfiled"
    // items and are found with SubmenuOf.
    QMenu* BuildContextMenu(QWidget* parent);
    // The popup of a menu that the table built.
    static QMenu* SubmenuOf(const QMenu* menu, cmd::Popup popup);
    // An item of `menu` with a text of its own (a user's, a type's name) that runs the command: a
    // command of the table or of a range. The item of a number past its range is disabled.
    QAction* AddItem(QMenu* menu, uint32_t id, const QString& text);

private:
    struct CEntry {
        QAction* action = nullptr;
        std::function<void()> handler;
        std::function<bool()> rule;
    };
    struct CRangeEntry {
        cmd::CCommandRange range;
        std::function<void(uint32_t)> handler;
    };
    bool IsEnabled(uint32_t id, const std::function<Selection()>& selection, bool askRule) const;
    bool Run(uint32_t id, bool askRule);
    const CRangeEntry* RangeOf(uint32_t id) const;
    QMenu* MenuFor(QMenuBar* bar, cmd::Popup popup);

    const CStringTable& m_strings;
    QWidget* m_window;
    std::map<uint32_t, CEntry> m_entries;
    std::vector<CRangeEntry> m_ranges;
    std::function<Selection()> m_selection;
    std::map<cmd::Popup, QMenu*> m_popups;
    // The commands whose handler is on the stack now.
    std::set<uint32_t> m_running;
};

}  // namespace tessarin
