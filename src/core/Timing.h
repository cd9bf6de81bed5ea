#pragma once
// Time as the logic sees it: a monotonic clock, the blocking pause and the responsive wait.
// Injected so that tests run a 5-second time-out in microseconds with a fake clock.

#include <chrono>
#include <functional>

class QEventLoop;

namespace zendra::core {

using Clock = std::chrono::steady_clock;
using Duration = std::chrono::nanoseconds;
using std::chrono::milliseconds;

class Timing {
public:
    virtual ~Timing() = default;
    // Monotonic: never jumps at midnight or when the wall clock is set.
    virtual Clock::time_point Now() const = 0;
    // Blocking pause: no events run while it lasts.
    virtual void Sleep(milliseconds pause) = 0;
    // Responsive wait: window events run, the CPU idles, returns after `span`.
    virtual void RunEventsFor(Duration span) = 0;
};

// True on the thread that runs the windows' events (never in a program without windows).
bool OnWindowsThread();

// The real clock; RunEventsFor runs a local event loop with a single-shot timer on the windows' thread, and
// is a plain sleep anywhere else (the command line, an operation's thread), where no window needs events.
class SystemTiming final : public Timing {
public:
    Clock::time_point Now() const override;
    void Sleep(milliseconds pause) override;
    void RunEventsFor(Duration span) override;
};

// The one local event-loop wait: runs the thread's events until `span` has passed (at most a day) or until
// something `alsoEnds` connects to the loop's quit happens first.
void WaitInLocalLoop(Duration span, const std::function<void(QEventLoop&)>& alsoEnds = {});

// Whole seconds elapsed since `start` (truncated), as the status bar shows them.
long long WholeSecondsSince(const Timing& timing, Clock::time_point start);

}  // namespace zendra::core
