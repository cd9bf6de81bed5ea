#pragma once

#include <optional>
// Serves a WriterModel on a pseudo-terminal: one poll() loop, optional line-time emulation, the wire log
// and the state dump. The loop holds its own descriptor of the terminal side, so a host that closes and
// reopens the port finds the same writer (no hang-up, state kept).

#include <QFile>
#include <QString>
#include <chrono>
#include <csignal>
#include <deque>

#include "WriterModel.h"

namespace zendra::virtualwriter {

struct PtyOptions {
    int baud = 0;         // 0: bytes take no time on the line
    // A USB serial adapter between writer and host: what it received goes on this long after the first
    // byte, as one burst (sooner when a packet is full). 0: no adapter.
    std::chrono::milliseconds adapterLatency{0};
    QString dumpPath;     // written after every completed update and on exit; empty: none
    QString wireLogPath;  // empty: none
    // Lines on standard input change the socket: "remove" empties it, "insert [CHIP]" seats a fresh chip.
    bool commands = false;
};

class PtyWriter {
public:
    using SteadyClock = std::chrono::steady_clock;

    PtyWriter(WriterModel& model, PtyOptions options);
    ~PtyWriter();
    PtyWriter(const PtyWriter&) = delete;
    PtyWriter& operator=(const PtyWriter&) = delete;

    // Creates the pseudo-terminal (raw mode on the terminal side) and opens the wire log.
    bool Open(QString* error);
    QString TerminalPath() const { return m_terminalPath; }

    // Serves until `stop` becomes non-zero (set from a signal handler). SIGTERM, SIGINT and SIGHUP must
    // be blocked by the caller; they are let through only while the loop waits, so none is missed.
    void Run(const volatile std::sig_atomic_t& stop);

    // Writes the state dump if one was asked for; false (with the reason) when it could not be written.
    bool WriteDump(QString* error) const;

private:
    struct TimedByte {
        quint8 byte;
        SteadyClock::time_point due;
    };
    void ReceiveAvailable(SteadyClock::time_point now);
    void ProcessDueInput(SteadyClock::time_point now);
    void SendDueOutput(SteadyClock::time_point now);
    void FlushWireLog();
    void ReadCommands();
    std::optional<std::chrono::nanoseconds> PollTimeout(SteadyClock::time_point now) const;

    WriterModel& m_model;
    PtyOptions m_options;
    SteadyClock::duration m_byteTime{0};
    SteadyClock::time_point m_start;
    int m_master = -1;
    int m_terminal = -1;
    QString m_terminalPath;
    std::deque<TimedByte> m_input;
    std::deque<TimedByte> m_output;
    QByteArray m_unsent;  // due bytes the terminal did not take yet
    QByteArray m_held;    // bytes the emulated adapter holds back
    SteadyClock::time_point m_heldSince;
    SteadyClock::time_point m_inputLineFree;
    SteadyClock::time_point m_outputLineFree;
    int m_dumpedUpdates = 0;
    QFile m_wireLog;
    QByteArray m_commandText;
};

}  // namespace zendra::virtualwriter
