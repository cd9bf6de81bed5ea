#pragma once
// A writer operation on a thread of its own, which owns the port with blocking waits while the windows'
// thread keeps painting and taking clicks; and the way back from it to the windows.

#include <QObject>
#include <functional>

namespace zendra::shell {

// Runs `work` on a new thread and returns once it has ended; meanwhile this thread runs its events.
void RunOffWindowsThread(const std::function<void()>& work);

// Runs `call` on the thread of `windows` (an object of the windows' thread) and returns once it has run:
// at once when called there, else carried over while the caller waits.
void RunOnWindowsThread(QObject& windows, const std::function<void()>& call);

}  // namespace zendra::shell
