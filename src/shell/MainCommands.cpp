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

MainCommands::MainCommands(FrmMain& main, WindowsUserInterface& ui, WriterContext& writer,
                           image::MemoryImages& images, image::FileDialogMemory& fileDialog,
                           core::OperationGuard& guard,
                           std::function<void(const std::function<void()>&)> guarded,
                           std::function<int(QDialog&)> runModal, std::function<FrmIndex*()> indexWindow)
    : m_main(main),
      m_panel(*main.Panel()),
      m_ui(ui),
      m_writer(writer),
      m_images(images),
      m_fileDialog(fileDialog),
      m_guard(guard),
      m_guarded(std::move(guarded)),
      m_runModal(std::move(runModal)),
      m_indexWindow(std::move(indexWindow)) {}

void MainCommands::Wire() {
    QObject::connect(&m_panel, &SettingsPanel::commandClicked, &m_main,
                     [this](PanelCommand command) { OnPanelCommand(command); });
    QObject::connect(&m_panel, &SettingsPanel::deviceActivated, &m_main, [this] { OnDeviceActivated(); });
    QObject::connect(&m_panel, &SettingsPanel::choiceActivated, &m_main,
                     [this](PanelControl control) { OnChoiceActivated(control); });
    QObject::connect(&m_panel, &SettingsPanel::addressEdited, &m_main, [this] { ReadBufferCell(false); });
    QObject::connect(&m_panel, &SettingsPanel::readCellClicked, &m_main, [this] { ReadBufferCell(true); });
    QObject::connect(&m_panel, &SettingsPanel::writeCellClicked, &m_main,
                     [this] { m_guarded([this] { WriteBufferCell(); }); });

    const auto on = [this](const char* name, std::function<void()> handler) {
        QObject::connect(m_main.Action(QString::fromLatin1(name)), &QAction::triggered, &m_main,
                         [handler = std::move(handler)] { handler(); });
    };
    const std::pair<const char*, image::FileOutcome (*)(image::FileContext&)> fileItems[] = {
        {"mnuFileOpen", &image::OpenCodeAndData},     {"mnuFileOpenCode", &image::OpenCode},
        {"mnuFileOpenData", &image::OpenData},        {"mnuFileSave", &image::SaveOverwrite},
        {"mnuFileSaveAs", &image::SaveAsCodeAndData}, {"mnuFileSaveAsCode", &image::SaveAsCode},
        {"mnuFileSaveAsData", &image::SaveAsData},    {"mnuReLoad", &image::Reload},
    };
    for (const auto& [name, command] : fileItems)
        on(name, [this, command = command] { RunFileCommand(command); });
    on("mnuFileReload", [this] { RunFileCommand(&image::Reload); });
    QObject::connect(&m_watcher, &core::FileWatcher::settled, &m_main, [this] { OnOpenFilesSettled(); });
    QObject::connect(&m_watcher, &core::FileWatcher::fileGone, &m_main, [this](const QString& path) {
        m_ui.Status(core::StatusField::Result, core::Compose(texts::kWatchedFileGone, {path}));
    });
    QObject::connect(&m_watcher, &core::FileWatcher::fileBack, &m_main, [this](const QString& path) {
        m_ui.Status(core::StatusField::Result, core::Compose(texts::kWatchedFileBack, {path}));
    });
    QObject::connect(m_main.Action(QStringLiteral("mnuFileWatch")), &QAction::toggled, &m_main,
                     [this](bool) { FollowOpenFiles(); });
    on("mnuProgram", [this] { OnPanelCommand(PanelCommand::Program); });
    on("mnuVerify", [this] { OnPanelCommand(PanelCommand::Verify); });
    on("mnuRead", [this] { OnPanelCommand(PanelCommand::Read); });
    on("mnuFileOpenSetup", [this] { OpenSetup(); });
    on("mnuFileSaveSetup", [this] { SaveSetup(); });
    const auto open = [this](const QString& path) {
        path.endsWith(QStringLiteral(".") + texts::kSetupSuffix, Qt::CaseInsensitive) ? OpenSetup(path) : OpenFile(path);
    };
    m_main.onFileDropped = open;
    m_main.onRecentPicked = open;
    m_main.ShowRecentFiles(RecentFiles());
    FrmDump* verify = m_main.Dump(core::DumpWindow::Verify);
    QObject::connect(verify->Buttons(), &ListButtons::saveRequested, &m_main, [this, verify] {
        SaveListing(verify->Text(), texts::kSaveVerifyListTitle, texts::kVerifyListName);
    });
    QObject::connect(verify->Buttons(), &ListButtons::copyRequested, &m_main,
                     [verify] { CopyListing(verify->Text()); });
    FrmLog* log = m_main.Log();
    QObject::connect(log->Buttons(), &ListButtons::saveRequested, &m_main,
                     [this, log] { SaveListing(log->Text(), texts::kSaveLogTitle, texts::kLogName); });
    QObject::connect(log->Buttons(), &ListButtons::copyRequested, &m_main, [log] { CopyListing(log->Text()); });
    QAction* undo = m_main.Action(QStringLiteral("mnuUndoLockFuse"));
    undo->setEnabled(false);
    QObject::connect(undo, &QAction::triggered, &m_main, [this] {
        if (m_undo) UndoLockFuse();
    });
    // Taken back and done again under the guard: a running operation works on the images.
    for (const auto& [name, canChanged, step] :
         {std::tuple{"mnuEditUndo", &QUndoStack::canUndoChanged, &QUndoStack::undo},
          std::tuple{"mnuEditRedo", &QUndoStack::canRedoChanged, &QUndoStack::redo}}) {
        QAction* item = m_main.Action(QString::fromLatin1(name));
        item->setEnabled(false);
        QObject::connect(&m_edits, canChanged, item, &QAction::setEnabled);
        on(name, [this, step = step] { m_guarded([this, step] { (m_edits.*step)(); }); });
    }
    QObject::connect(&m_edits, &QUndoStack::indexChanged, &m_main, [this] { ShowImageState(); });
    QObject::connect(verify, &FrmDump::lineActivated, &m_main, [this](int line) { JumpToDifference(line); });
    on("mmuCominucation", [this] { OnPanelCommand(PanelCommand::ComSelect); });
    on("mnuPC_buffer_clear", [this] { m_guarded([this] { mnuPC_buffer_clear_Click(); }); });
    on("mnuProductionSetup", [this] { m_guarded([this] { ShowProductionDialog(); }); });
    on("mnuProductionHistory", [this] {
        m_main.History()->Reload(ReadProductionSetup(m_writer.settings).store);
        m_main.ShowChild(m_main.HistoryWindow(), kHistoryWindowPlace);
    });
    ReadNextSerial();

    m_main.onPanelClicked = [this](int panelNumber) {
        const QLabel* label = m_main.StatusPanel(panelNumber);
        if (label == nullptr || !label->text().startsWith(texts::kPortPanelPrefix)) return;
        m_guarded([this] { ShowPortDialog(); });
    };
}

namespace {

const WriterCommand kWriterCommands[] = {
    {PanelCommand::Program, JobCommand::Program, true},     {PanelCommand::Verify, JobCommand::Verify, true},
    {PanelCommand::Read, JobCommand::Read, true},           {PanelCommand::Erase, JobCommand::Erase, true},
    {PanelCommand::FuseRead, std::nullopt, false},          {PanelCommand::FuseWrite, JobCommand::FuseWrite, false},
};
// The restore takes the device the bytes came from: a chip of another device fails its device check.
const WriterCommand kUndoLockFuse{PanelCommand::FuseWrite, JobCommand::FuseRestore, false, true};

}  // namespace

void MainCommands::OnPanelCommand(PanelCommand command) {
    switch (command) {
        case PanelCommand::Open:
            return void(RunFileCommand(&image::OpenCodeAndData));
        case PanelCommand::Save:
            return void(RunFileCommand(&image::SaveAsCodeAndData));
        case PanelCommand::Reload:
            return void(RunFileCommand(&image::Reload));
        case PanelCommand::ComSelect:
            return m_guarded([this] {
                m_ui.Status(core::StatusField::Result, QString());
                ShowPortDialog();
            });
        default:
            break;
    }
    for (const WriterCommand& writer : kWriterCommands)
        if (writer.command == command) return RunWriterCommand(writer);
}

std::optional<image::FileOutcome> MainCommands::RunFileCommand(image::FileOutcome (*command)(image::FileContext&)) {
    std::optional<image::FileOutcome> result;
    m_guarded([this, command, &result] {
        image::FileContext ctx{m_ui, m_writer.state, m_images, m_writer.settings, m_fileDialog};
        const image::FileOutcome outcome = command(ctx);
        // Only an open that took its files goes on the list; a refused one leaves it alone.
        if (outcome.pairOpened) RememberRecentFile(m_writer.state.CodeFileName);
        // Files opened by hand are no longer the setup's.
        if (outcome.programChanged || outcome.eepromChanged) {
            ShowSetupName(QString());
            m_setup.reset();
        }
        if (outcome.programChanged && !outcome.fuses.Empty()) ShowFileChoices(outcome.fuses);
        if (outcome.programChanged || outcome.eepromChanged)
            ResetEdits(outcome.programChanged, outcome.eepromChanged);
        if (outcome.programSaved) m_savedAt[0] = m_edits.index();
        if (outcome.eepromSaved) m_savedAt[1] = m_edits.index();
        ShowImageState();
        FollowOpenFiles();
        result = outcome;
    });
    return result;
}

// --- Program when the files change ------------------------------------------------------------------------

void MainCommands::FollowOpenFiles() {
    const core::SharedState& state = m_writer.state;
    const QStringList files = m_main.Action(QStringLiteral("mnuFileWatch"))->isChecked()
                                  ? QStringList{state.CodeFileName, state.EepFileName}
                                  : QStringList{};
    if (files != m_followed) m_watcher.Follow(files);
    m_followed = files;
}

void MainCommands::OnOpenFilesSettled() {
    // A change during an operation is taken after it.
    if (m_guard.IsBusy()) return m_watcher.SettleAgain();
    if (!m_watcher.TakeChange()) return;
    if (HasUnsavedEdits() && m_ui.Ask(core::MessageIcon::Information, kMessageCaption, texts::kWatchReloadQuestion,
                                      core::MessageButtons::OkCancel) != core::MessageAnswer::Ok)
        return;
    // A file that no longer reads is refused by the reload with its message, and not programmed.
    const std::optional<image::FileOutcome> reloaded = RunFileCommand(&image::Reload);
    if (reloaded && reloaded->Done()) OnPanelCommand(PanelCommand::Program);
}

void MainCommands::ShowFileChoices(const image::FileFuses& fuses) {
    const devices::Device* device = devices::DeviceAt(m_writer.state.SelectedDevice);
    const operations::LockFuseBytes bytes{fuses.fuse, fuses.fuseHigh, fuses.lock};
    const QList<PanelControl> unmatched = operations::UnmatchedLockFuseFields(device, bytes);
    m_panel.ShowFileChoices(operations::FileLockFuseChoices(device, bytes, m_panel.Choices(), unmatched),
                            QFileInfo(m_writer.state.CodeFileName).fileName());
    QStringList names;
    for (const PanelControl control : unmatched) names << devices::ControlName(control);
    if (!names.isEmpty())
        m_ui.Notice(core::JoinTexts({texts::kFileChoicesUnmatched, names.join(QStringLiteral(", "))}));
}

void MainCommands::SaveListing(const QString& text, const QString& title, const QString& presetName) {
    const core::FileDialogRequest request{title, texts::kListFilter, texts::kListSuffix, presetName,
                                          core::ReadText(m_writer.settings, keys::SaveDir)};
    const std::optional<QString> answer = m_ui.ChooseSaveFile(request);
    if (!answer || answer->isEmpty()) return;
    // The chooser leaves the overwrite question to its caller.
    if (QFileInfo::exists(*answer) &&
        m_ui.Ask(core::MessageIcon::Information, image::texts::kSaveTitle, image::texts::kOverwriteQuestion,
                 core::MessageButtons::OkCancel) != core::MessageAnswer::Ok)
        return;
    // Through the one save of the image floor: a write cut short by a full disk is a failure there.
    QString reason;
    if (image::SaveFileContents(*answer, text.toUtf8(), &reason) != image::SaveFailure::None)
        m_ui.Ask(core::MessageIcon::Critical, kMessageCaption,
                 core::Translate(texts::kListSaveFailed).arg(*answer, reason), core::MessageButtons::Ok);
}

void MainCommands::CopyListing(const QString& text) {
    QString plain = text;
    QGuiApplication::clipboard()->setText(plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void MainCommands::OpenFile(const QString& path) {
    m_ui.AnswerNextOpenChooser(path);
    RunFileCommand(&image::OpenCodeAndData);
    // Refused while busy: the answer must not go to a later chooser.
    m_ui.ForgetNextOpenAnswer();
}

QStringList MainCommands::RecentFiles() const {
    QStringList paths = core::ReadText(m_writer.settings, keys::RecentFiles).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    paths.removeDuplicates();
    return paths.mid(0, kRecentFileCount);
}

void MainCommands::RememberRecentFile(const QString& path) {
    if (path.isEmpty()) return;
    QStringList paths = RecentFiles();
    paths.removeAll(path);
    paths.prepend(path);
    paths = paths.mid(0, kRecentFileCount);
    core::WriteText(m_writer.settings, keys::RecentFiles, paths.join(QLatin1Char('\n')));
    m_main.ShowRecentFiles(paths);
}

// --- Device selection and the lock/fuse choices ----------------------------------------------------------

void MainCommands::FillDeviceSelector() { m_panel.FillDevices(devices::DeviceNames()); }

void MainCommands::ApplyDeviceSelection() {
    core::SharedState& state = m_writer.state;
    const int index = m_panel.DeviceIndex();
    if (!m_panel.DeviceText().isEmpty()) {
        const devices::Device* device =
            devices::DeviceAt(devices::FindDevice(m_panel.DeviceText()).value_or(-1));
        state.DeviceCode = device ? device->code : 0;
        state.ProgramMemoryWords = device ? device->flashWords : 0;
        state.EepromBytes = device ? device->eepromBytes : 0;
        m_panel.ApplySetup(devices::PanelFor(device));
    }
    if (index >= 0) {
        core::WriteInt(m_writer.settings, keys::Device, index);
        state.SelectedDevice = index;
    }
    m_panel.ShowDeviceSizes(state.ProgramMemoryWords, state.EepromBytes);
    RedrawDumps();
    m_panel.ShowBufferEdit();
}

void MainCommands::RedrawDumps() {
    image::RedrawProgramDump(m_ui, m_writer.state, m_images);
    image::RedrawEepromDump(m_ui, m_writer.state, m_images);
    ShowImageState();
}

void MainCommands::frmMain_Combo_device_Click() {
    ApplyDeviceSelection();
    image::ClearProgramImage(m_images);
    image::ClearEepromImage(m_images);
    ResetEdits(true, true);
    RedrawDumps();
    if (FrmIndex* index = m_indexWindow())
        index->DUT_COLOR_CHANGE(devices::DeviceAt(m_writer.state.SelectedDevice));
}

void MainCommands::OnDeviceActivated() {
    const bool locked = stationRefuses && stationRefuses();
    if (locked || m_guard.IsBusy()) {
        // The running operation (or the locked job) keeps its device: the selector returns to it.
        m_panel.SetDeviceIndex(m_writer.state.SelectedDevice);
        if (!locked) m_ui.Status(core::StatusField::Result, core::kBusyText);
        return;
    }
    m_guarded([this] { frmMain_Combo_device_Click(); });
}

void MainCommands::OnChoiceActivated(PanelControl control) {
    const int previous = m_panel.AcceptedChoice(control);
    const bool locked = stationRefuses && stationRefuses();
    if (locked || m_guard.IsBusy()) {
        // A running lock/fuse cycle (or the locked job) works on these choices: they stay as they were.
        m_panel.SetChoice(control, previous);
        if (!locked) m_ui.Status(core::StatusField::Result, core::kBusyText);
        return;
    }
    m_panel.AcceptChoice(control);
    if (control == PanelControl::RSTDISABL && m_panel.Choices()[static_cast<int>(control)] != previous)
        frmMain_Combo_RSTDISABL_Click();
}

void MainCommands::frmMain_Combo_RSTDISABL_Click() {
    const int index = m_panel.Choices()[static_cast<int>(PanelControl::RSTDISABL)];
    if (devices::ResetWarningApplies(devices::DeviceAt(m_writer.state.SelectedDevice), index))
        m_ui.Notice(operations::texts::kResetDisableWarning);
}

void MainCommands::UndoLockFuse() { RunWriterCommand(kUndoLockFuse); }

void MainCommands::NoteLockFuseWrite(const operations::Report& report, const devices::Device* device) {
    m_ui.Log(QStringLiteral("Lock/Fuse: %1 -> %2")
                 .arg(report.lockFuseBefore.Empty() ? QStringLiteral("?")
                                                    : operations::LockFuseBytesText(report.lockFuseBefore),
                      operations::LockFuseBytesText(report.lockFuseWritten)));
    // A write whose bytes before could not be read leaves nothing to go back to.
    m_undo = report.lockFuseBefore.Empty() ? std::nullopt
                                           : std::optional<LockFuseUndo>({device, report.lockFuseBefore});
    m_main.Action(QStringLiteral("mnuUndoLockFuse"))->setEnabled(m_undo.has_value());
}

}  // namespace zendra::shell
