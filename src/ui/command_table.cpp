#include "ui/command_table.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include "platform/qt_text.h"
#include "resources/command_table_data.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

QString FromData(std::string_view text) {
    return Cp1252ToQString(text);
}

QList<QKeySequence> KeysOf(const cmd::CCommandInfo& info) {
    QList<QKeySequence> keys;
    if (const std::string_view key = cmd::ItemKeyText(info.text); !key.empty())
        keys << QKeySequence(FromData(key), QKeySequence::PortableText);
    for (const QString& extra : FromData(info.extraKeys).split(',', Qt::SkipEmptyParts))
        keys << QKeySequence(extra.trimmed(), QKeySequence::PortableText);
    return keys;
}

}  // namespace

CCommandTable::CCommandTable(const CStringTable& strings, QWidget* window)
    : QObject(window), m_strings(strings), m_window(window) {
    for (const cmd::CCommandInfo& info : cmd::CommandTable()) {
        if (info.id == cmd::kSeparator)
            continue;
        auto* action = new QAction(FromData(info.text), this);
        action->setStatusTip(UiText(strings, static_cast<int>(info.id)));
        action->setShortcuts(KeysOf(info));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setEnabled(false);
        // The item's text carries its key after the tab already.
        action->setShortcutVisibleInContextMenu(false);
        const uint32_t id = info.id;
        // Queued: the menu closes, and whoever chose the item gets its answer, before a command
        // opens a dialog of its own.
        connect(
            action, &QAction::triggered, this, [this, id] { Run(id); }, Qt::QueuedConnection);
        window->addAction(action);
        m_entries[id].action = action;
    }
    m_entries[cmd::kStatusBar].action->setCheckable(true);
}

CCommandTable::~CCommandTable() = default;

QAction* CCommandTable::Action(uint32_t id) const {
    const auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : it->second.action;
}

void CCommandTable::SetHandler(uint32_t id, std::function<void()> handler) {
    const auto it = m_entries.find(id);
    if (it == m_entries.end())
        return;
    it->second.handler = std::move(handler);
    it->second.action->setEnabled(IsEnabled(id));
}

void CCommandTable::SetEnableRule(uint32_t id, std::function<bool()> rule) {
    const auto it = m_entries.find(id);
    if (it == m_entries.end())
        return;
    it->second.rule = std::move(rule);
    it->second.action->setEnabled(IsEnabled(id));
}

bool CCommandTable::IsEnabled(uint32_t id) const {
    const auto it = m_entries.find(id);
    if (it == m_entries.end() || !it->second.handler)
        return false;
    return !it->second.rule || it->second.rule();
}

bool CCommandTable::Run(uint32_t id) {
    // The rule is asked again: what it depends on may have changed since the menu was shown.
    if (!IsEnabled(id))
        return false;
    if (m_beforeRun && !m_beforeRun(id))
        return false;
    // A command whose dialog is open runs in that dialog's loop: pressed again (the accessibility
    // interface presses whatever is enabled), it does not open a second one. Once nothing of it
    // is open any more, only its return is awaited: it then runs again.
    if (m_running.count(id)) {
        if (!QApplication::activeModalWidget())
            QTimer::singleShot(0, this, [this, id] { Run(id); });
        return false;
    }
    m_running.insert(id);
    const std::function<void()> handler = m_entries[id].handler;
    handler();
    m_running.erase(id);
    UpdateEnabled();
    return true;
}

void CCommandTable::UpdateEnabled() {
    for (auto& [id, entry] : m_entries)
        entry.action->setEnabled(IsEnabled(id));
}

QMenu* CCommandTable::MenuFor(QMenuBar* bar, std::string_view path) {
    if (const auto it = m_popups.find(path); it != m_popups.end())
        return it->second;
    const size_t split = path.rfind('|');
    QMenu* menu = nullptr;
    if (split == std::string_view::npos) {
        menu = bar->addMenu(FromData(path));
    } else {
        QMenu* parent = MenuFor(bar, path.substr(0, split));
        menu = parent->addMenu(FromData(path.substr(split + 1)));
    }
    connect(menu, &QMenu::aboutToShow, this, &CCommandTable::UpdateEnabled);
    m_popups.emplace(std::string(path), menu);
    return menu;
}

void CCommandTable::BuildMenuBar(QMenuBar* bar) {
    for (std::string_view popup : cmd::MenuBarPopups())
        MenuFor(bar, popup);
    for (const cmd::CCommandInfo& info : cmd::CommandTable()) {
        if (info.menu.empty())
            continue;
        QMenu* menu = MenuFor(bar, info.menu);
        if (info.id == cmd::kSeparator)
            menu->addSeparator();
        else
            menu->addAction(Action(info.id));
    }
}

QMenu* CCommandTable::Popup(std::string_view name) const {
    const auto it = m_popups.find(name);
    return it == m_popups.end() ? nullptr : it->second;
}

QMenu* CCommandTable::BuildContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    std::map<std::string_view, QMenu*> popups;
    for (const cmd::CContextItem& item : cmd::ContextMenuTable()) {
        QMenu* target = menu;
        if (!item.popup.empty()) {
            QMenu*& popup = popups[item.popup];
            if (!popup)
                popup = menu->addMenu(FromData(item.popup));
            target = popup;
        }
        if (item.id == cmd::kSeparator) {
            target->addSeparator();
            continue;
        }
        // An action of its own with the item's text, running the same command.
        auto* action = target->addAction(FromData(item.text));
        action->setStatusTip(UiText(m_strings, static_cast<int>(item.id)));
        action->setEnabled(IsEnabled(item.id));
        const uint32_t id = item.id;
        connect(
            action, &QAction::triggered, this, [this, id] { Run(id); }, Qt::QueuedConnection);
    }
    return menu;
}

}  // namespace tessarin
