#pragma once

// "Customize Record": a record's own six field labels and its masked fields, with "Reset" to go
// back to its type's.
#include <cstdint>
#include <optional>

#include "ui/dialog_base.h"
#include "ui/label_mask_grid.h"

namespace tessarin {

class CCustomizeRecordDialog : public CDialogBase {
    Q_OBJECT
public:
    // `labels` and `mask`: the record's; `typeLabels` and `typeMask`: its type's, for "Reset".
    CCustomizeRecordDialog(const CStringTable& strings, const CLabelTexts& labels, uint16_t mask,
                           const CLabelTexts& typeLabels, uint16_t typeMask,
                           QWidget* parent = nullptr);

    // The edits' texts and the check boxes' bits, as OK leaves them.
    CLabelTexts Labels() const { return m_grid->Labels(); }
    uint16_t Mask() const { return m_grid->Mask(); }
    // Puts the type's labels and mask back into the controls.
    void Reset();

private:
    void Show(const CLabelTexts& labels, uint16_t mask);

    CLabelTexts m_typeLabels;
    uint16_t m_typeMask;
    std::optional<CLabelMaskGrid> m_grid;
};

}  // namespace tessarin
