#pragma once

// The clipboard commands of the main window: copying one value of the selected record (a field,
// the category, the note) as text, copying and cutting the selected records as exchange text, and
// pasting such text back as new records. Only plain text goes on the system clipboard.
#include <cstdint>
#include <functional>
#include <memory>

#include <QObject>
#include <QString>

#include "ui/clipboard_probe.h"

class QMimeData;

namespace tessarin {

class CCommandTable;
class CCoreContext;
class CPreferences;
class CRecord;
class CTessarinDesktopView;

// Takes a copied secret off the clipboard after a while; tests fire it themselves.
class IClipboardTimer {
public:
    virtual ~IClipboardTimer() = default;
    // Calls `fire` once after `seconds`, in place of any earlier call still waiting.
    virtual void Start(int seconds, std::function<void()> fire) = 0;
    virtual void Stop() = 0;
};

// The property of a text field while it shows a masked value in clear: what is selected in it is
// a secret.
inline constexpr char kShowsMaskedValue[] = "tessarinShowsMaskedValue";

// The MIME format that tells clipboard managers not to keep a value, and its value.
inline constexpr char kPasswordManagerHint[] = "x-kde-passwordManagerHint";
inline constexpr char kPasswordManagerSecret[] = "secret";

class CClipboardCommands : public QObject {
    Q_OBJECT
public:
    // `timer`: a test double; a real timer when none. `probe`: how the clipboard is looked at when
    // it changes (MakeLocalClipboardProbe when none).
    CClipboardCommands(CCoreContext& context, CPreferences& preferences, CTessarinDesktopView& view,
                       std::unique_ptr<IClipboardTimer> timer = {},
                       std::unique_ptr<IClipboardProbe> probe = {});
    // Empties the clipboard when it holds a CSV export or a secret of ours still waiting.
    ~CClipboardCommands() override;

    // Binds the commands; the "Copy field" items are named anew whenever the Edit menu opens.
    void Bind(CCommandTable& commands);
    // With one row selected: "Copy <label>...\tCtrl+n" for each field, after the record's type.
    void UpdateFieldTexts();

    // Field 0-5, the category (kCategory) or the note (kNote) of the selected record.
    static constexpr int kCategory = -1;
    static constexpr int kNote = 6;
    void CopyValue(int which);
    void CopyRecords();
    void CutRecords();
    void Paste();
    // The clipboard's text begins with the exchange text's first line, as the last look at it
    // found: the clipboard is looked at when it changes, never when the selection moves.
    bool CanPaste() const;
    // The closing's step: a CSV export on the clipboard is emptied, and a secret still waiting.
    void ClearOnClose();
    // The lock's step: a secret of ours still on the clipboard or in the primary selection goes.
    void ClearSecretsNow();

Q_SIGNALS:
    // A line for the status bar: a secret left the clipboard.
    void statusMessage(const QString& text);

private:
    const CRecord* Selected() const;
    bool CanCopy(int which) const;
    void ClearSecret();
    // Puts text on the clipboard marked for clipboard managers as a secret, to be taken off after
    // "Clipboard Clear Seconds".
    void PutSecret(const QString& text);
    void StartClearing();
    void SelectionChanged();
    // The clipboard changed hands: what it starts with is unknown until the probe answers.
    void ClipboardChanged();
    // Puts text of ours on the clipboard; its start is known at once.
    void PutOnClipboard(const QString& text, QMimeData* data = nullptr);
    // How much of the clipboard's text the rules look at: the magic lines, and the whole of a
    // secret still waiting.
    int LookLength() const;

    CCoreContext& m_context;
    CPreferences& m_preferences;
    CTessarinDesktopView& m_view;
    std::unique_ptr<IClipboardTimer> m_timer;
    std::unique_ptr<IClipboardProbe> m_probe;
    CCommandTable* m_commands = nullptr;
    // The start of the clipboard's text (LookLength characters at most) as last seen.
    QString m_clipboardStart;
    // The secret we put on the clipboard, and the masked text selected into the primary selection,
    // while their clearing waits.
    QString m_secret;
    QString m_primarySecret;
};

}  // namespace tessarin
