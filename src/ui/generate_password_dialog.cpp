#include "ui/generate_password_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "security/password_generator.h"
#include "security/password_strength.h"
#include "store/core_context.h"
#include "store/preferences.h"
#include "ui/cp1252_edits.h"
#include "ui/strength_meter.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

constexpr std::array<uint16_t, 5> kSetBitsInOrder = {kSetLower, kSetCapitals, kSetDigits,
                                                     kSetSymbols, kSetAccented};
constexpr std::array<int, 5> kSetTexts = {str::kSetLowerCheck, str::kSetCapitalsCheck,
                                          str::kSetDigitsCheck, str::kSetSymbolsCheck,
                                          str::kSetAccentedCheck};

}  // namespace

CGeneratePasswordDialog::CGeneratePasswordDialog(CCoreContext& context, CPreferences& preferences,
                                                 const QString& fieldText, QWidget* parent)
    : CDialogBase(context.Strings(), str::kGeneratePasswordTitle, parent),
      m_context(context),
      m_preferences(preferences),
      m_password(new CCp1252LineEdit(context.Strings(), 0, this)),
      m_length(new QSpinBox(this)),
      m_pronounceable(nullptr),
      m_meter(new CStrengthMeter(context.Strings(), this)) {
    const CStringTable& strings = context.Strings();
    const uint32_t flags = preferences.ReadNumber(Pref::PasswordGeneratorFlags);

    m_length->setRange(kMinDialogLength, kMaxDialogLength);
    m_length->setValue(InitialDialogLength(static_cast<size_t>(fieldText.size())));
    m_pronounceable = new QCheckBox(UiText(strings, str::kPronounceableCheck), this);
    m_pronounceable->setChecked(flags & kPronounceable);

    auto* group = new QGroupBox(UiText(strings, str::kCharacterSetsGroup), this);
    auto* sets = new QGridLayout(group);
    for (size_t i = 0; i < m_sets.size(); ++i) {
        m_sets[i] = new QCheckBox(UiText(strings, kSetTexts[i]), group);
        m_sets[i]->setChecked(flags & kSetBitsInOrder[i]);
        sets->addWidget(m_sets[i], static_cast<int>(i / 3), static_cast<int>(i % 3));
    }

    auto* generate = TextButton(str::kGenerateButton);
    connect(generate, &QPushButton::clicked, this, &CGeneratePasswordDialog::Generate);
    QDialogButtonBox* box = OkButtons();
    box->addButton(generate, QDialogButtonBox::ActionRole);

    // What the user types in the field is measured by its classes.
    connect(m_password, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_meter->SetBits(TypedEntropy(QStringToCp1252(text))); });

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label(str::kGeneratedPasswordLabel, m_password), 0, 0);
    layout->addWidget(m_password, 0, 1, 1, 2);
    layout->addWidget(m_meter, 1, 1, 1, 2);
    layout->addWidget(Label(str::kLengthLabel, m_length), 2, 0);
    layout->addWidget(m_length, 2, 1);
    layout->addWidget(m_pronounceable, 2, 2);
    layout->addWidget(group, 3, 0, 1, 3);
    layout->addWidget(NoticeLine(strings, this), 4, 0, 1, 3);
    layout->addWidget(box, 5, 0, 1, 3);
    m_password->setMinimumWidth(m_password->fontMetrics().horizontalAdvance(QString(24, 'W')));
}

QString CGeneratePasswordDialog::Password() const {
    return m_password->text();
}

uint16_t CGeneratePasswordDialog::Bits() const {
    uint16_t bits = m_pronounceable->isChecked() ? kPronounceable : 0;
    for (size_t i = 0; i < m_sets.size(); ++i)
        if (m_sets[i]->isChecked())
            bits |= kSetBitsInOrder[i];
    return bits;
}

std::optional<int> CGeneratePasswordDialog::CheckedLength() {
    // The spin box's own text: what was typed, also when it is out of range.
    const std::string text = QStringToCp1252(m_length->text());
    const std::optional<int> length = ParseIntInRange(text, kMinDialogLength, kMaxDialogLength);
    if (!length) {
        m_context.ShowMessage(str::kParseIntRange,
                              {std::to_string(kMinDialogLength), std::to_string(kMaxDialogLength)},
                              MessageIcon::Exclamation);
        m_length->selectAll();
        m_length->setFocus();
    }
    return length;
}

void CGeneratePasswordDialog::Generate() {
    const std::optional<int> length = CheckedLength();
    if (!length)
        return;
    const uint16_t bits = Bits();
    if (CheckGenerate(std::to_string(*length), bits) == str::kNoCharacterSet) {
        m_context.ShowMessage(str::kNoCharacterSet, {}, MessageIcon::Exclamation);
        return;
    }
    m_preferences.WriteNumber(Pref::PasswordGeneratorFlags, bits);
    const CSecret password =
        m_context.PasswordGenerator().Generate(static_cast<size_t>(*length), bits);
    m_password->SetStoredText(Cp1252ToQString(password.View()));
    m_meter->SetBits(GeneratedEntropy(static_cast<size_t>(*length), bits));
}

void CGeneratePasswordDialog::accept() {
    if (!CheckedLength())
        return;
    m_preferences.WriteNumber(Pref::PasswordGeneratorFlags, Bits());
    QDialog::accept();
}

}  // namespace tessarin
