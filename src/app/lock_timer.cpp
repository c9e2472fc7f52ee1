#include "app/lock_timer.h"

#include <QTimer>

namespace tessarin {

namespace {

class CQtLockTimer : public ILockTimer {
public:
    CQtLockTimer() {
        m_timer.setSingleShot(true);
        // Minutes, not milliseconds, matter here: the coarse timer saves wake-ups.
        m_timer.setTimerType(Qt::CoarseTimer);
        connect(&m_timer, &QTimer::timeout, this, &ILockTimer::fired);
    }
    void Start(std::chrono::milliseconds interval) override { m_timer.start(interval); }
    void Kill() override { m_timer.stop(); }
    bool Pending() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

}  // namespace

std::unique_ptr<ILockTimer> MakeQtLockTimer() {
    return std::make_unique<CQtLockTimer>();
}

}  // namespace tessarin
