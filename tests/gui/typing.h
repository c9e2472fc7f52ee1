#pragma once

// Typing as a keyboard does, one key event per character, for characters QTest has no key for.
#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace tessarin::test {

inline void TypeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

}  // namespace tessarin::test
