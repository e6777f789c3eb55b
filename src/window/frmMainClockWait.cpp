#include <QEventLoop>
#include <QTimer>

#include <memory>
#include <optional>
#include <utility>

#include "device/ClockIoThread.h"
#include "window/frmMain.h"

namespace tarnwell {

// The window goes on repainting and can be closed; user input waits, and no handler runs (see
// runHandler), so nothing else happens in the middle of the waiting handler and the reports keep
// their order.
bool frmMain::waitForClock(PendingCall& call) {
    if (call.waitFor(timing::kAnswerAwaitedInPlace))
        return true;
    const auto deadline = now_() + timing::kClockAnswerTimeout;
    const auto over = [&] { return call.done() || shutDown_ || now_() >= deadline; };
    QEventLoop loop;
    call.notifyWhenDone(
        [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
    QTimer check;
    connect(&check, &QTimer::timeout, &loop, [&] {
        if (over())
            loop.quit();
    });
    check.start(timing::kAnswerCheckInterval);
    waitInLoop(loop, over);
    // After this, the I/O thread no longer reaches the loop.
    call.notifyWhenDone({});
    return call.done();
}

void frmMain::waitInLoop(QEventLoop& loop, const std::function<bool()>& over) {
    const bool outer = std::exchange(handlerWaiting_, true);
    // An application that is quitting ends every loop at once: then the wait is over too.
    while (!over() && loop.exec(QEventLoop::ExcludeUserInputEvents) == 0) {
    }
    handlerWaiting_ = outer;
    if (!outer)
        runDeferredHandlers();
}

// Opening (like closing) a hidraw node waits in the kernel while any request to any clock is
// under way, another program's too: it runs on a thread of its own, waited for like an answer.
OpenResult frmMain::openWhileWaiting(const std::string& path) {
    auto result = std::make_shared<std::optional<OpenResult>>();
    const std::shared_ptr<PendingCall> opening = ClockIoThread::runAlone(
        [result, &backend = backend_, path] { result->emplace(backend.open(path)); });
    if (!waitForClock(*opening)) {
        stuckCalls_.push_back(opening);
        return OpenFailure::Other;
    }
    return std::move(**result);
}

}  // namespace tarnwell
