#pragma once

// "Generate Password": a password of a chosen length from the chosen character sets, random or
// pronounceable, for the field the record dialog opened it on.
#include <array>
#include <cstdint>
#include <optional>

#include "ui/dialog_base.h"

class QCheckBox;
class QSpinBox;

namespace tessarin {

class CCoreContext;
class CCp1252LineEdit;
class CPreferences;
class CStrengthMeter;

class CGeneratePasswordDialog : public CDialogBase {
    Q_OBJECT
public:
    // `fieldText`: the field's text now, whose length the length field starts from.
    CGeneratePasswordDialog(CCoreContext& context, CPreferences& preferences,
                            const QString& fieldText, QWidget* parent = nullptr);

    // The "Password:" field's text.
    QString Password() const;
    // The bits of the check boxes: the five sets and "Pronounceable".
    uint16_t Bits() const;

    // "Generate": a new password in the field, unless the length or the sets are refused.
    void Generate();
    void accept() override;

private:
    // The length field's value; none after the framework's message.
    std::optional<int> CheckedLength();

    CCoreContext& m_context;
    CPreferences& m_preferences;
    CCp1252LineEdit* m_password;
    QSpinBox* m_length;
    QCheckBox* m_pronounceable;
    std::array<QCheckBox*, 5> m_sets{};
    CStrengthMeter* m_meter;
};

}  // namespace tessarin
