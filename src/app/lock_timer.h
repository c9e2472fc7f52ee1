#pragma once

// The automatic lock's timer behind an interface, so that tests move time themselves.
#include <chrono>
#include <functional>
#include <memory>

namespace tessarin {

class ILockTimer {
public:
    virtual ~ILockTimer() = default;
    // Starts (or starts again) a single shot after `interval`; `fired` runs then.
    virtual void Start(std::chrono::milliseconds interval) = 0;
    virtual void Kill() = 0;
    virtual bool Pending() const = 0;

    std::function<void()> m_fired;
};

// A window timer of the event loop.
std::unique_ptr<ILockTimer> MakeQtLockTimer();

}  // namespace tessarin
