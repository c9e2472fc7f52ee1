#include "ui/save_aside.h"

#include <QEventLoop>
#include <QThread>

namespace tessarin {

namespace {

class CThreadAside : public IAsideRunner {
public:
    void RunAside(const std::function<void()>& work) override {
        QThread* thread = QThread::create([&work] { work(); });
        QEventLoop loop;
        QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit,
                         Qt::QueuedConnection);
        thread->start();
        if (!thread->isRunning() && !thread->isFinished()) {
            // No thread could be started: the work runs here, as a small database's save does.
            delete thread;
            work();
            return;
        }
        // exec returns early when the program is told to quit; then the work is waited for.
        if (!thread->isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        thread->wait();
        delete thread;
    }
};

}  // namespace

IAsideRunner& ThreadAside() {
    static CThreadAside runner;
    return runner;
}

}  // namespace tessarin
