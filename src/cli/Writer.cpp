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

}  // namespace


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
