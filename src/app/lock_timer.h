#pragma once

// The automatic lock's timer behind an interface, so that tests move time themselves.
#include <chrono>
#include <memory>

#include <QObject>

namespace tessarin {

class ILockTimer : public QObject {
    Q_OBJECT
public:
    // Starts (or starts again) a single shot after `interval`; `fired` is emitted then.
    virtual void Start(std::chrono::milliseconds interval) = 0;
    virtual void Kill() = 0;
    virtual bool Pending() const = 0;

Q_SIGNALS:
    void fired();
};

// A window timer of the event loop.
std::unique_ptr<ILockTimer> MakeQtLockTimer();

}  // namespace tessarin
