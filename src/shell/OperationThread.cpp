#include "shell/OperationThread.h"

#include <QEventLoop>
#include <QThread>
#include <memory>

namespace zendra::shell {

void RunOffWindowsThread(const std::function<void()>& work) {
    QEventLoop loop;
    const std::unique_ptr<QThread> thread(QThread::create(work));
    // Queued: a thread that ends before the loop starts still ends it.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    thread->start();
    loop.exec();
    thread->wait();
}

void RunOnWindowsThread(QObject& windows, const std::function<void()>& call) {
    if (QThread::currentThread() == windows.thread()) return call();
    QMetaObject::invokeMethod(&windows, call, Qt::BlockingQueuedConnection);
}

}  // namespace zendra::shell
