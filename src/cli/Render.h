#pragma once
// The reports as zendra-cli shows and keeps them: the result line, the detail lines, the JSON report and
// the chip log's CSV line.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QStringList>

#include "cli/ChipResult.h"
#include "devices/Encodings.h"
#include "production/ChipStore.h"

namespace zendra::cli {

struct Plan;

// The word for how a chip's run ended, also when it ended before an operation ran.
QString VerdictWord(const ChipResult& r);
// "succeeded - text (1.2 s)", with the port in front when several writers run.
QString ResultLine(const ChipResult& r, bool alone);
// One verify difference: memory, address, the file's and the chip's value.
QString DifferenceLine(const operations::Difference& d);
// "diagnosis (address-line): ...": what a verify's differences mean, shown above them.
QString DiagnosisLine(const operations::Diagnosis& d);
// The lock/fuse choices as NAME=VALUE lines with the choice's name: the controls the device has, and the
// lock.
QStringList ChoiceLines(const devices::Device* device, const devices::PanelIndexes& choices);
// What a code file's lock/fuse bytes choose on the device (one line, empty when it has none), and a line
// naming the fields whose byte matches no choice.
QStringList FileFuseLines(const devices::Device* device, const operations::LockFuseBytes& bytes);
// A lock/fuse write's change table: one line a changed field (name, choice before and after, class).
QStringList ChangeLines(const devices::Device* device, const QList<operations::FieldChange>& changes);
// A lock/fuse command's bytes before, written and the changed fields with their classes (r.report set).
QJsonObject LockFuseJson(const ChipResult& r);
// The whole run as the JSON report; `failure`: why it ended before any writer was touched.
QByteArray ReportJson(const Plan& plan, const QList<ChipResult>& results, int exitCode, const QString& failure = {});
// The chip log's CSV line for one chip, and the header a new log starts with.
QByteArray LogLine(const Plan& plan, const ChipResult& r);
// Why the chip store would not serve, in the chosen language.
QString StoreProblemText(const production::StoreResult& problem);
// The store's records: one tab-separated line each, or one JSON array of objects.
QString HistoryLine(const production::ChipRecord& record);
QJsonObject RecordJson(const production::ChipRecord& record);
QByteArray HistoryJson(const QList<production::ChipRecord>& records);
inline constexpr char kLogHeader[] = "time,port,firmware,device,signature,file_sha256,command,verdict,seconds,"
                                   "lockfuse_before,lockfuse_written\n";

}  // namespace zendra::cli
