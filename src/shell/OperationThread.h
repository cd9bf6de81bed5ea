#pragma once
// A writer operation on a thread of its own, which owns the port with blocking waits while the windows'
// thread keeps painting and taking clicks; and the way back from it to the windows.

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>

namespace zendra::shell {

// Runs `work` on a new thread and returns once it has ended; meanwhile this thread runs its events.
void RunOffWindowsThread(const std::function<void()>& work);

// Runs `call` on the thread of `windows` (an object of the windows' thread) and returns once it has run:
// at once when called there, else carried over while the caller waits.
void RunOnWindowsThread(QObject& windows, const std::function<void()>& call);

// Reads with `read` on a thread of its own (the chip store: it may take up to its deadline) and hands the
// value to `show` on the thread of `context`, unless `context` is gone by then. Returns at once.
template <class T>
void ReadOffWindowsThread(QObject* context, std::function<T()> read, std::function<void(const T&)> show) {
    auto value = std::make_shared<T>();
    QThread* reader = QThread::create([value, read = std::move(read)] { *value = read(); });
    QObject::connect(reader, &QThread::finished, context, [value, show = std::move(show)] { show(*value); });
    QObject::connect(reader, &QThread::finished, reader, &QObject::deleteLater);
    reader->start();
}

}  // namespace zendra::shell
