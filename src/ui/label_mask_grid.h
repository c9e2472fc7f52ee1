#pragma once

// The six field labels of a type or of one record, each with its "Mask" box, as rows of a dialog's
// grid: "Field n:", the label's edit, the box (named "Mask Field n" for screen readers). "Define
// Type" and "Customize Record" show them.
#include <array>
#include <cstdint>
#include <string>

#include "store/items.h"

class QCheckBox;
class QGridLayout;
class QWidget;

namespace tessarin {

class CCp1252LineEdit;
class CStringTable;

using CLabelTexts = std::array<std::string, kFieldCount>;

class CLabelMaskGrid {
public:
    // The rows from `firstRow` on, in columns 0 to 2; the controls belong to `dialog`.
    CLabelMaskGrid(const CStringTable& strings, QWidget* dialog, QGridLayout* layout, int firstRow);

    // The labels as stored (each kept as it is) and the mask's bits.
    void Show(const CLabelTexts& labels, uint16_t mask);
    CLabelTexts Labels() const;
    uint16_t Mask() const;

private:
    std::array<CCp1252LineEdit*, kFieldCount> m_labels{};
    std::array<QCheckBox*, kFieldCount> m_masks{};
};

}  // namespace tessarin
