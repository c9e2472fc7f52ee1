#include "ui/strength_meter.h"

#include <algorithm>
#include <cmath>

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

#include "resources/string_ids.h"
#include "security/password_strength.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

// The bar is full at the bits of a very strong password.
constexpr int kFullBits = 128;

int WordId(Strength strength) {
    switch (strength) {
        case Strength::VeryWeak:
            return str::kStrengthVeryWeak;
        case Strength::Weak:
            return str::kStrengthWeak;
        case Strength::Reasonable:
            return str::kStrengthReasonable;
        case Strength::Strong:
            return str::kStrengthStrong;
        case Strength::VeryStrong:
            break;
    }
    return str::kStrengthVeryStrong;
}

}  // namespace

CStrengthMeter::CStrengthMeter(const CStringTable& strings, QWidget* parent)
    : QWidget(parent), m_strings(strings), m_bar(new QProgressBar(this)), m_line(new QLabel(this)) {
    m_bar->setRange(0, kFullBits);
    m_bar->setTextVisible(false);
    m_bar->setMaximumHeight(8);
    m_bar->setAccessibleName(AccessibleNameOf(UiText(strings, str::kStrengthLabel)));
    m_line->setAccessibleName(AccessibleNameOf(UiText(strings, str::kStrengthLabel)));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(UiText(strings, str::kStrengthLabel), this));
    layout->addWidget(m_bar, 1);
    layout->addWidget(m_line);
    SetBits(0);
}

void CStrengthMeter::SetBits(double bits) {
    m_bar->setValue(std::clamp(static_cast<int>(std::lround(bits)), 0, kFullBits));
    const QString text =
        bits <= 0
            ? QString()
            : UiText(m_strings, str::kStrengthBits,
                     {std::to_string(std::lround(bits)), m_strings.Get(WordId(StrengthOf(bits)))});
    m_line->setText(text);
    m_line->setAccessibleDescription(text);
    // A colour per word, read with the text: red, orange, yellow, green.
    static const char* const kColours[] = {"#c0392b", "#e67e22", "#d4ac0d", "#27ae60", "#1e8449"};
    m_bar->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: %1; }")
                             .arg(kColours[static_cast<int>(StrengthOf(bits))]));
}

QString CStrengthMeter::Text() const {
    return m_line->text();
}

}  // namespace tessarin
