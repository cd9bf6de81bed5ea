#include "cli/Events.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <atomic>

#include "cli/Console.h"
#include "cli/Plan.h"
#include "cli/Render.h"
#include "core/Product.h"
#include "devices/Encodings.h"
#include "production/Stamp.h"

namespace zendra::cli::events {

namespace {

std::atomic<bool> g_on{false};
std::atomic<bool> g_broken{false};

// A progress event at most this often per writer: a reader's pace, not the wire's.
constexpr qint64 kProgressIntervalMs = 100;

QString MemoryName(operations::Memory memory) {
    return memory == operations::Memory::Flash ? QStringLiteral("flash") : QStringLiteral("eeprom");
}

}  // namespace

void Enable() { g_on = true; }
bool On() { return g_on.load(); }

void Emit(const char* event, QJsonObject fields, const QString& port) {
    if (!On()) return;
    fields.insert("event", QLatin1String(event));
    fields.insert("time", QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    if (!port.isEmpty()) fields.insert("port", port);
    if (!StreamLine(QJsonDocument(fields).toJson(QJsonDocument::Compact))) g_broken = true;
}

void Start(const QString& command) {
    Emit("start", {{"schema", kSchema}, {"version", core::kVersionText}, {"command", command}});
}

int End(int exitCode) {
    Emit("end", {{"exitCode", exitCode}});
    if (!g_broken) return exitCode;
    // The reader went away: the run itself ended as it did, but what it told was lost.
    PrintErr(T(texts::kStreamLost));
    return exitCode == kExitSuccess ? int(kExitLink) : exitCode;
}

QString CodeOf(int exitCode) {
    switch (exitCode) {
        case kExitSuccess:
            return QStringLiteral("ok");
        case kExitMismatch:
            return QStringLiteral("mismatch");
        case kExitLink:
            return QStringLiteral("link");
        case kExitInput:
            return QStringLiteral("input");
        case kExitUsage:
            return QStringLiteral("usage");
        case kExitChip:
            return QStringLiteral("chip");
        case kExitCancelled:
            return QStringLiteral("cancelled");
    }
    return QStringLiteral("failed");
}

void Record(const production::ChipRecord& record) {
    Emit("record", {{"record", RecordJson(record)}}, record.port);
}

void ChipEnded(const Plan& plan, const ChipResult& r) {
    const QString& port = r.port;
    if (!r.firmware.isEmpty()) Emit("writer", {{"firmware", r.firmware}}, port);
    if (!r.signature.isEmpty() || !r.device.isEmpty())
        Emit("chip", {{"signature", r.signature}, {"device", r.deviceName.isEmpty() ? r.device : r.deviceName}}, port);
    if (r.report) {
        const operations::Report& report = *r.report;
        if (report.calibrationCopied)
            Emit("calibration",
                 {{"value", devices::CalibrationText(*report.calibrationCopied)},
                  {"place", plan.calibrationAt ? production::PlaceText(*plan.calibrationAt) : QString()}},
                 port);
        for (const QString& warning : report.warnings)
            Emit("warning", {{"code", QStringLiteral("operation")}, {"message", Tr(warning)}}, port);
        if (report.diagnosis)
            Emit("notice",
                 {{"code", QStringLiteral("diagnosis-") + operations::DiagnosisKindName(report.diagnosis->kind)},
                  {"message", Tr(report.diagnosis->message)}},
                 port);
        for (const operations::Difference& d : report.differences)
            Emit("difference",
                 {{"memory", MemoryName(d.memory)}, {"address", d.address}, {"file", d.expected}, {"chip", d.actual}},
                 port);
        if (!report.lockFuseBefore.Empty() || !report.lockFuseWritten.Empty() || !report.changes.isEmpty()) {
            const QJsonObject lockFuse = LockFuseJson(r);
            Emit("lockfuse",
                 {{"device", lockFuse["device"]},
                  {"before", lockFuse["before"]},
                  {"after", lockFuse["written"]},
                  {"changes", lockFuse["changes"]}},
                 port);
        }
        if (plan.command == QLatin1String("fuse-read") && report.panel && report.errorFlag == 0) {
            QJsonArray choices;
            for (const QString& line : r.data) choices.append(line);
            Emit("fuses", {{"device", r.deviceName}, {"choices", choices}}, port);
        }
    }
    if (r.recordId > 0) {
        // The record as the store keeps it, its verdict included: read back, as history shows it.
        production::ChipStore store(plan.dbPath);
        QList<production::ChipRecord> records;
        production::StoreResult result = store.Open();
        if (result.Ok()) result = store.History({.id = r.recordId}, records);
        if (!result.Ok())
            Emit("warning", {{"code", QStringLiteral("store")}, {"message", StoreProblemText(result)}}, port);
        for (const production::ChipRecord& record : records) Emit("record", {{"record", RecordJson(record)}}, port);
    }
    if (r.exitCode != kExitSuccess) Emit("error", {{"code", CodeOf(r.exitCode)}, {"message", r.message}}, port);
    const double seconds = r.report ? r.report->figures.seconds : r.started.msecsTo(r.finished) / 1000.0;
    Emit("verdict", {{"verdict", VerdictWord(r)}, {"exitCode", r.exitCode}, {"reason", r.message}, {"seconds", seconds}},
         port);
}

void Progress::Step(int value, int maximum) {
    m_inner.Step(value, maximum);
    if (m_phase.isEmpty() || maximum <= 0) return;
    if (m_sent.isValid() && m_sent.elapsed() < kProgressIntervalMs) return;
    m_sent.start();
    Emit("progress", {{"phase", m_phase}, {"done", value}, {"total", maximum}}, m_port);
}

void Progress::SerialTaken(const QString& series, qint64 number) {
    m_inner.SerialTaken(series, number);
    Emit("serial", {{"series", series}, {"number", double(number)}, {"place", m_serialPlace}}, m_port);
}

void Progress::PhaseBegun(const QString& name) {
    m_phase = name;
    m_sent.invalidate();
    Emit("phase", {{"phase", name}, {"state", QStringLiteral("start")}}, m_port);
}

void Progress::PhaseEnded(const QString& name, bool ok) {
    // A phase that failed before its work began was never announced: it starts and ends here.
    if (m_phase != name) Emit("phase", {{"phase", name}, {"state", QStringLiteral("start")}}, m_port);
    m_phase.clear();
    Emit("phase", {{"phase", name}, {"state", QStringLiteral("end")}, {"ok", ok}}, m_port);
}

}  // namespace zendra::cli::events
