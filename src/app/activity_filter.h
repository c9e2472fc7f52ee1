#pragma once

// What the user does with the keyboard (and the mouse's buttons and wheel) in any of the program's
// windows counts as activity: someone who works with the keyboard alone is not locked out in the
// middle of it. Installed on the application, it sees the events of every window and dialog.
#include <functional>

#include <QObject>

namespace tessarin {

class CActivityFilter : public QObject {
    Q_OBJECT
public:
    explicit CActivityFilter(std::function<void()> activity, QObject* parent = nullptr);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_activity;
};

}  // namespace tessarin
