#include "cli/Render.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "cli/Console.h"
#include "cli/Plan.h"
#include "core/Product.h"
#include "link/LinkTexts.h"
#include "production/ChipStore.h"

namespace zendra::cli {

QJsonObject LockFuseJson(const ChipResult& r) {
    const operations::Report& report = *r.report;
    const auto bytes = [](const operations::LockFuseBytes& b) {
        QJsonObject object;
        const auto hex = [](quint8 v) { return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper(); };
        if (b.fuse) object.insert("fuse", hex(*b.fuse));
        if (b.fuseHigh) object.insert("fuseHigh", hex(*b.fuseHigh));
        if (b.lock) object.insert("lock", hex(*b.lock));
        return object;
    };
    QJsonArray changes;
    for (const operations::FieldChange& c : report.changes)
        changes.append(QJsonObject{{"field", devices::ControlName(c.control)},
                                   {"before", c.before ? QJsonValue(*c.before) : QJsonValue()},
                                   {"after", c.after},
                                   {"class", devices::ChangeClassName(c.change)}});
    return QJsonObject{{"device", r.deviceName},
                       {"before", bytes(report.lockFuseBefore)},
                       {"written", bytes(report.lockFuseWritten)},
                       {"changes", changes}};
}

namespace {

QJsonObject ChipJson(const Plan& plan, const ChipResult& r) {
    QJsonObject o{{"port", r.port},           {"path", r.path},
                  {"firmware", r.firmware},   {"device", r.device},
                  {"signature", r.signature}, {"exitCode", r.exitCode},
                  {"message", r.message},     {"time", r.finished.toString(Qt::ISODate)}};
    QJsonArray files;
    for (const InputFile& f : plan.files)
        files.append(QJsonObject{{"role", f.role}, {"path", f.path}, {"sha256", f.sha256}});
    o.insert("files", files);
    if (!r.report) {
        o.insert("verdict", VerdictWord(r));
        return o;
    }
    const operations::Report& report = *r.report;
    o.insert("verdict", VerdictWord(r));
    o.insert("status", Tr(report.status));
    o.insert("exchanges", double(report.figures.exchanges));
    o.insert("bytesOut", double(report.figures.bytesOut));
    o.insert("bytesIn", double(report.figures.bytesIn));
    o.insert("seconds", report.figures.seconds);
    QJsonArray phases;
    for (const auto& p : report.phases)
        phases.append(QJsonObject{{"phase", operations::PhaseName(p.phase)}, {"ok", p.ok}, {"text", Tr(p.text)}});
    o.insert("phases", phases);
    QJsonArray differences;
    for (const auto& d : report.differences)
        differences.append(QJsonObject{{"memory", d.memory == operations::Memory::Flash ? "flash" : "eeprom"},
                                       {"address", d.address},
                                       {"file", d.expected},
                                       {"chip", d.actual}});
    o.insert("differences", differences);
    if (report.diagnosis) {
        QJsonObject diagnosis{{"kind", operations::DiagnosisKindName(report.diagnosis->kind)},
                              {"message", Tr(report.diagnosis->message)}};
        if (report.diagnosis->line) diagnosis.insert("line", *report.diagnosis->line);
        if (report.diagnosis->bit) diagnosis.insert("bit", *report.diagnosis->bit);
        o.insert("diagnosis", diagnosis);
    }
    if (r.serial) o.insert("serial", double(*r.serial));
    if (!r.stamp.isEmpty()) o.insert("serialValue", production::HexOf(r.stamp));
    if (r.line) o.insert("serialLine", double(*r.line));
    if (report.calibrationCopied) o.insert("calibration", devices::CalibrationText(*report.calibrationCopied));
    if (!report.lockFuseBefore.Empty() || !report.lockFuseWritten.Empty() || !report.changes.isEmpty())
        o.insert("lockFuse", LockFuseJson(r));
    return o;
}

// A field with a comma, a quote or a line break is quoted, its quotes doubled.
QString CsvField(QString text) {
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n')) ||
        text.contains(QLatin1Char('\r'))) {
        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        text = QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

}  // namespace

QString VerdictWord(const ChipResult& r) {
    if (r.outputFailed) return QStringLiteral("output-failed");
    if (r.report) return operations::VerdictName(r.report->verdict);
    switch (r.exitCode) {
        case kExitSuccess:
            return QStringLiteral("succeeded");
        case kExitInput:
            return QStringLiteral("input-invalid");
        case kExitUsage:
            return QStringLiteral("no-device");
        case kExitChip:
            return QStringLiteral("chip-refused");
        case kExitCancelled:
            return QStringLiteral("cancelled");
        default:
            return QStringLiteral("link-failed");
    }
}

QString ResultLine(const ChipResult& r, bool alone) {
    QString line = alone ? QString() : r.port + QStringLiteral(": ");
    line += VerdictWord(r);
    // One line, whatever line breaks the operation's text has.
    if (!r.message.isEmpty())
        line += QStringLiteral(" - ") +
                r.message.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts).join(QLatin1Char(' '));
    if (r.report) line += QStringLiteral(" (%1 s)").arg(r.report->figures.seconds, 0, 'f', 1);
    return line;
}

QString DifferenceLine(const operations::Difference& d) {
    const bool flash = d.memory == operations::Memory::Flash;
    const int digits = flash ? 4 : 2;
    const auto hex = [](int value, int width) {
        return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
    };
    return QStringLiteral("%1 %2 %3: %4 %5 %6 %7")
        .arg(T(texts::kDifference), flash ? QStringLiteral("flash") : QStringLiteral("eeprom"), hex(d.address, 4),
             T(texts::kFileValue), hex(d.expected, digits), T(texts::kChipValue), hex(d.actual, digits));
}

QString DiagnosisLine(const operations::Diagnosis& d) {
    return T(texts::kDiagnosis).arg(operations::DiagnosisKindName(d.kind), Tr(d.message));
}

QStringList FileFuseLines(const devices::Device* device, const operations::LockFuseBytes& bytes) {
    if (bytes.Empty()) return {};
    const QList<core::PanelControl> unmatched = operations::UnmatchedLockFuseFields(device, bytes);
    const devices::PanelIndexes choices =
        operations::FileLockFuseChoices(device, bytes, devices::DefaultChoices(device), unmatched);
    QStringList lines{T(texts::kFileFuses).arg(ChoiceLines(device, choices).join(QLatin1Char(' ')))};
    QStringList names;
    for (const core::PanelControl control : unmatched) names << devices::ControlName(control);
    if (!names.isEmpty()) lines << T(texts::kFileFuseUnmatched).arg(names.join(QStringLiteral(", ")));
    return lines;
}

QStringList ChoiceLines(const devices::Device* device, const devices::PanelIndexes& choices) {
    const devices::PanelDefaults setup = devices::PanelFor(device);
    QStringList lines;
    for (int i = 0; i < core::kPanelControlCount; ++i) {
        if (!setup.controls[i].enabled) continue;
        const auto control = core::PanelControl(i);
        lines << devices::ControlName(control) + QLatin1Char('=') + QString::number(choices[i]) + QStringLiteral(" (") +
                     Tr(operations::ChoiceName(device, control, choices[i])) + QLatin1Char(')');
    }
    return lines;
}

QStringList ChangeLines(const devices::Device* device, const QList<operations::FieldChange>& changes) {
    if (changes.isEmpty()) return {T(texts::kNoChange)};
    QStringList lines{T(texts::kChangeHeader)};
    for (const operations::FieldChange& c : changes)
        lines << QStringLiteral("  %1: %2 -> %3 [%4]")
                     .arg(devices::ControlName(c.control), Tr(operations::ChoiceName(device, c.control, c.before)),
                          Tr(operations::ChoiceName(device, c.control, c.after)), devices::ChangeClassName(c.change));
    return lines;
}


QByteArray ReportJson(const Plan& plan, const QList<ChipResult>& results, int exitCode, const QString& failure) {
    QJsonArray runs;
    for (const ChipResult& r : results) runs.append(ChipJson(plan, r));
    QJsonObject document{{"command", plan.command},
                         {"program", QStringLiteral("zendra-cli ") + core::kVersionText},
                         {"runs", runs},
                         {"exitCode", exitCode}};
    if (!failure.isEmpty()) {
        // Ended before any writer was touched: the verdict and the reason stand at the top.
        document.insert("verdict", exitCode == kExitUsage  ? QStringLiteral("usage-error")
                                   : exitCode == kExitLink ? QStringLiteral("store-failed")
                                   : exitCode == kExitCancelled ? QStringLiteral("cancelled")
                                                           : QStringLiteral("input-invalid"));
        document.insert("message", failure);
    }
    return QJsonDocument(document).toJson();
}

QString StoreProblemText(const production::StoreResult& problem) {
    using production::StoreProblem;
    switch (problem.problem) {
        case StoreProblem::CannotOpen:
            return T(texts::kStoreCannotOpen).arg(problem.detail);
        case StoreProblem::Locked:
            return T(texts::kStoreLocked).arg(problem.detail);
        case StoreProblem::NewerSchema:
            return T(texts::kStoreNewer).arg(problem.detail);
        case StoreProblem::SeriesExhausted:
            return T(texts::kSeriesExhausted).arg(problem.detail);
        case StoreProblem::Missing:
            return T(texts::kNoStore).arg(problem.detail);
        case StoreProblem::TimedOut:
            return T(texts::kStoreNoAnswer).arg(production::ChipStore::kDeadlineMs / 1000);
        case StoreProblem::Cancelled:
            return Tr(link::texts::kCancelled);
        case StoreProblem::ListExhausted:  // the job says these in the list's own words
        case StoreProblem::ListChanged:
        case StoreProblem::ValueIssued:
        case StoreProblem::None:
        case StoreProblem::Failed:
            break;
    }
    return T(texts::kStoreFailed).arg(problem.detail);
}

QJsonObject RecordJson(const production::ChipRecord& r) {
    QJsonArray files;
    for (const production::FileDigest& f : r.files)
        files.append(QJsonObject{{"role", f.role}, {"path", f.path}, {"sha256", f.sha256}});
    return QJsonObject{{"id", double(r.id)},
                       {"time", r.time.toString(Qt::ISODateWithMs)},
                       {"bench", r.bench},
                       {"port", r.port},
                       {"firmware", r.firmware},
                       {"device", r.device},
                       {"signature", r.signature},
                       {"command", r.command},
                       {"files", files},
                       {"series", r.series.isEmpty() ? QJsonValue() : QJsonValue(r.series)},
                       {"serial", r.serial ? QJsonValue(double(*r.serial)) : QJsonValue()},
                       {"serialValue", r.stamp.isEmpty() ? QJsonValue() : QJsonValue(production::HexOf(r.stamp))},
                       {"serialLine", r.line ? QJsonValue(double(*r.line)) : QJsonValue()},
                       {"calibration", r.calibration ? QJsonValue(devices::CalibrationText(*r.calibration)) : QJsonValue()},
                       {"lockFuseBefore", r.lockFuseBefore},
                       {"lockFuseAfter", r.lockFuseAfter},
                       {"verdict", production::ShownVerdict(r)},
                       {"seconds", r.seconds},
                       {"locked", r.lockState == QLatin1String("locked")},
                       {"wasLocked", r.lockState == QLatin1String("was-locked")},
                       {"firstRecord", r.firstRecord ? QJsonValue(double(*r.firstRecord)) : QJsonValue()},
                       // null: the chip was not run by a production station
                       {"stationLocked", r.station ? QJsonValue(r.station->locked) : QJsonValue()},
                       {"unlockedBy", r.station ? QJsonValue(r.station->unlockedBy) : QJsonValue()}};
}

namespace {

// One field of a history line: a tab or a line break in a series name or a port must not make a new
// column or line, so they and the backslash are written as \t, \n, \r and \\.
QString HistoryField(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '\\': out += QStringLiteral("\\\\"); break;
            case '\t': out += QStringLiteral("\\t"); break;
            case '\n': out += QStringLiteral("\\n"); break;
            case '\r': out += QStringLiteral("\\r"); break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

QString HistoryLine(const production::ChipRecord& r) {
    QStringList files;
    for (const production::FileDigest& f : r.files) files << f.role + QLatin1Char('=') + f.sha256;
    QStringList fields{QString::number(r.id), r.time.toString(Qt::ISODate), r.bench, r.port, r.command,
                       Tr(r.device), r.signature,
                       r.serial ? r.series + QLatin1Char(':') + QString::number(*r.serial) : QStringLiteral("-"),
                       r.calibration ? devices::CalibrationText(*r.calibration) : QStringLiteral("-"),
                       production::ShownVerdict(r), QString::number(r.seconds, 'f', 2), r.lockFuseBefore,
                       r.lockFuseAfter, files.join(QLatin1Char(' ')),
                       // Added at the end, so the columns before keep their places.
                       r.lockState.isEmpty() ? QStringLiteral("-") : r.lockState,
                       r.firstRecord ? QStringLiteral("#") + QString::number(*r.firstRecord) : QStringLiteral("-")};
    for (QString& field : fields) field = HistoryField(field);
    return fields.join(QLatin1Char('\t'));
}

QByteArray HistoryJson(const QList<production::ChipRecord>& records) {
    QJsonArray array;
    for (const production::ChipRecord& r : records) array.append(RecordJson(r));
    return QJsonDocument(array).toJson();
}

QByteArray LogLine(const Plan& plan, const ChipResult& r) {
    QString sha;
    for (const InputFile& f : plan.files)
        if (f.role == QLatin1String("code") || f.role == QLatin1String("firmware")) sha = f.sha256;
    QStringList fields{r.finished.toString(Qt::ISODate),
                       r.port,
                       r.firmware,
                       r.device,
                       r.signature,
                       sha,
                       plan.command,
                       VerdictWord(r),
                       r.report ? QString::number(r.report->figures.seconds, 'f', 2) : QString(),
                       r.report ? operations::LockFuseBytesText(r.report->lockFuseBefore) : QString(),
                       r.report ? operations::LockFuseBytesText(r.report->lockFuseWritten) : QString()};
    for (QString& field : fields) field = CsvField(field);
    return fields.join(QLatin1Char(',')).toUtf8() + '\n';
}

}  // namespace zendra::cli
