#pragma once

// "Customize Record": a record's own six field labels and its masked fields, with "Reset" to go
// back to its type's.
#include <array>
#include <cstdint>
#include <string>

#include <QDialog>

#include "store/items.h"

class QCheckBox;

namespace tessarin {

class CCp1252LineEdit;
class CStringTable;

using CLabelTexts = std::array<std::string, kFieldCount>;

class CCustomizeRecordDialog : public QDialog {
    Q_OBJECT
public:
    // `labels` and `mask`: the record's; `typeLabels` and `typeMask`: its type's, for "Reset".
    CCustomizeRecordDialog(const CStringTable& strings, const CLabelTexts& labels, uint16_t mask,
                           const CLabelTexts& typeLabels, uint16_t typeMask,
                           QWidget* parent = nullptr);

    // The edits' texts and the check boxes' bits, as OK leaves them.
    CLabelTexts Labels() const;
    uint16_t Mask() const;
    // Puts the type's labels and mask back into the controls.
    void Reset();

private:
    void Show(const CLabelTexts& labels, uint16_t mask);

    CLabelTexts m_typeLabels;
    uint16_t m_typeMask;
    std::array<CCp1252LineEdit*, kFieldCount> m_labels{};
    std::array<QCheckBox*, kFieldCount> m_masks{};
};

}  // namespace tessarin
