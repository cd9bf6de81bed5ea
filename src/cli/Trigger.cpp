#include "cli/Trigger.h"

#include <iostream>
#include <string>
#include <thread>

#include "cli/Console.h"
#include "cli/Events.h"

namespace zendra::cli {

namespace {

// How late Ctrl-C is seen by a writer waiting for its start.
constexpr unsigned long kCancelPollMs = 100;

}  // namespace

std::shared_ptr<Trigger> Trigger::FromStdin(const QStringList& ports) {
    auto trigger = std::make_shared<Trigger>(ports);
    // Detached: a read of standard input cannot be interrupted, and the process may end while it waits.
    std::thread([trigger] {
        std::string line;
        while (std::getline(std::cin, line)) trigger->Take(QString::fromStdString(line));
        trigger->Close();
    }).detach();
    return trigger;
}

// Every writer waits for its first start from the beginning, so a start sent at once is never refused.
Trigger::Trigger(const QStringList& ports) {
    for (const QString& port : ports) m_writers.insert(port, State::Waiting);
}

bool Trigger::Await(const QString& port, const core::CancelToken& cancel) {
    QMutexLocker locker(&m_mutex);
    for (;;) {
        if (cancel.IsCancelled()) return false;
        if (m_writers.value(port) == State::Started) {
            m_writers[port] = State::Busy;
            return true;
        }
        if (m_closed) return false;
        m_changed.wait(&m_mutex, kCancelPollMs);
    }
}

void Trigger::Done(const QString& port) {
    const QMutexLocker locker(&m_mutex);
    m_writers[port] = State::Waiting;
}

void Trigger::Close() {
    const QMutexLocker locker(&m_mutex);
    m_closed = true;
    m_changed.wakeAll();
}

void Trigger::Take(const QString& line) {
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words == QStringList{QStringLiteral("stop")}) return Close();
    if (words.value(0) != QLatin1String("start") || words.size() > 2 ||
        (words.size() == 2 && !m_writers.contains(words[1])))
        return Refuse("unknown-command", T(texts::kTriggerUnknown).arg(line));
    QStringList busy;
    {
        const QMutexLocker locker(&m_mutex);
        if (m_closed) return;
        for (auto it = m_writers.begin(); it != m_writers.end(); ++it) {
            if (words.size() == 2 && it.key() != words[1]) continue;
            if (it.value() == State::Waiting)
                it.value() = State::Started;
            else
                busy << it.key();
        }
        m_changed.wakeAll();
    }
    for (const QString& port : busy) Refuse("busy", T(texts::kTriggerBusy).arg(port), port);
}

void Trigger::Refuse(const char* code, const QString& message, const QString& port) {
    PrintErr(message);
    events::Emit("warning", {{"code", QLatin1String(code)}, {"message", message}}, port);
}

}  // namespace zendra::cli
