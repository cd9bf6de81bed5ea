#include "cli/Writer.h"

#include <unistd.h>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>

#include "cli/Events.h"
#include "cli/Inputs.h"
#include "cli/Outputs.h"
#include "cli/Render.h"
#include "core/Language.h"
#include "core/Settings.h"
#include "image/CodeFormats.h"
#include "image/FileCommands.h"
#include "image/ImageTexts.h"
#include "image/IntelHex.h"
#include "link/LinkTexts.h"
#include "link/PortMap.h"
#include "link/SystemPort.h"
#include "operations/Identify.h"
#include "operations/OperationTexts.h"
#include "operations/SocketWatch.h"

#include <QSysInfo>

namespace zendra::cli {

namespace {

using operations::Report;
using operations::Verdict;

int ExitFor(const Report& report) {
    switch (report.verdict) {
        case Verdict::Succeeded:
            return kExitSuccess;
        case Verdict::NothingToDo:  // nothing programmed is no success
            return kExitInput;
        case Verdict::Mismatch:
            return kExitMismatch;
        case Verdict::LinkFailed:
            return kExitLink;
        case Verdict::ChipRefused:
            return kExitChip;
        case Verdict::Cancelled:
            return kExitCancelled;
    }
    return kExitLink;
}

QString DeviceNameText(const devices::Device* device) { return device ? Tr(device->Name()) : QString(); }

// A USB adapter whose latency timer holds every reply back: said once per port and run, on stderr, since
// a repeated run or several writers would otherwise repeat it.
void HintSlowAdapter(const QString& path) {
    static QMutex mutex;
    static QSet<QString> told;
    const QString hint = link::LatencyTimerHint(path, link::ReadLatencyTimer(path));
    if (hint.isEmpty()) return;
    {
        const QMutexLocker lock(&mutex);
        if (told.contains(path)) return;
        told.insert(path);
    }
    PrintErr(Tr(hint));
}

// The ports the system has, for a port name that leads nowhere.
QString DetectedPortsLine(const link::PortMap& ports) {
    QStringList paths;
    for (const link::DetectedPort& port : ports.Detected()) paths << port.path;
    return paths.isEmpty() ? T(texts::kNoPortsDetected)
                           : T(texts::kDetectedPorts).arg(paths.join(QStringLiteral(", ")));
}

}  // namespace

bool Writer::ExplainUnusablePort(ChipResult& result, const link::PortMap& ports) {
    const link::PortProbe probe = link::ProbePort(m_path);
    using link::PortProblem;
    switch (probe.problem) {
        case PortProblem::None:
            return true;
        case PortProblem::NoSuchPort:
            result.message = T(texts::kUnknownPort).arg(m_portText);
            result.details << DetectedPortsLine(ports);
            break;
        case PortProblem::NoPermission: {
            // A device of root's own is no group's to join; serial ports belong to dialout.
            const bool group = !probe.group.isEmpty() && probe.group != QLatin1String("root");
            result.message = T(texts::kPortDenied).arg(m_portText);
            result.details << T(texts::kJoinGroup).arg(group ? probe.group : QStringLiteral("dialout"));
            break;
        }
        case PortProblem::InUse:
            result.message = T(texts::kPortBusy).arg(m_portText);
            if (!probe.holders.isEmpty())
                result.details << T(texts::kHeldBy).arg(probe.holders.join(QStringLiteral(", ")));
            result.details << T(texts::kEndOtherProgram);
            break;
        case PortProblem::NotSerial:
            result.message = T(texts::kPortNotSerial).arg(m_portText);
            break;
        case PortProblem::Other:
            result.message = T(texts::kPortOpenFailed).arg(m_portText);
            break;
    }
    if (!probe.system.isEmpty()) result.message += QStringLiteral(" (") + probe.system + QLatin1Char(')');
    result.exitCode = kExitLink;
    return false;
}

void Writer::SayFailure(ChipResult& result, const QString& text) {
    // The operations' advice for a writer that does not answer names the windows' menus and dialogs.
    if (text != link::texts::kNoCommunicationNotice && text != link::texts::kWriterNotFound) {
        result.message = Tr(text);
        return;
    }
    result.message = T(texts::kNoAnswer).arg(m_portText);
    result.details << T(texts::kNoAnswerAdvice);
}

bool Writer::Prepare(ChipResult& result) {
    core::IniSettingsStore settings;  // the windows' store, only read
    link::PortMap ports(settings);
    static const QRegularExpression comEntry(QStringLiteral("^COM([0-9]+)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    const auto match = comEntry.match(m_portText);
    m_name = match.hasMatch() ? QString() : m_portText;
    if (match.hasMatch()) {
        m_number = match.captured(1).toInt();
        m_path = m_number >= 1 && m_number <= core::kComPortCount ? ports.Resolve(m_number) : QString();
    } else {
        m_path = m_portText;
        // The COM entry that already leads there names the port in the status texts.
        for (int n = 1; n <= core::kComPortCount; ++n)
            if (ports.Assigned(n) == m_portText) m_number = n;
    }
    result.port = m_portText;
    result.path = m_path;
    m_progress = std::make_unique<ConsoleProgress>(ConsoleStyle{.label = m_alone ? QString() : m_portText,
                                                                .bar = m_alone && ::isatty(STDERR_FILENO),
                                                                .quiet = m_plan.quiet,
                                                                .verbose = m_plan.verbose});
    if (m_path.isEmpty()) {
        result.message = T(texts::kUnknownPort).arg(m_portText);
        result.details << T(texts::kComNotAssigned) << DetectedPortsLine(ports);
        return false;
    }

    switch (m_lock.Acquire(m_path)) {
        case PortLock::Outcome::Taken:
            break;
        case PortLock::Outcome::TakenOver:
            PrintErr(T(texts::kStaleLockTaken).arg(m_lock.FileName()));
            break;
        case PortLock::Outcome::Held:
            result.message = T(texts::kPortInUse).arg(m_path) + QStringLiteral(" (") + m_lock.FileName() +
                             QLatin1Char(')');
            return false;
        case PortLock::Outcome::Failed:
            result.message = T(texts::kLockFailed).arg(m_lock.FileName());
            return false;
    }

    // Said once, before the first command: a port that cannot be opened says why, in the terminal's terms.
    if (!m_systemPort && !ExplainUnusablePort(result, ports)) return false;
    HintSlowAdapter(m_path);
    m_systemPort = link::MakeSystemSerialPort();
    m_port = m_systemPort.get();
    if (m_plan.verbose) {
        m_trace = std::make_unique<WireTrace>(*m_systemPort, m_portText);
        m_port = m_trace.get();
    }
    return true;
}

// The device: --device, or the one catalogue row whose signature the chip answers.
std::optional<const devices::Device*> Writer::FindDevice(ChipResult& result) {
    if (m_plan.device) return m_plan.device;
    SilentProgress silent;
    auto env = Environment(silent, silent);
    const operations::Identification id = operations::IdentifyChip(env, Port(), false);
    if (id.identity == operations::Identity::Found) {
        SayChosen(id);
        return id.device;
    }
    SayNotIdentified(result, id);
    return std::nullopt;
}

void Writer::SayChosen(const operations::Identification& id) {
    m_progress->Line(T(texts::kChose).arg(DeviceNameText(id.device)) + QStringLiteral(" (") + id.probe.signature +
                     QLatin1Char(')'));
}

void Writer::SayNotIdentified(ChipResult& result, const operations::Identification& id) {
    result.firmware = id.probe.firmware;
    result.signature = id.probe.signature;
    using operations::Identity;
    switch (id.identity) {
        case Identity::Found:
            break;
        case Identity::Cancelled:
            result.exitCode = kExitCancelled;
            result.message = Tr(link::texts::kCancelled);
            break;
        case Identity::NoAnswer:
            result.exitCode = kExitLink;
            SayFailure(result, id.probe.notice.isEmpty() ? id.probe.status : id.probe.notice);
            break;
        case Identity::Locked:
        case Identity::EmptySocket:
            result.exitCode = kExitChip;
            result.message = Tr(id.identity == Identity::EmptySocket ? link::texts::kChipNotSeated
                                                                     : link::texts::kChipProtectedOrNotSeated);
            break;
        case Identity::Unknown:
            result.exitCode = kExitUsage;
            result.message = T(texts::kNoSignatureMatch).arg(id.probe.signature);
            break;
        case Identity::Ambiguous: {
            QStringList names;
            for (const devices::Device* device : id.candidates) names << DeviceNameText(device);
            result.exitCode = kExitUsage;
            result.message = T(texts::kSignatureAmbiguous).arg(names.join(QStringLiteral(", ")));
            break;
        }
    }
}

void Writer::StoreFailed(ChipResult& result, const production::StoreResult& store) {
    if (store.problem == production::StoreProblem::Cancelled) {
        result.exitCode = kExitCancelled;
        result.message = Tr(link::texts::kCancelled);
        EndCancelled();
        return;
    }
    m_storeLost = StoreProblemText(store);
    m_interrupts.storeLost = true;
}

void Writer::EndCancelled() {
    SilentProgress silent;
    auto env = Environment(silent, silent);
    operations::ReturnToBaseSet(env);
    m_port->Close();
}

namespace {

std::optional<operations::JobCommand> JobCommandOf(const QString& command) {
    using operations::JobCommand;
    static const QList<std::pair<QString, JobCommand>> commands{
        {QStringLiteral("program"), JobCommand::Program},       {QStringLiteral("verify"), JobCommand::Verify},
        {QStringLiteral("read"), JobCommand::Read},             {QStringLiteral("erase"), JobCommand::Erase},
        {QStringLiteral("fuse-write"), JobCommand::FuseWrite}, {QStringLiteral("fuse-restore"), JobCommand::FuseRestore}};
    for (const auto& [name, job] : commands)
        if (name == command) return job;
    return std::nullopt;
}

}  // namespace

bool IsJobCommand(const QString& command) { return JobCommandOf(command).has_value(); }

operations::Job JobOf(const Plan& plan) {
    operations::Job job;
    job.command = *JobCommandOf(plan.command);
    job.device = plan.device;
    job.deviceFromSignature = !plan.device;
    job.images = plan.images;
    for (const InputFile& f : plan.files) job.files.append({f.role, f.path, f.sha256});
    using operations::JobCommand;
    if (job.command == JobCommand::FuseRestore) {
        job.lockFuse.bytes = plan.restoreBytes;
        job.lockFuse.bytesDevice = plan.restoreDevice;
    } else if (job.command == JobCommand::Program && plan.writeFuses) {
        job.lockFuse.bytes = plan.fileFuses;
    } else {
        job.lockFuse.choices = plan.fuseChoices;
    }
    operations::ProductionSetup& p = job.production;
    p.stampAt = plan.command == QLatin1String("program") || plan.command == QLatin1String("verify") ? plan.serialAt
                                                                                                  : std::nullopt;
    p.layout = plan.serialLayout;
    p.series = plan.series;
    p.start = plan.serialStart;
    p.step = plan.serialStep;
    p.calibrationAt = plan.calibrationAt;
    p.store = plan.dbPath;
    p.keep = plan.serialKeep;
    p.reuseFailed = plan.reuseFailed;
    p.kind = plan.serialKind;
    p.listPath = plan.serialList;
    p.command = plan.serialCommand;
    p.commandFolder = plan.serialFolder;
    job.recordsRequired = plan.dbGiven;
    job.lockOut = plan.allowLockout ? operations::WritePolicy::AllowLockOut : operations::WritePolicy::RefuseLockOut;
    job.dryRun = plan.dryRun;
    return job;
}

// A job that ended before the chip was touched, in the command line's words.
void SayJobRefusal(const Plan& plan, ChipResult& result, const operations::JobReport& done) {
    using operations::JobEnd;
    const devices::Device* device = done.device;
    const auto place = [](const std::optional<production::Place>& at) { return at ? production::PlaceText(*at) : QString(); };
    switch (done.end) {
        case JobEnd::Ran:
            return;
        case JobEnd::NotIdentified:
            return;
        case JobEnd::ImagesBeyond:
            result.exitCode = kExitInput;
            result.message = Tr(core::Compose(image::texts::kCodeBeyondDevice, {QString::number(done.imagesBeyond)}));
            return;
        case JobEnd::StampBeyond:
            result.exitCode = kExitUsage;
            result.message = T(texts::kPlaceBeyond).arg(place(plan.serialAt));
            return;
        case JobEnd::CalibrationBeyond:
            result.exitCode = kExitUsage;
            result.message = T(texts::kPlaceBeyond).arg(place(plan.calibrationAt));
            return;
        case JobEnd::NoCalibration:
            result.exitCode = kExitUsage;
            result.message = T(texts::kNoCalibration).arg(DeviceNameText(device));
            return;
        case JobEnd::StoreUnusable:
            result.exitCode = done.store.problem == production::StoreProblem::Cancelled ? kExitCancelled : kExitLink;
            result.message = StoreProblemText(done.store);
            return;
        case JobEnd::SeriesUnknown:
            result.exitCode = kExitUsage;
            result.message = T(texts::kSeriesUnknown).arg(plan.series);
            return;
        case JobEnd::SeriesContradicts:
            result.exitCode = kExitUsage;
            result.message = T(texts::kSeriesContradicts).arg(plan.series, QString::number(done.next.value_or(0)));
            return;
        case JobEnd::SeriesExhausted:
            result.exitCode = kExitUsage;
            result.message = StoreProblemText(done.store);
            return;
        case JobEnd::OtherDevice:
            result.exitCode = kExitChip;
            result.message = T(texts::kRestoreOtherDevice).arg(Tr(plan.restoreDevice));
            return;
        case JobEnd::KeepLocked:
        case JobEnd::KeepRefused:
            result.exitCode = kExitChip;
            result.message = Tr(core::Compose(operations::texts::kKeepRefused, {done.keepProblem}));
            return;
        case JobEnd::SerialRefused:
            result.exitCode = kExitUsage;
            result.message = Tr(done.serialProblem);
            return;
        case JobEnd::LockFuseUnmatched:
            result.exitCode = kExitInput;
            result.message =
                FileFuseLines(device, plan.fileFuses).last();
            return;
    }
}

void Writer::RunCommand(ChipResult& result) {
    const QString& command = m_plan.command;
    Report report;
    const devices::Device* device = nullptr;
    if (JobCommandOf(command)) {
        if (command == QLatin1String("verify")) {
            for (const production::Cells& cells : JobOf(m_plan).production.SkippedCells())
                m_progress->Line(T(texts::kStampSkipped).arg(production::PlaceText({cells.area, cells.first})) +
                                 QStringLiteral(" (%1)").arg(cells.count));
        }
        events::Progress tap(*m_progress, m_portText,
                             m_plan.serialAt ? production::PlaceText(*m_plan.serialAt) : QString());
        auto env = Environment(tap, *m_progress);
        const operations::JobReport done = operations::RunJob(env, Port(), m_portText, JobOf(m_plan));
        device = done.device;
        result.recordId = done.recordId;
        result.serial = done.serial;
        result.stamp = done.stamp;
        result.line = done.line;
        if (done.identification && done.identification->identity == operations::Identity::Found) SayChosen(*done.identification);
        if (!done.storeWarning.isEmpty()) PrintErr(Tr(done.storeWarning));
        if (!done.numberWarning.isEmpty()) PrintErr(Tr(done.numberWarning));
        if (done.end == operations::JobEnd::NotIdentified) return SayNotIdentified(result, *done.identification);
        if (done.end != operations::JobEnd::Ran) {
            SayJobRefusal(m_plan, result, done);
            if (device) result.device = DeviceNameText(device), result.deviceName = device->Name();
            if (done.end == operations::JobEnd::StoreUnusable) StoreFailed(result, done.store);
            return;
        }
        report = done.report;
        result.data << done.plan;
        if (command == QLatin1String("verify"))
            for (const QString& line :
                 FileFuseLines(device, m_plan.fileFuses))
                result.details << line;
        if (!done.outputFailure.isEmpty()) {
            if (done.store.problem == production::StoreProblem::Cancelled) {
                report.verdict = Verdict::Cancelled;
                RenderReport(result, report, device);
                return;
            }
            StoreFailed(result, done.store);
            RenderReport(result, report, device);
            PrintErr(StoreProblemText(done.store));
            MarkOutputFailed(result, StoreProblemText(done.store));
            return;
        }
    } else {
        const auto found = FindDevice(result);
        if (!found) return;
        device = *found;
        events::Progress tap(*m_progress, m_portText);
        auto env = Environment(tap, *m_progress);
        const operations::Target target{.device = device, .port = Port()};
        if (command == QLatin1String("fuse-read"))
            report = operations::ReadLockFuseCommand(env, target, devices::DefaultChoices(device));
        else
            report = operations::CheckCommunicationCommand(env, target);
    }
    RenderReport(result, report, device);
}

void Writer::RenderReport(ChipResult& result, const Report& report, const devices::Device* device) {
    const QString& command = m_plan.command;
    result.device = DeviceNameText(device);
    result.deviceName = device ? device->Name() : QString();
    for (const QString& warning : report.warnings) m_progress->Line(Tr(warning));
    result.report = report;
    result.exitCode = ExitFor(report);
    if (!report.firmware.isEmpty()) result.firmware = report.firmware;
    if (!report.signature.isEmpty()) result.signature = report.signature;
    result.message = Tr(report.status);
    if (report.verdict == Verdict::Cancelled) {
        EndCancelled();
        result.message = Tr(link::texts::kCancelled);
    } else if (!report.notice.isEmpty() && !report.Succeeded()) {
        SayFailure(result, report.notice);
    } else if (!report.notice.isEmpty() && report.notice != report.status) {
        result.details << Tr(report.notice);  // a warning that stays up after a success
    }
    if (report.diagnosis) result.details << DiagnosisLine(*report.diagnosis);
    for (const operations::Difference& d : report.differences) result.details << DifferenceLine(d);
    if (result.serial) result.details << T(texts::kSerialNumber) + QStringLiteral(": ") + QString::number(*result.serial);
    if (!result.stamp.isEmpty())
        result.details << T(texts::kSerialValue) + QStringLiteral(": ") + production::HexOf(result.stamp) +
                              (result.line ? QStringLiteral(" (") + T(texts::kListLine) + QStringLiteral(" %1)").arg(*result.line)
                                           : QString());
    if (report.calibrationCopied)
        result.details << T(texts::kCalibrationCopied) + QStringLiteral(": ") + devices::CalibrationText(*report.calibrationCopied);
    if (command == QLatin1String("detect") && report.Succeeded()) {
        result.message = T(texts::kWriterAnswers).arg(m_portText);
        result.data << m_path + QLatin1Char('\t') + result.firmware;
    }
    const bool fuseCommand = command.startsWith(QLatin1String("fuse")) || command == QLatin1String("read");
    if ((command == QLatin1String("fuse-write") || command == QLatin1String("fuse-restore") || m_plan.writeFuses ||
         !m_plan.fuseChoices.isEmpty()) &&
        report.errorFlag == 0 && !m_plan.dryRun)
        result.details << ChangeLines(device, report.changes);
    if (fuseCommand && report.panel && report.errorFlag == 0)
        (m_plan.PrintsData() ? result.data : result.details) << ChoiceLines(device, *report.panel);
    if (command == QLatin1String("read") && report.images && result.exitCode == kExitSuccess)
        SaveReadImages(result, device);
}

void Writer::SaveReadImages(ChipResult& result, const devices::Device* device) {
    const image::MemoryImages& images = *result.report->images;
    const QList<QPair<QString, QByteArray>> outputs{
        {m_plan.outCode, image::CodeText(image::FormatForName(m_plan.outCode), images.ProgramImage, device->flashWords)},
        {m_plan.outEeprom,
         image::EepromText(image::FormatForName(m_plan.outEeprom), images.EepromImage, device->eepromBytes)}};
    QStringList failed;
    for (const auto& [path, text] : outputs) {
        if (path.isEmpty()) continue;
        if (const auto why = WriteOutput(path, text))
            failed << *why;
        else
            result.details << T(texts::kSaved).arg(path);
    }
    // The chip was read, but what was read is not kept: the run has failed, and says which files.
    if (!failed.isEmpty()) MarkOutputFailed(result, failed.join(QStringLiteral("; ")));
}

void Writer::RunUpdate(ChipResult& result) {
    ConsoleUpdateDisplay display(*m_progress);
    // No main link to release here: the writer's port is the update's own.
    operations::UpdateSession session{*m_port, *m_port, m_timing, display};
    const operations::UpdatePortReport connected =
        operations::ConnectUpdatePort(session, m_path, QStringLiteral("57600"));
    if (connected.outcome != operations::UpdatePortOutcome::Opened) {
        result.exitCode = kExitLink;
        result.message = T(texts::kUnknownPort).arg(m_path) + QLatin1Char(' ') + connected.reason;
        return;
    }
    if (const auto version = operations::ReadWriterVersion(session).version) result.firmware = *version;
    m_interrupts.updating = true;
    const update::TransferResult sent = operations::UpdateWriterFirmware(session, m_plan.firmwarePath);
    m_interrupts.updating = false;
    operations::RestoreMainLink(session, QString());
    result.exitCode = sent == update::TransferResult::Completed ? kExitSuccess
                      : sent == update::TransferResult::Refused ? kExitInput
                                                                : kExitLink;
    result.message =
        (sent == update::TransferResult::Completed ? T(texts::kUpdateDone) : T(texts::kUpdateFailed)) +
        QStringLiteral(": ") + Tr(display.LastText());
}

// The production loop's wait: the chip goes, then the next one comes.
Writer::ChipChange Writer::WaitForChipChange() {
    for (const bool wanted : {false, true}) {
        m_progress->Line(T(wanted ? texts::kWaitInsert : texts::kWaitRemove));
        SilentProgress silent;
        auto env = Environment(silent, silent);
        switch (operations::AwaitSocket(env, Port(), wanted, [this] { return m_interrupts.storeLost.load(); })) {
            case operations::SocketChange::Reached:
                continue;
            case operations::SocketChange::Cancelled:
                return ChipChange::Cancelled;
            case operations::SocketChange::WriterLost:
                return ChipChange::WriterLost;
            case operations::SocketChange::Stopped:
                return ChipChange::StoreLost;
        }
    }
    return ChipChange::Changed;
}

int Writer::Run(const std::function<void(const ChipResult&)>& sink) {
    int passes = 0, failures = 0;
    const auto tally = [&] {
        return QStringLiteral("%1 %2, %3 %4").arg(T(texts::kPasses)).arg(passes).arg(T(texts::kFailures)).arg(failures);
    };
    int lostCode = kExitSuccess;
    for (;;) {
        if (m_trigger) {
            events::Emit("ready", {{"passes", passes}, {"failures", failures}}, m_portText);
            if (!m_trigger->Await(m_portText, m_interrupts.cancel)) break;
        }
        ChipResult result;
        result.started = QDateTime::currentDateTimeUtc();
        if (Prepare(result)) {
            if (m_plan.command == QLatin1String("update"))
                RunUpdate(result);
            else
                RunCommand(result);
        }
        result.finished = QDateTime::currentDateTimeUtc();
        (result.exitCode == kExitSuccess ? passes : failures) += 1;
        // A start that comes as soon as the verdict is read is this writer's next chip.
        if (m_trigger) m_trigger->Done(m_portText);
        sink(result);
        if (!m_plan.repeat || result.exitCode == kExitCancelled || !m_port) return result.exitCode;
        if (m_interrupts.storeLost.load()) {
            // No next chip can be numbered or recorded: the loop ends, the others' after their running chips.
            if (!m_storeLost.isEmpty())
                PrintErr((m_alone ? QString() : m_portText + QStringLiteral(": ")) + T(texts::kStoreLoopEnded).arg(m_storeLost));
            lostCode = kExitLink;
            break;
        }
        m_progress->Line(tally());
        if (m_trigger) continue;
        events::Emit("ready", {{"passes", passes}, {"failures", failures}}, m_portText);
        const ChipChange change = WaitForChipChange();
        if (change == ChipChange::Changed) continue;
        if (change == ChipChange::StoreLost) lostCode = kExitLink;
        if (change == ChipChange::WriterLost) {
            // The loop cannot go on without its writer: that is a failure, not the end of a good run.
            PrintErr((m_alone ? QString() : m_portText + QStringLiteral(": ")) +
                     T(texts::kWriterLost).arg(m_path));
            events::Emit("error", {{"code", QStringLiteral("writer-lost")}, {"message", T(texts::kWriterLost).arg(m_path)}},
                         m_portText);
            lostCode = kExitLink;
        }
        break;
    }
    (m_plan.PrintsData() ? PrintErr : PrintOut)((m_alone ? QString() : m_portText + QStringLiteral(": ")) + tally());
    if (lostCode != kExitSuccess) return lostCode;
    return failures == 0 ? kExitSuccess : kExitMismatch;
}

}  // namespace zendra::cli
