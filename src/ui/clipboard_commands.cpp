#include "ui/clipboard_commands.h"

#include <algorithm>
#include <string>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

#include "base/codepage.h"
#include "exchange/csv_format.h"
#include "exchange/exchange_writer.h"
#include "exchange/session_import.h"
#include "exchange/vex_format.h"
#include "listing/list_columns.h"
#include "platform/qt_text.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/preferences.h"
#include "ui/clipboard_probe.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/record_view_hooks.h"
#include "ui/save_aside.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

class CQtClipboardTimer : public IClipboardTimer {
public:
    CQtClipboardTimer() {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_fire)
                m_fire();
        });
    }
    void Start(int seconds, std::function<void()> fire) override {
        m_fire = std::move(fire);
        m_timer.start(seconds * 1000);
    }
    void Stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
    std::function<void()> m_fire;
};

QClipboard* Clipboard() {
    return QGuiApplication::clipboard();
}

bool StartsWith(const QString& text, std::string_view magic) {
    return text.startsWith(QLatin1String(magic.data(), static_cast<qsizetype>(magic.size())));
}

}  // namespace

CClipboardCommands::CClipboardCommands(CCoreContext& context, CPreferences& preferences,
                                       CTessarinDesktopView& view,
                                       std::unique_ptr<IClipboardTimer> timer,
                                       std::unique_ptr<IClipboardProbe> probe)
    : m_context(context),
      m_preferences(preferences),
      m_view(view),
      m_timer(timer ? std::move(timer) : std::make_unique<CQtClipboardTimer>()),
      m_probe(probe ? std::move(probe) : MakeLocalClipboardProbe()) {
    connect(Clipboard(), &QClipboard::changed, this, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard)
            ClipboardChanged();
    });
    connect(Clipboard(), &QClipboard::selectionChanged, this,
            &CClipboardCommands::SelectionChanged);
    // It may hold records from before the start.
    ClipboardChanged();
}

CClipboardCommands::~CClipboardCommands() {
    disconnect(Clipboard(), nullptr, this, nullptr);
    ClearOnClose();
}

int CClipboardCommands::LookLength() const {
    const size_t magic = std::max(kVex2Magic.size(), kCsvMagic.size());
    // One more than a secret, to tell it from a longer text that begins with it.
    return static_cast<int>(
        std::max<qsizetype>(static_cast<qsizetype>(magic), m_secret.size() + 1));
}

void CClipboardCommands::ClipboardChanged() {
    m_clipboardStart.clear();
    m_probe->Look(LookLength(), [this](const QString& start) {
        m_clipboardStart = start;
        if (m_commands)
            m_commands->UpdateEnabled();
    });
}

void CClipboardCommands::PutOnClipboard(const QString& text, QMimeData* data) {
    if (data)
        Clipboard()->setMimeData(data);
    else
        Clipboard()->setText(text);
    m_clipboardStart = text.left(LookLength());
}

void CClipboardCommands::Bind(CCommandTable& commands) {
    m_commands = &commands;
    const auto bind = [&](uint32_t id, int which) {
        commands.SetHandler(id, [this, which] { CopyValue(which); });
        commands.SetEnableRule(id, [this, which] { return CanCopy(which); });
    };
    bind(cmd::kCopyCategory, kCategory);
    for (int field = 0; field < kFieldCount; ++field)
        bind(cmd::kCopyField1 + static_cast<uint32_t>(field), field);
    bind(cmd::kCopyNote, kNote);
    // Copy and Cut need any row selected, Paste records on the clipboard.
    commands.SetHandler(cmd::kCopy, [this] { CopyRecords(); });
    commands.SetHandler(cmd::kCut, [this] { CutRecords(); });
    commands.SetHandler(cmd::kPaste, [this] { Paste(); });
    commands.SetEnableRule(cmd::kPaste, [this] { return CanPaste(); });
    if (QMenu* edit = commands.Popup(cmd::Popup::Edit))
        connect(edit, &QMenu::aboutToShow, this, &CClipboardCommands::UpdateFieldTexts);
}

const CRecord* CClipboardCommands::Selected() const {
    return m_view.GetSelectedRecord();
}

bool CClipboardCommands::CanCopy(int which) const {
    const CRecord* record = Selected();
    if (!record)
        return false;
    if (which == kCategory)
        return true;
    return !(which == kNote ? record->GetNote() : record->GetValue(which)).empty();
}

void CClipboardCommands::UpdateFieldTexts() {
    const CRecord* record = Selected();
    // With none or several rows the items keep their texts; their rules disable them.
    if (!m_commands || !record)
        return;
    const CItemList& types = m_view.Database().m_types;
    for (int field = 0; field < kFieldCount; ++field) {
        // The type's label; the record's own labels are not used here.
        std::string label = types.LabelOf(record->GetTypeKey(), field);
        // An '&' of the label is shown, not taken as the item's mnemonic.
        for (size_t at = label.find('&'); at != std::string::npos; at = label.find('&', at + 2))
            label.insert(at, 1, '&');
        const std::string number = std::to_string(field + 1);
        if (QAction* action = m_commands->Action(cmd::kCopyField1 + static_cast<uint32_t>(field)))
            action->setText(UiText(m_context.Strings(), str::kCopyFieldMenuText, {label, number}));
    }
}

void CClipboardCommands::CopyValue(int which) {
    const CRecord* record = Selected();
    if (!record)
        return;
    std::string_view value;
    if (which == kCategory)
        value = ShownName(m_view.Database().m_categories, record->m_categoryKey);
    else if (which == kNote)
        value = record->GetNote();
    else
        value = record->GetValue(which);
    const QString text = Cp1252ToQString(value);
    // The real value, whether or not the list masks it. Unmasked values and the note are
    // cleared too when the user asked for that.
    const bool masked = which >= 0 && which < kFieldCount && (record->m_maskBits >> which & 1);
    const bool secret = masked || (which != kCategory &&
                                   m_preferences.ReadNumber(Pref::ClipboardClearUnmasked) != 0);
    if (secret)
        PutSecret(text);
    else
        PutOnClipboard(text);
}

void CClipboardCommands::PutSecret(const QString& text) {
    // Known before the clipboard changes, so that the look at it takes the whole secret.
    m_secret = text;
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(kPasswordManagerHint, kPasswordManagerSecret);
    PutOnClipboard(text, data);
    StartClearing();
}

void CClipboardCommands::StartClearing() {
    const uint32_t seconds = m_preferences.ReadNumber(Pref::ClipboardClearSeconds);
    m_timer->Stop();
    if (seconds == 0)
        return;
    m_timer->Start(static_cast<int>(std::min<uint32_t>(seconds, 24 * 60 * 60)),
                   [this] { ClearSecret(); });
}

void CClipboardCommands::SelectionChanged() {
    // Text selected in a field that shows a masked value goes to the X primary selection: it is
    // taken off again like a copied secret. Only a selection of our own is read: no round trip
    // to another program.
    QClipboard* clipboard = Clipboard();
    if (!clipboard->supportsSelection() || !clipboard->ownsSelection())
        return;
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || !focus->property(kShowsMaskedValue).toBool())
        return;
    const QString selected = clipboard->text(QClipboard::Selection);
    if (selected.isEmpty())
        return;
    m_primarySecret = selected;
    StartClearing();
}

void CClipboardCommands::ClearSecret() {
    // Whatever the user copied or selected since stays.
    const QString secret = std::exchange(m_secret, QString());
    const QString selected = std::exchange(m_primarySecret, QString());
    QClipboard* clipboard = Clipboard();
    bool cleared = false;
    // The clipboard as last looked at, off the window's thread.
    if (!secret.isEmpty() && m_clipboardStart == secret) {
        clipboard->clear();
        cleared = true;
    }
    if (!selected.isEmpty() && clipboard->supportsSelection() && clipboard->ownsSelection() &&
        clipboard->text(QClipboard::Selection) == selected) {
        clipboard->clear(QClipboard::Selection);
        cleared = true;
    }
    if (cleared)
        Q_EMIT statusMessage(UiText(m_context.Strings(), str::kClipboardSecretCleared));
}

void CClipboardCommands::ClearSecretsNow() {
    m_timer->Stop();
    ClearSecret();
}

void CClipboardCommands::CopyRecords() {
    const std::vector<const CRecord*> records = m_view.SelectedRecords();
    if (records.empty())
        return;
    // Whole records hold their masked values too: they are a secret like a masked value. The text
    // of many records is made off the window's thread (it only reads them) while the window
    // paints, and nothing changes them meanwhile.
    QString text;
    const auto make = [&] {
        text = Cp1252ToQString(BuildVexText(m_view.Database(), records, nullptr));
    };
    if (records.size() < kAsideFromRecords) {
        make();
    } else {
        const CDatabaseSession::CBusy busy(m_view.Session());
        ThreadAside().RunAside(make);
    }
    PutSecret(text);
}

void CClipboardCommands::CutRecords() {
    const std::vector<const CRecord*> selected = m_view.SelectedRecords();
    if (selected.empty())
        return;
    CopyRecords();
    CViewRecordHooks hooks(m_view);
    DeleteRecords(hooks, selected);
}

bool CClipboardCommands::CanPaste() const {
    return StartsWith(m_clipboardStart, kVex2Magic);
}

void CClipboardCommands::Paste() {
    const QMimeData* data = Clipboard()->mimeData();
    if (!data) {
        m_context.ShowMessage(str::kErrorOpeningClipboard, {}, MessageIcon::Exclamation);
        return;
    }
    if (!data->hasText())
        return;
    // The database holds Windows-1252 text: other characters are refused whole, before anything
    // is imported.
    const QByteArray utf8 = data->text().toUtf8();
    std::string text;
    if (!Utf8ToCp1252(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), text)) {
        m_context.ShowMessage(str::kClipboardNotCp1252, {}, MessageIcon::Exclamation);
        return;
    }
    // One change: the records pasted are saved, announced, listed and selected.
    ImportText(m_view.Session(), m_view, ExchangeFormat::Vex2, text, nullptr);
}

void CClipboardCommands::ClearOnClose() {
    if (StartsWith(m_clipboardStart, kCsvMagic) ||
        (!m_secret.isEmpty() && m_clipboardStart == m_secret))
        Clipboard()->clear();
    ClearSecretsNow();
}

}  // namespace tessarin
