#pragma once

// A bar and a line under a password: its estimated entropy in bits and a word for it.
#include <QWidget>

class QLabel;
class QProgressBar;

namespace tessarin {

class CStringTable;

class CStrengthMeter : public QWidget {
    Q_OBJECT
public:
    CStrengthMeter(const CStringTable& strings, QWidget* parent);
    // Shows `bits`; nothing (an empty bar and line) for 0.
    void SetBits(double bits);
    // "N bits: word", as the line reads it.
    QString Text() const;

private:
    const CStringTable& m_strings;
    QProgressBar* m_bar;
    QLabel* m_line;
};

}  // namespace tessarin
