#pragma once
// --json: standard output becomes a stream of events, one JSON object a line, each written and flushed
// at once, for the programs that drive a bench. The events are rendered from what the run reports (its
// progress as it goes, the chip's result at its end); text for people stays on standard error.

#include <QJsonObject>
#include <QString>
#include <QElapsedTimer>

#include "cli/ChipResult.h"
#include "core/UserInterface.h"
#include "production/ChipStore.h"

namespace zendra::cli {

struct Plan;

namespace events {

// The stream's version: raised by a change that would break a reader.
inline constexpr int kSchema = 1;

// On for the rest of the process; standard output is then the stream's alone.
void Enable();
bool On();
// One event: `event`, `time` (UTC, milliseconds) and, for a writer's events, `port`, then `fields`.
void Emit(const char* event, QJsonObject fields, const QString& port = {});
// The first and the last line. End returns the exit code, the link's when the stream could not be
// written (a reader that went away).
void Start(const QString& command);
int End(int exitCode);

// The stable code of an exit code: "mismatch", "link", "input", "usage", "chip", "cancelled".
QString CodeOf(int exitCode);
// A chip's outcome on one writer (its serial number is told as it is taken): writer, chip, calibration, difference, lockfuse, record,
// error, verdict, in this order (those that apply).
void ChipEnded(const Plan& plan, const ChipResult& result);
// One record of the chip store.
void Record(const production::ChipRecord& record);

// The running account of one writer's run as phase and progress events, passed on to the console's.
class Progress final : public core::Progress {
public:
    // `serialPlace`: where the stamp goes, told with a number the chip takes.
    Progress(core::Progress& inner, QString port, QString serialPlace = {})
        : m_inner(inner), m_port(std::move(port)), m_serialPlace(std::move(serialPlace)) {}

    void Status(core::StatusField field, const QString& text) override { m_inner.Status(field, text); }
    void Phase(const QString& text) override { m_inner.Phase(text); }
    void Step(int value, int maximum) override;
    void Notice(const QString& text) override { m_inner.Notice(text); }
    void CloseMessage() override { m_inner.CloseMessage(); }
    void PhaseBegun(const QString& name) override;
    void PhaseEnded(const QString& name, bool ok) override;
    void SerialTaken(const QString& series, qint64 number) override;

private:
    core::Progress& m_inner;
    QString m_port;
    QString m_serialPlace;
    QString m_phase;  // begun and not yet ended
    QElapsedTimer m_sent;
};

}  // namespace events
}  // namespace zendra::cli
