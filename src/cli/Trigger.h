#pragma once
// --repeat --trigger stdin: the next chip starts when a line of standard input says so, for a handler that
// drives the bench through two pipes (its commands in, the --json events out). "start" starts every
// waiting writer, "start PORT" that one; "stop" or the end of the input ends the loop once the running
// chips are done. A start for a writer still at work is refused with a "busy" warning, any other line
// with "unknown-command".

#include <QHash>
#include <QMutex>
#include <QStringList>
#include <QWaitCondition>
#include <memory>

#include "core/UserInterface.h"

namespace zendra::cli {

class Trigger {
public:
    // Reads standard input on a thread of its own, for these writers (their ports as given).
    static std::shared_ptr<Trigger> FromStdin(const QStringList& ports);
    explicit Trigger(const QStringList& ports);

    // Waits until a start names this writer (true), or the input stops or ends, or `cancel` (false).
    bool Await(const QString& port, const core::CancelToken& cancel);
    // The writer's chip has ended: a start for it is taken again.
    void Done(const QString& port);
    // One line of input; what a reading thread calls, and the tests.
    void Take(const QString& line);
    void Close();

private:
    enum class State { Waiting, Started, Busy };
    void Refuse(const char* code, const QString& message, const QString& port = {});

    QMutex m_mutex;
    QWaitCondition m_changed;
    QHash<QString, State> m_writers;
    bool m_closed = false;
};

}  // namespace zendra::cli
