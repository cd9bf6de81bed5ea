#include "Timing.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <thread>

namespace zendra::core {

Clock::time_point SystemTiming::Now() const { return Clock::now(); }

void SystemTiming::Sleep(milliseconds pause) { std::this_thread::sleep_for(pause); }

bool OnWindowsThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && app->thread() == QThread::currentThread() && app->inherits("QGuiApplication");
}

void SystemTiming::RunEventsFor(Duration span) {
    const auto until = Clock::now() + span;
    // Only the windows have events to run while the logic waits; elsewhere (the command line, an operation's
    // thread) the wait is one sleep.
    if (!OnWindowsThread()) return std::this_thread::sleep_until(until);
    // A local loop with a timer: windows repaint and the CPU idles until the timer fires.
    while (Clock::now() < until) WaitInLocalLoop(until - Clock::now());
}

void WaitInLocalLoop(Duration span, const std::function<void(QEventLoop&)>& alsoEnds) {
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(span).count();
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (alsoEnds) alsoEnds(loop);
    timer.start(static_cast<int>(std::clamp<long long>(ms, 0, 24LL * 3600 * 1000)));
    loop.exec();
}

long long WholeSecondsSince(const Timing& timing, Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::seconds>(timing.Now() - start).count();
}

}  // namespace zendra::core
