#include "ui/detail_view_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt_text.h"
#include "render/view_pictures.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "ui/choose_icon_dialog.h"
#include "ui/clipboard_commands.h"
#include "ui/cp1252_edits.h"
#include "ui/customize_record_dialog.h"
#include "ui/filter_combo.h"
#include "ui/generate_password_dialog.h"
#include "ui/type_dialogs.h"
#include "ui/ui_text.h"

namespace tessarin {

// The small marker beside a masked field.
class CMaskMarker : public QWidget {
public:
    CMaskMarker(const CStringTable& strings, QWidget* parent) : QWidget(parent) {
        setFixedSize(14, 15);
        setAccessibleName(UiText(strings, str::kMaskedMarkerName));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        DrawMaskMarker(painter, rect());
    }
};

namespace {

QString NoteForEdit(std::string_view note) {
    QString text = Cp1252ToQString(note);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

std::string NoteFromEdit(QString text) {
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return QStringToCp1252(text);
}

}  // namespace

CDetailViewDialog::CDetailViewDialog(const CRecordServices& services, Mode mode,
                                     const CRecord* record, QWidget* parent)
    : CDialogBase(services.context.Strings(), str::kDetailViewTitle, parent),
      m_services(services),
      m_database(services.view.Database()),
      m_record(nullptr),
      m_types(new CFilterCombo(this, CFilterCombo::Use::Record)),
      m_categories(new CFilterCombo(this, CFilterCombo::Use::Record)),
      m_note(
          new CCp1252NoteEdit(services.context.Strings(), static_cast<int>(kMaxNoteLength), this)),
      m_picture(new CIconPicture(services.context.Strings(), services.view.CustomIcons(), this)),
      m_showMasked(new QCheckBox(UiText(services.context.Strings(), str::kShowMaskedFields), this)),
      m_delete(TextButton(str::kDeleteButton)) {
    const CStringTable& strings = services.context.Strings();

    switch (mode) {
        case Mode::New: {
            std::unique_ptr<CBaseItem> item = m_database.m_records.CreateItem();
            m_fresh.reset(static_cast<CRecord*>(item.release()));
            const ItemKey type = NewRecordKey(services.view.TypeFilter());
            const CTypeItem* found = m_database.FindType(type);
            m_fresh->ApplyType(found && !found->m_deleted ? found : nullptr);
            m_fresh->m_categoryKey = NewRecordKey(services.view.CategoryFilter());
            break;
        }
        case Mode::Duplicate:
            m_fresh = DuplicateOf(m_database.m_records, *record);
            break;
        case Mode::Edit:
            m_record = const_cast<CRecord*>(record);
            break;
    }
    if (m_fresh)
        m_record = m_fresh.get();
    m_state = EditsOf(m_database, *m_record);
    if (mode == Mode::Duplicate)
        m_state.values[0] += strings.Get(str::kCopySuffix);

    // Type and category.
    auto* top = new QGridLayout;
    top->addWidget(Label(str::kTypeLabel, m_types), 0, 0);
    top->addWidget(m_types, 0, 1);
    top->addWidget(Label(str::kCategoryLabel, m_categories), 1, 0);
    top->addWidget(m_categories, 1, 1);
    auto* icon = TextButton(str::kIconButton);
    top->addWidget(m_picture, 0, 2, 2, 1, Qt::AlignCenter);
    top->addWidget(icon, 0, 3);
    top->setColumnStretch(1, 1);
    m_types->Fill(m_database.m_types, services.context.Collation());
    m_categories->Fill(m_database.m_categories, services.context.Collation());
    connect(m_types, &QComboBox::activated, this, &CDetailViewDialog::TypeChosen);
    connect(m_categories, &QComboBox::activated, this, &CDetailViewDialog::CategoryChosen);

    // The six fields with their labels and mask markers.
    auto* fields = new QGridLayout;
    for (int i = 0; i < kFieldCount; ++i) {
        m_fields[i] = new CCp1252LineEdit(strings, 0, this);
        m_labels[i] = new QLabel(UiText(strings, str::kFieldLabelN, {std::to_string(i + 1)}), this);
        m_labels[i]->setBuddy(m_fields[i]);
        m_markers[i] = new CMaskMarker(strings, this);
        m_fields[i]->installEventFilter(this);
        fields->addWidget(m_labels[i], i, 0);
        fields->addWidget(m_fields[i], i, 1);
        fields->addWidget(m_markers[i], i, 2);
    }
    fields->setColumnStretch(1, 1);
    connect(m_showMasked, &QCheckBox::toggled, this, [this] { ShowState(); });

    m_note->setAccessibleName(UiText(strings, str::kNoteLabelPlain));
    connect(m_note, &QPlainTextEdit::textChanged, this, &CDetailViewDialog::activity);

    // The buttons.
    auto* custom = TextButton(str::kCustomButton);
    auto* password = TextButton(str::kPasswordButton);
    auto* duplicate = TextButton(str::kDuplicateButton);
    connect(custom, &QPushButton::clicked, this, &CDetailViewDialog::Customize);
    connect(password, &QPushButton::clicked, this, &CDetailViewDialog::GeneratePassword);
    connect(icon, &QPushButton::clicked, this, &CDetailViewDialog::ChooseIcon);
    connect(duplicate, &QPushButton::clicked, this, &CDetailViewDialog::Duplicate);
    connect(m_delete, &QPushButton::clicked, this, &CDetailViewDialog::Delete);
    QDialogButtonBox* box = OkButtons();
    auto* side = new QHBoxLayout;
    for (QPushButton* button : {custom, password, duplicate, m_delete})
        side->addWidget(button);
    side->addStretch();
    side->addWidget(m_showMasked);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(fields);
    layout->addLayout(side);
    layout->addWidget(Label(str::kNoteLabel, m_note));
    layout->addWidget(m_note, 1);
    layout->addWidget(NoticeLine(strings, this));
    layout->addWidget(box);
    resize(520, 560);

    m_delete->setEnabled(!IsNew());
    EndSelChange();
    if (mode == Mode::Duplicate) {
        m_fields[0]->setFocus();
        m_fields[0]->selectAll();
    } else {
        m_fields[0]->setFocus();
    }
}

CDetailViewDialog::~CDetailViewDialog() = default;

QWidget* CDetailViewDialog::MaskMarker(int index) const {
    return m_markers[index];
}

void CDetailViewDialog::ReadControls() {
    for (int i = 0; i < kFieldCount; ++i)
        m_state.values[i] = QStringToCp1252(m_fields[i]->text());
    // A note that was not touched keeps its bytes, line ends included.
    if (m_note->toPlainText() != NoteForEdit(m_state.note))
        m_state.note = NoteFromEdit(m_note->toPlainText());
    const ItemKey category = m_categories->SelectedKey();
    if (category != EditListKey)
        m_state.categoryKey = category;
}

void CDetailViewDialog::ShowState() {
    const bool showMasked = m_showMasked->isChecked();
    bool anyMasked = false;
    for (int i = 0; i < kFieldCount; ++i) {
        if (const std::optional<std::string> text = LabelControlText(m_state.labels[i]))
            m_labels[i]->setText(Cp1252ToQString(*text));
        m_fields[i]->setAccessibleName(AccessibleNameOf(m_labels[i]->text()));
        const bool masked = m_state.mask >> i & 1;
        anyMasked |= masked;
        m_markers[i]->setVisible(masked);
        m_fields[i]->setEchoMode(masked && !showMasked ? QLineEdit::Password : QLineEdit::Normal);
        m_fields[i]->setProperty(kShowsMaskedValue, masked && showMasked);
    }
    m_showMasked->setEnabled(anyMasked);
    m_picture->SetIcon(m_state.icon);
}

void CDetailViewDialog::EndSelChange() {
    if (m_closed)
        return;
    m_types->SelectKey(m_state.typeKey);
    m_categories->SelectKey(m_state.categoryKey);
    for (int i = 0; i < kFieldCount; ++i)
        if (m_fields[i]->text() != Cp1252ToQString(m_state.values[i]))
            m_fields[i]->SetStoredText(Cp1252ToQString(m_state.values[i]));
    if (m_note->toPlainText() != NoteForEdit(m_state.note))
        m_note->SetStoredText(NoteForEdit(m_state.note));
    ShowState();
}

void CDetailViewDialog::EditList(int kind) {
    ReadControls();
    {
        CEditTypesDialog editor(m_services, kind, this);
        editor.exec();
    }
    if (m_closed)
        return;
    if (kind == kKindType)
        m_services.view.TypesEdited();
    CFilterCombo* combo = kind == kKindType ? m_types : m_categories;
    combo->Fill(m_database.ListOf(kind), m_services.context.Collation());
    // A type or category deleted meanwhile no longer files the record.
    ItemKey& key = kind == kKindType ? m_state.typeKey : m_state.categoryKey;
    combo->SelectKey(key);
    key = combo->SelectedKey();
    QMetaObject::invokeMethod(this, &CDetailViewDialog::EndSelChange, Qt::QueuedConnection);
}

void CDetailViewDialog::TypeChosen(int index) {
    const ItemKey key = m_types->KeyAt(index);
    if (key == EditListKey) {
        EditList(kKindType);
        return;
    }
    if (key == m_state.typeKey)
        return;
    TakeType(m_database, key, m_state);
    ShowState();
}

void CDetailViewDialog::CategoryChosen(int index) {
    const ItemKey key = m_categories->KeyAt(index);
    if (key == EditListKey)
        EditList(kKindCategory);
    else
        m_state.categoryKey = key;
}

bool CDetailViewDialog::eventFilter(QObject* watched, QEvent* event) {
    // The field that had the focus last: the one the user was in before a button took it.
    if (event->type() == QEvent::FocusIn)
        for (int i = 0; i < kFieldCount; ++i)
            if (watched == m_fields[i])
                m_lastField = i;
    return QDialog::eventFilter(watched, event);
}

void CDetailViewDialog::GeneratePassword() {
    CCp1252LineEdit* field = m_fields[m_lastField];
    CGeneratePasswordDialog dialog(m_services.context, m_services.preferences, field->text(), this);
    if (dialog.exec() != QDialog::Accepted || m_closed)
        return;
    // Through the edit's own typing, so that Undo brings the old text back.
    field->selectAll();
    field->insert(dialog.Password());
    field->setFocus();
    field->selectAll();
    ReadControls();
}

void CDetailViewDialog::Customize() {
    ReadControls();
    CCustomizeRecordDialog dialog(m_services.context.Strings(), m_state.labels, m_state.mask,
                                  m_database.m_types.LabelsOf(m_state.typeKey),
                                  m_database.m_types.MaskOf(m_state.typeKey), this);
    if (dialog.exec() != QDialog::Accepted || m_closed)
        return;
    m_state.labels = dialog.Labels();
    m_state.mask = dialog.Mask();
    ShowState();
}

void CDetailViewDialog::ChooseIcon() {
    CChooseIconDialog dialog(m_services.context.Strings(), m_services.view.CustomIcons(),
                             m_state.icon, this);
    if (dialog.exec() != QDialog::Accepted || m_closed)
        return;
    m_state.icon = static_cast<uint16_t>(dialog.Icon());
    ShowState();
}

CDetailViewDialog::Saved CDetailViewDialog::SaveRecord() {
    ReadControls();
    // An item that could not be wholly enciphered is refused before anything changes.
    CRecord trial;
    trial.CopyFrom(*m_record);
    ApplyRecordEdits(m_database, trial, m_state);
    if (!FitsPacked(trial)) {
        m_services.context.ShowMessage(str::kRecordTooLarge, {}, MessageIcon::Exclamation);
        return Saved::Refused;
    }
    ApplyRecordEdits(m_database, *m_record, m_state);
    // One change through the session: it saves, announces what the file holds, and the list
    // follows. A failed save has been said; the change stays in memory for the next save.
    IRecordViewHooks& view = m_services.view;
    CDatabaseSession::CChange change(view.Session());
    if (m_fresh) {
        if (m_record->IsEmpty())
            return Saved::Discarded;
        m_record = &change.AddRecord(std::move(m_fresh));
        change.Commit();
        view.SelectRecord(*m_record);
        return Saved::Stored;
    }
    // A record another program removed while it was edited here comes back: the later change.
    change.RecordChanged(*m_record);
    change.Commit();
    view.RedrawRecordRow(*m_record);
    return Saved::Stored;
}

void CDetailViewDialog::accept() {
    if (m_closed)
        return;
    if (SaveRecord() == Saved::Refused)
        return;
    m_closed = true;
    m_fresh.reset();
    QDialog::accept();
}

void CDetailViewDialog::reject() {
    if (m_closed) {
        QDialog::reject();
        return;
    }
    m_closed = true;
    m_fresh.reset();
    QDialog::reject();
}

void CDetailViewDialog::StoreAndClose() {
    if (m_closed)
        return;
    // What cannot be stored has been said; the lock goes on either way.
    SaveRecord();
    m_closed = true;
    m_fresh.reset();
    QDialog::done(QDialog::Accepted);
}

void CDetailViewDialog::Duplicate() {
    if (m_closed)
        return;
    const Saved saved = SaveRecord();
    if (saved == Saved::Refused)
        return;
    // The copy starts from the record as just saved (or, when an empty new one was discarded,
    // from what it held).
    std::unique_ptr<CRecord> copy = DuplicateOf(m_database.m_records, *m_record);
    m_fresh = std::move(copy);
    m_record = m_fresh.get();
    m_delete->setEnabled(false);
    m_state = EditsOf(m_database, *m_record);
    m_state.values[0] += m_services.context.Strings().Get(str::kCopySuffix);
    EndSelChange();
    m_fields[0]->setFocus();
    m_fields[0]->selectAll();
}

void CDetailViewDialog::Delete() {
    if (m_closed || IsNew())
        return;
    if (m_services.context.ShowMessage(str::kDeleteItemConfirm, {}, MessageIcon::Question,
                                       MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes ||
        m_closed)
        return;
    CDatabaseSession::CChange change(m_services.view.Session());
    change.RemoveRecord(*m_record);
    m_record = nullptr;
    change.Commit();
    m_closed = true;
    QDialog::done(kDeleted);
}

}  // namespace tessarin
