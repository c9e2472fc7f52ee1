#include "ui/command_table.h"

#include <optional>

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
    Q_ASSERT_X(!it->second.handler, "CCommandTable::SetHandler", "a command is bound once");
    it->second.handler = std::move(handler);
    it->second.action->setEnabled(IsEnabled(id));
}

void CCommandTable::SetEnableRule(uint32_t id, std::function<bool()> rule) {
    const auto it = m_entries.find(id);
    if (it == m_entries.end())
        return;
    Q_ASSERT_X(!it->second.rule, "CCommandTable::SetEnableRule", "a rule is bound once");
    it->second.rule = std::move(rule);
    it->second.action->setEnabled(IsEnabled(id));
}

void CCommandTable::SetRangeHandler(const cmd::CCommandRange& range,
                                    std::function<void(uint32_t)> handler) {
    Q_ASSERT_X(!RangeOf(range.first), "CCommandTable::SetRangeHandler", "a range is bound once");
    m_ranges.push_back({range, std::move(handler)});
}

void CCommandTable::SetSelectionSource(std::function<Selection()> source) {
    Q_ASSERT_X(!m_selection, "CCommandTable::SetSelectionSource", "the selection is told once");
    m_selection = std::move(source);
    UpdateEnabled();
}

const CCommandTable::CRangeEntry* CCommandTable::RangeOf(uint32_t id) const {
    for (const CRangeEntry& entry : m_ranges)
        if (entry.range.Contains(id))
            return &entry;
    return nullptr;
}

bool CCommandTable::IsEnabled(uint32_t id) const {
    return IsEnabled(id, m_selection, true);
}

bool CCommandTable::IsEnabled(uint32_t id, const std::function<Selection()>& selection,
                              bool askRule) const {
    if (const CRangeEntry* range = RangeOf(id))
        return static_cast<bool>(range->handler);
    const auto it = m_entries.find(id);
    if (it == m_entries.end() || !it->second.handler)
        return false;
    switch (cmd::SelectionNeeds(id)) {
        case cmd::Needs::Nothing:
            break;
        case cmd::Needs::OneRecord:
            if (!selection || selection() != Selection::One)
                return false;
            break;
        case cmd::Needs::AnyRecord:
            if (!selection || selection() == Selection::None)
                return false;
            break;
    }
    return !askRule || !it->second.rule || it->second.rule();
}

bool CCommandTable::Run(uint32_t id) {
    return Run(id, true);
}

bool CCommandTable::Press(uint32_t id) {
    return Run(id, false);
}

bool CCommandTable::Run(uint32_t id, bool askRule) {
    // The rule is asked again: what it depends on may have changed since the menu was shown.
    if (!IsEnabled(id, m_selection, askRule))
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
    if (const CRangeEntry* range = RangeOf(id)) {
        const std::function<void(uint32_t)> handler = range->handler;
        handler(id - range->range.first);
    } else {
        const std::function<void()> handler = m_entries[id].handler;
        handler();
    }
    m_running.erase(id);
    UpdateEnabled();
    return true;
}

void CCommandTable::UpdateEnabled() {
    // The selection is asked once for all the rules.
    std::optional<Selection> asked;
    const std::function<Selection()> selection = [&] {
        if (!asked)
            asked = m_selection ? m_selection() : Selection::None;
        return *asked;
    };
    for (auto& [id, entry] : m_entries)
        entry.action->setEnabled(IsEnabled(id, selection, true));
}

QMenu* CCommandTable::MenuFor(QMenuBar* bar, cmd::Popup popup) {
    if (const auto it = m_popups.find(popup); it != m_popups.end())
        return it->second;
    const cmd::CPopupInfo& info = cmd::PopupInfo(popup);
    QMenu* menu = info.parent == cmd::Popup::None
                      ? bar->addMenu(FromData(info.text))
                      : MenuFor(bar, info.parent)->addMenu(FromData(info.text));
    menu->menuAction()->setData(static_cast<int>(popup));
    connect(menu, &QMenu::aboutToShow, this, &CCommandTable::UpdateEnabled);
    m_popups.emplace(popup, menu);
    return menu;
}

void CCommandTable::BuildMenuBar(QMenuBar* bar) {
    // The menu bar's own popups in order; submenus take their place among their menu's items.
    for (const cmd::CPopupInfo& popup : cmd::MenuBarPopups())
        if (popup.parent == cmd::Popup::None)
            MenuFor(bar, popup.id);
    for (const cmd::CCommandInfo& info : cmd::CommandTable()) {
        if (info.menu == cmd::Popup::None)
            continue;
        QMenu* menu = MenuFor(bar, info.menu);
        if (info.id == cmd::kSeparator)
            menu->addSeparator();
        else
            menu->addAction(Action(info.id));
    }
}

QMenu* CCommandTable::Popup(cmd::Popup popup) const {
    const auto it = m_popups.find(popup);
    return it == m_popups.end() ? nullptr : it->second;
}

QMenu* CCommandTable::SubmenuOf(const QMenu* menu, cmd::Popup popup) {
    for (QAction* action : menu->actions())
        if (action->menu() && action->data() == QVariant(static_cast<int>(popup)))
            return action->menu();
    return nullptr;
}

QAction* CCommandTable::AddItem(QMenu* menu, uint32_t id, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setEnabled(IsEnabled(id));
    // The commands of a range share the prompt of its first.
    const cmd::CCommandRange* range = cmd::FindRange(id);
    action->setStatusTip(UiText(m_strings, static_cast<int>(range ? range->first : id)));
    // Queued like the menu bar's items: the menu closes first.
    connect(
        action, &QAction::triggered, this, [this, id] { Run(id); }, Qt::QueuedConnection);
    return action;
}

QMenu* CCommandTable::BuildContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    std::map<cmd::Popup, QMenu*> popups;
    for (const cmd::CContextItem& item : cmd::ContextMenuTable()) {
        QMenu* target = menu;
        if (item.popup != cmd::Popup::None) {
            QMenu*& popup = popups[item.popup];
            if (!popup) {
                popup = menu->addMenu(FromData(cmd::PopupInfo(item.popup).text));
                popup->menuAction()->setData(static_cast<int>(item.popup));
            }
            target = popup;
        }
        if (item.id == cmd::kSeparator)
            target->addSeparator();
        else
            AddItem(target, item.id, FromData(item.text));
    }
    return menu;
}

}  // namespace tessarin
