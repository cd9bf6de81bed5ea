#include "operations/Station.h"

#include <QCryptographicHash>
#include <QRegularExpression>

#include "core/BoundedFile.h"
#include "devices/Catalogue.h"
#include "devices/Encodings.h"
#include "image/CodeFormats.h"
#include "image/IntelHex.h"
#include "link/LinkTexts.h"
#include "core/Settings.h"
#include "production/Stamp.h"

namespace zendra::operations {

namespace {

// Why a file cannot be read, in the readers' words; none when it can.
std::optional<QString> UnreadableFile(const core::BoundedRead& read) {
    if (read.Ok()) return std::nullopt;
    image::CodeReadResult result;
    result.rejection = image::CodeRejection::Unreadable;
    result.file = read.refusal;
    result.systemReason = read.systemReason;
    return image::DescribeRejection(result);
}

// A file of the setup parsed into `images`; the reader's refusal otherwise.
std::optional<QString> ReadStationFile(const QString& path, bool code, const devices::Device* device,
                                       image::MemoryImages& images, QList<production::FileDigest>& files) {
    const core::BoundedRead read = core::ReadBoundedFile(path);
    if (const auto refused = UnreadableFile(read)) return refused;
    image::CodeReadResult result;
    const image::CodeFormat format = image::FormatOf(path, read.bytes);
    result = code ? image::ParseCode(format, read.bytes, images.ProgramImage,
                                     device ? device->flashWords : image::kProgramImageSize / 2)
                  : image::ParseEeprom(format, read.bytes, images.EepromImage,
                                       device ? device->eepromBytes : image::kEepromImageSize);
    if (!result.Accepted()) return image::DescribeRejection(result);
    files.append({code ? QStringLiteral("code") : QStringLiteral("eeprom"), path,
                  QString::fromLatin1(QCryptographicHash::hash(read.bytes, QCryptographicHash::Sha256).toHex())});
    return std::nullopt;
}

}  // namespace

StationJob LoadStationJob(const QString& setupPath, bool changedAllowed) {
    StationJob out;
    out.setupPath = setupPath;
    const production::SetupLoad load = production::LoadSetup(setupPath);
    if (load.problem != production::SetupProblem::None) {
        out.problem = StationProblem::SetupUnreadable;
        out.detail = load.problem == production::SetupProblem::BadValue ? load.key : load.reason;
        if (out.detail.isEmpty()) out.detail = UnreadableFile(core::ReadBoundedFile(setupPath)).value_or(QString());
        return out;
    }
    const production::BenchSetup& setup = out.setup = load.setup;
    if (const QStringList changed = changedAllowed ? QStringList() : production::ChangedFiles(setup, setupPath);
        !changed.isEmpty()) {
        out.problem = StationProblem::FilesChanged;
        out.detail = changed.join(QStringLiteral(", "));
        return out;
    }
    Job& job = out.job;
    job.command = JobCommand::Program;
    if (!setup.device.isEmpty()) {
        const auto index = devices::FindDevice(setup.device);
        if (!index) {
            out.problem = StationProblem::DeviceUnknown;
            out.detail = setup.device;
            return out;
        }
        job.device = devices::DeviceAt(*index);
    }
    job.deviceFromSignature = job.device == nullptr;
    image::ClearProgramImage(job.images);
    image::ClearEepromImage(job.images);
    QList<std::pair<QString, bool>> files{{production::ResolvedPath(setupPath, setup.code.path), true}};
    if (setup.programEeprom && setup.eeprom) files.append({production::ResolvedPath(setupPath, setup.eeprom->path), false});
    for (const auto& [path, code] : files) {
        if (const auto refused = ReadStationFile(path, code, job.device, job.images, job.files)) {
            out.problem = StationProblem::FileRefused;
            out.detail = path + QStringLiteral(": ") + *refused;
            return out;
        }
    }
    if (const auto refused = TakeSetupChoices(setup, job.device, job.lockFuse.choices)) {
        const production::SetupChoice& item = setup.lockFuse.at(refused->at);
        out.problem = StationProblem::ChoiceUnknown;
        out.detail = item.field + QLatin1Char('=') + item.choice;
        return out;
    }
    ProductionSettings& p = job.production;
    if (!setup.serialAt.isEmpty()) {
        p.stampAt = production::ParsePlace(setup.serialAt);
        p.layout = production::ParseSerialLayout(setup.serialFormat).value_or(production::SerialLayout{});
        p.start = setup.serialStart;
        p.step = setup.serialStep;
        if (!setup.series.isEmpty()) p.series = setup.series;
        // As the command line runs the setup: a list's or a program's values, or a counter's policy.
        if (!setup.serialList.isEmpty()) {
            p.kind = production::SeriesKind::List;
            p.listPath = production::ResolvedPath(setupPath, setup.serialList);
        } else if (!setup.serialCommand.isEmpty()) {
            p.kind = production::SeriesKind::Command;
            p.command = setup.serialCommand;
            p.commandFolder = production::SetupFolderPath(setupPath);
            p.layout = production::SerialLayout{.format = production::SerialFormat::U8};
        } else {
            p.keep = SerialKeepOf(setup.serialKeep);
            p.reuseFailed = setup.serialReuseFailed;
        }
    }
    if (!setup.calibrationAt.isEmpty()) p.calibrationAt = production::ParsePlace(setup.calibrationAt);
    if (!setup.store.isEmpty()) p.store = production::ResolvedPath(setupPath, setup.store);
    // As the command line runs the setup: a store it names is a store asked for.
    job.recordsRequired = !setup.store.isEmpty();
    job.lockOut = WritePolicy::RefuseLockOut;
    return out;
}

std::optional<ChoiceChange> SetupChoiceOf(const production::SetupChoice& item, const devices::Device* device) {
    // The choices name the fields of one device; without one they mean nothing.
    const auto control = devices::ControlByName(item.field);
    if (!device || !control) return std::nullopt;
    const auto entries = devices::ActiveChoices(*control, device->fuseLayout);
    const int index = entries ? int(entries->entries.indexOf(item.choice)) : -1;
    if (index < 0 || !devices::PanelFor(device).controls[int(*control)].enabled) return std::nullopt;
    return ChoiceChange{.control = *control, .index = index};
}

std::optional<SetupChoiceRefusal> TakeSetupChoices(const production::BenchSetup& setup, const devices::Device* device,
                                                   QList<ChoiceChange>& choices) {
    QList<ChoiceChange> taken;
    for (qsizetype i = 0; i < setup.lockFuse.size(); ++i) {
        const auto choice = SetupChoiceOf(setup.lockFuse.at(i), device);
        if (!choice) return SetupChoiceRefusal{.at = i, .field = !device || !devices::ControlByName(setup.lockFuse.at(i).field)};
        taken.append(*choice);
    }
    choices.append(taken);
    return std::nullopt;
}

ChipVerdict VerdictOf(const JobReport& done) {
    const Report& report = done.report;
    const bool cancelled = JobVerdictName(done) == QLatin1String("cancelled");
    if (cancelled) return {ChipVerdict::Kind::Cancelled, link::texts::kCancelled};
    // A chip without its record is no pass: the record was asked for.
    if (!done.outputFailure.isEmpty()) return {ChipVerdict::Kind::Fail, done.outputFailure};
    if (done.end == JobEnd::Ran && report.Succeeded()) return {ChipVerdict::Kind::Pass, report.status};
    QString reason = report.status;
    if (reason.isEmpty() && done.identification)
        reason = done.identification->probe.status.isEmpty() ? done.identification->probe.notice
                                                             : done.identification->probe.status;
    if (reason.isEmpty()) reason = report.notice;
    return {ChipVerdict::Kind::Fail, reason};
}

PortChoice GivenPort::Choice() const {
    // A path given names itself in the status texts; a COM entry by its number.
    return {.number = number > 0 ? number : 1, .path = path, .saved = true, .name = comGiven ? QString() : given};
}

GivenPort ResolveGivenPort(const QString& given, const std::function<QString(int)>& resolve,
                               const std::function<QString(int)>& assigned) {
    static const QRegularExpression comEntry(QStringLiteral("^COM([0-9]+)$"), QRegularExpression::CaseInsensitiveOption);
    GivenPort port{.given = given};
    if (const auto match = comEntry.match(given); match.hasMatch()) {
        port.comGiven = true;
        port.number = match.captured(1).toInt();
        port.path = port.number >= 1 && port.number <= core::kComPortCount ? resolve(port.number) : QString();
        if (port.path.isEmpty()) port.number = 0;
        return port;
    }
    port.path = given;
    for (int n = 1; n <= core::kComPortCount; ++n)
        if (assigned(n) == given) port.number = n;
    return port;
}

void BatchTally::Count(bool passed) {
    if (passed) {
        ++m_passes;
        m_inRow = 0;
    } else {
        ++m_failures;
        ++m_inRow;
    }
}

BatchStop BatchTally::Stopped() const {
    if (m_rule.quantity && m_passes >= *m_rule.quantity) return BatchStop::QuantityReached;
    if (m_rule.failuresInRow > 0 && m_inRow >= m_rule.failuresInRow) return BatchStop::FailuresInRow;
    return BatchStop::None;
}

bool BatchTally::MayStart(int running) const {
    if (Stopped() != BatchStop::None) return false;
    return !m_rule.quantity || m_passes + running < *m_rule.quantity;
}

std::optional<int> BatchTally::Remaining() const {
    if (!m_rule.quantity) return std::nullopt;
    return std::max(0, *m_rule.quantity - m_passes);
}

}  // namespace zendra::operations
