#include "shell/MainCommands.h"

#include <QAction>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <tuple>
#include <utility>

#include "core/BoundedFile.h"
#include "core/Language.h"
#include "devices/Catalogue.h"
#include "image/BufferEdit.h"
#include "image/Dumps.h"
#include "image/ImageTexts.h"
#include "image/IntelHex.h"
#include "operations/Flows.h"
#include "operations/OperationTexts.h"
#include "operations/UsedPart.h"
#include "operations/VerifyLog.h"
#include "production/BenchSetup.h"
#include "shell/DialogProduction.h"
#include "shell/FrmCom.h"
#include "shell/FrmDump.h"
#include "shell/FrmIndex.h"
#include "shell/FrmLog.h"
#include "shell/FrmMain.h"
#include "shell/FrmMsg.h"
#include "shell/LiveText.h"
#include "shell/MainCommandsParts.h"
#include "shell/OperationThread.h"
#include "shell/SettingsPanel.h"
#include "shell/ShellTexts.h"
#include "shell/WindowsUserInterface.h"

namespace zendra::shell {

using core::PanelControl;
using core::DumpWindow;
namespace keys = core::keys;

// --- Writer operations ----------------------------------------------------------------------------------

std::optional<operations::Job> MainCommands::JobOf(const WriterCommand& command, const operations::Target& target) {
    operations::Job job;
    job.command = *command.job;
    job.device = target.device;
    job.panel = m_panel.Choices();
    job.production = ReadProductionSetup(m_writer.settings);
    // A store named in the production settings is a store asked for: no chip goes unrecorded then.
    job.recordsRequired = !job.production.store.isEmpty();
    job.lockOut = operations::WritePolicy::Ask;
    // The windows warned of data beyond the device when the file was opened, and program what fits.
    job.filesMustFit = false;
    switch (job.command) {
        case JobCommand::Program:
        case JobCommand::Verify:
            job.images = m_images;
            job.files = FileDigests();
            break;
        case JobCommand::Read:
            job.images = m_images;
            break;
        case JobCommand::FuseWrite:
            job.lockFuse.panel = job.panel;
            break;
        case JobCommand::FuseRestore:
            job.device = m_undo->device;
            job.lockFuse.bytes = m_undo->bytes;
            break;
        case JobCommand::Erase:
            break;
    }
    // A program run for every chip is the user's to allow, once on this bench.
    if (const operations::ProductionSettings& p = job.production;
        job.command == JobCommand::Program && p.stampAt && p.kind == production::SeriesKind::Command) {
        const QString folder = p.commandFolder.isEmpty() ? QDir::currentPath() : p.commandFolder;
        if (!production::GeneratorApproved(p.command, folder)) {
            if (m_ui.Ask(core::MessageIcon::Information, kMessageCaption, core::Compose(texts::kGeneratorQuestion, {p.command}),
                         core::MessageButtons::OkCancel) != core::MessageAnswer::Ok)
                return std::nullopt;
            production::ApproveGenerator(p.command, folder);
        }
    }
    if (job.command != JobCommand::Program || !m_setup) return job;
    // An opened setup's program run is the setup's whole job, its lock/fuse choices included; a buffer
    // edited since is the user's own, programmed without them only when the user says so.
    if (m_edits.index() == m_setup->editIndex) {
        job.lockFuse.choices = m_setup->choices;
        return job;
    }
    if (m_ui.Ask(core::MessageIcon::Information, kMessageCaption, texts::kSetupBufferEdited,
                 core::MessageButtons::OkCancel) != core::MessageAnswer::Ok)
        return std::nullopt;
    job.files = {BufferDigest()};
    return job;
}

production::FileDigest MainCommands::BufferDigest() const {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(m_images.ProgramImage.data()), m_images.ProgramImage.size()));
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(m_images.EepromImage.data()), m_images.EepromImage.size()));
    return {QStringLiteral("buffer"), m_writer.state.CodeFileName, QString::fromLatin1(hash.result().toHex())};
}

void MainCommands::RunWriterCommand(const WriterCommand& command) {
    m_guarded([this, &command] {
        m_cancel.Reset();
        // Everything the operation takes from the windows is read here, on their thread.
        const operations::Target target = CurrentTarget(m_writer);
        std::optional<operations::Job> job;
        if (command.job && !(job = JobOf(command, target))) return;
        const devices::PanelIndexes choices = m_panel.Choices();
        operations::Environment env{m_writer.port, m_writer.timing, m_ui, m_ui, &m_cancel};
        if (command.cancellable) m_ui.Messages().SetCancel([this] { m_cancel.Cancel(); });
        operations::JobReport done;
        operations::Report& report = done.report;
        std::optional<operations::Report> backToBase;
        RunOffWindowsThread([&] {
            // The store's connection lives on this thread, with the operation that it records.
            if (job)
                done = operations::RunJob(env, target.port, QStringLiteral("COM%1").arg(target.port.number), *job);
            else
                report = operations::ReadLockFuseCommand(env, target, choices);
            if (report.verdict == operations::Verdict::Cancelled)
                backToBase = operations::ReturnToBaseSet(env);
        });
        if (command.cancellable) m_ui.Messages().SetCancel({});
        if (done.end != operations::JobEnd::Ran) {
            // Nothing ran, so no progress text says why.
            m_ui.Status(core::StatusField::Result, report.status);
            m_ui.Notice(report.notice);
        }
        ApplyReport(report);
        if (!report.lockFuseWritten.Empty()) NoteLockFuseWrite(report, target.device);
        // A stopped run ends on the one text that says so.
        if (backToBase) {
            m_ui.Status(core::StatusField::Result, backToBase->status);
            m_ui.Notice(backToBase->notice);
        }
        if (!done.outputFailure.isEmpty()) {
            // The chip holds the job, but its record is missing: that is no success.
            core::TakeErrorFlag(m_writer.state, 1);
            m_ui.Status(core::StatusField::Result, done.outputFailure);
            m_ui.Notice(done.outputFailure);
        }
        if (!done.storeWarning.isEmpty()) m_ui.Notice(done.storeWarning);
        if (!done.numberWarning.isEmpty()) m_ui.Notice(done.numberWarning);
        if (done.next) ShowNextSerial(done.next);
        if (job && m_main.HistoryWindow()->isVisible()) m_main.History()->Reload(job->production.store);
    });
}

QList<production::FileDigest> MainCommands::FileDigests() const {
    QList<production::FileDigest> files;
    const std::pair<QString, QString> opened[] = {{QStringLiteral("code"), m_writer.state.CodeFileName},
                                                  {QStringLiteral("eeprom"), m_writer.state.EepFileName}};
    for (const auto& [role, path] : opened) {
        if (path.isEmpty()) continue;
        const core::BoundedRead read = core::ReadBoundedFile(path);
        if (!read.Ok()) continue;
        files.append({role, QFileInfo(path).absoluteFilePath(), core::Sha256Hex(read.bytes)});
    }
    return files;
}

void MainCommands::ReadNextSerial() {
    const int ticket = ++m_serialTicket;
    const operations::ProductionSettings setup = ReadProductionSetup(m_writer.settings);
    // The panel's place is taken at once, so the frame is laid out as it will stay; its number follows.
    m_main.StatusPanel(texts::kSerialPanelNumber)->setVisible(setup.stampAt.has_value());
    ReadOffWindowsThread<std::optional<qint64>>(
        &m_storeReadings, [setup] { return operations::NextSerial(setup); },
        [this, ticket](const std::optional<qint64>& next) {
            if (ticket != m_serialTicket) return;
            ShowNextSerial(next);
            // The number came after the frame was laid out: panel 1 keeps room for its longest texts.
            m_main.GrowToShowAll();
        });
}

void MainCommands::ShowNextSerial(std::optional<qint64> next) {
    ++m_serialTicket;
    QLabel* panel = m_main.StatusPanel(texts::kSerialPanelNumber);
    panel->setVisible(next.has_value());
    if (next) ShowText(panel, core::Compose(texts::kSerialPanel, {QString::number(*next)}));
}

void MainCommands::ShowProductionDialog() {
    DialogProduction dialog(m_writer.settings, [this] { return HeldSetup(); }, &m_main);
    const int answer = m_runModal ? m_runModal(dialog) : dialog.exec();
    if (answer != QDialog::Accepted) return;
    ReadNextSerial();
    if (m_main.HistoryWindow()->isVisible()) m_main.History()->Reload(ReadProductionSetup(m_writer.settings).store);
}

void MainCommands::ApplyReport(const operations::Report& report) {
    core::SharedState& state = m_writer.state;
    core::TakeErrorFlag(state, report.errorFlag);
    // A stopped run leaves the buffers, the verify log and the panel as they were: what it got so far is
    // no result.
    if (report.verdict == operations::Verdict::Cancelled) return;
    ShowOutcome(report.verdict);
    if (report.images) {
        m_images.ProgramImage = report.images->ProgramImage;
        m_images.EepromImage = report.images->EepromImage;
        ResetEdits(true, true);
    }
    if (report.programDumpChanged) image::RedrawProgramDump(m_ui, state, m_images);
    if (report.eepromDumpChanged) image::RedrawEepromDump(m_ui, state, m_images);
    if (report.verifyCompared) {
        const QString log = image::ScratchPath(state, image::kVerifyLogFile);
        operations::SaveVerifyLog(log, report.differences);
        if (report.showVerifyLog) {
            m_ui.LoadDumpView(core::DumpWindow::Verify, log);
            m_main.Dump(DumpWindow::Verify)->ShowDiagnosis(report.diagnosis ? report.diagnosis->message : QString());
            m_ui.ShowVerifyWindow();
            m_differences = report.differences;
        }
        MarkDifferences(report.differences);
    }
    if (report.lockChoice) m_panel.SetChoice(PanelControl::LockBit, *report.lockChoice);
    if (report.panel) m_panel.ApplyChoices(*report.panel);
    if (report.calibration) m_panel.SetCalibrationText(*report.calibration);
    if (report.deviceSelectionRenewed) ApplyDeviceSelection();
    ShowImageState();
}

void MainCommands::MarkDifferences(const QList<operations::Difference>& differences) {
    QList<DumpMark> program, eeprom;
    for (const operations::Difference& d : differences) {
        const bool flash = d.memory == operations::Memory::Flash;
        (flash ? program : eeprom)
            << DumpMark{flash ? image::ProgramDumpCell(d.address) : image::EepromDumpCell(d.address),
                        operations::DifferenceLine(d)};
    }
    m_main.Dump(DumpWindow::Program)->MarkCells(program);
    m_main.Dump(DumpWindow::Eeprom)->MarkCells(eeprom);
}

void MainCommands::JumpToDifference(int line) {
    const std::optional<operations::Difference> d = operations::DifferenceAtLine(m_differences, line);
    if (!d) return;
    const bool flash = d->memory == operations::Memory::Flash;
    const DumpWindow which = flash ? DumpWindow::Program : DumpWindow::Eeprom;
    QMdiSubWindow* window = m_main.DumpSubWindow(which);
    if (window->isHidden() || window->isMinimized())
        m_main.PlaceChild(window, flash ? kProgramWindowPlace : kEepromWindowPlace);
    m_main.MdiArea()->setActiveSubWindow(window);
    m_main.Dump(which)->SelectCell(flash ? image::ProgramDumpCell(d->address) : image::EepromDumpCell(d->address));
}

void MainCommands::ShowImageState() {
    ShowUnsaved(m_main.DumpSubWindow(DumpWindow::Program), Unsaved(true));
    ShowUnsaved(m_main.DumpSubWindow(DumpWindow::Eeprom), Unsaved(false));
    const auto hex = [](quint32 crc) { return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper(); };
    const core::SharedState& state = m_writer.state;
    ShowText(m_main.StatusPanel(texts::kChecksumPanelNumber),
             texts::kChecksumPanel.arg(hex(operations::UsedFlashCrc32(m_images, state.ProgramMemoryWords)),
                                       hex(operations::UsedEepromCrc32(m_images, state.EepromBytes))));
}

void MainCommands::ShowOutcome(operations::Verdict verdict) {
    using operations::Verdict;
    const bool failed = verdict == Verdict::Mismatch || verdict == Verdict::LinkFailed || verdict == Verdict::ChipRefused;
    m_main.ShowResultTone(failed                            ? ResultTone::Failure
                          : verdict == Verdict::Succeeded ? ResultTone::Success
                                                          : ResultTone::Plain);
    // The texts stay as they are; the notice of a failure shows it beside them.
    if (failed) m_ui.Messages().MarkNoticeCritical();
}

void MainCommands::ShowPortDialog() {
    FrmCom dialog(m_writer, &m_main);
    if (m_runModal)
        m_runModal(dialog);
    else
        dialog.exec();
}

}  // namespace zendra::shell
