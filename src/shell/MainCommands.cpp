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
#include "production/Setup.h"
#include "shell/DialogProduction.h"
#include "shell/FrmCom.h"
#include "shell/FrmDump.h"
#include "shell/FrmIndex.h"
#include "shell/FrmLog.h"
#include "shell/FrmMain.h"
#include "shell/FrmMsg.h"
#include "shell/LiveText.h"
#include "shell/OperationThread.h"
#include "shell/SettingsPanel.h"
#include "shell/ShellTexts.h"
#include "shell/WindowsUserInterface.h"

namespace zendra::shell {

using core::PanelControl;
using core::DumpWindow;
namespace keys = core::keys;

// One write of the buffer-edit panel on the undo stack.
class MainCommands::CellEdit final : public QUndoCommand {
public:
    CellEdit(MainCommands& owner, image::CellChange change) : m_owner(owner), m_change(std::move(change)) {}
    bool Program() const { return m_change.program; }
    void undo() override { Apply(true); }
    void redo() override {
        // The panel's write has put the bytes in already when the edit goes on the stack.
        if (!std::exchange(m_fresh, false)) Apply(false);
    }

private:
    void Apply(bool undo) {
        image::ApplyCellChange(m_owner.m_ui, m_owner.m_writer.state, m_owner.m_images, m_change, undo);
    }
    MainCommands& m_owner;
    image::CellChange m_change;
    bool m_fresh = true;
};

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

// The panel's writer commands: the job each runs (none for the lock/fuse read, which leaves no record);
// `cancellable`: the message window offers "中止" meanwhile.
struct WriterCommand {
    PanelCommand command;
    std::optional<operations::JobCommand> job;
    bool cancellable;
    bool undo = false;  // "元に戻す": the bytes the last lock/fuse write replaced
};

namespace {

using operations::JobCommand;
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

// --- Bench setups ----------------------------------------------------------------------------------------

void MainCommands::ShowSetupName(const QString& name) {
    for (const DumpWindow window : {DumpWindow::Program, DumpWindow::Eeprom})
        shell::ShowSetupName(m_main.DumpSubWindow(window), name);
}

production::Setup MainCommands::HeldSetup() const {
    const core::SharedState& state = m_writer.state;
    production::Setup setup;
    if (state.CodeFileName.isEmpty()) return setup;
    setup.code = {QFileInfo(state.CodeFileName).absoluteFilePath(), production::FileSha256(state.CodeFileName)};
    // The windows program the EEPROM image whenever a data file was opened with the code.
    setup.programEeprom = !state.EepFileName.isEmpty() && state.EepFileName != state.CodeFileName &&
                          QFileInfo(state.EepFileName).isFile();
    if (setup.programEeprom)
        setup.eeprom = production::PinnedFile{QFileInfo(state.EepFileName).absoluteFilePath(),
                                              production::FileSha256(state.EepFileName)};
    const devices::Device* device = devices::DeviceAt(state.SelectedDevice);
    if (device) {
        setup.device = device->Name();
        const devices::PanelSetup panel = devices::PanelFor(device);
        const devices::PanelIndexes choices = m_panel.Choices();
        for (int i = 0; i < core::kPanelControlCount; ++i)
            if (panel.controls[i].enabled)
                setup.lockFuse.append({devices::ControlName(PanelControl(i)),
                                       operations::ChoiceName(device, PanelControl(i), choices[i])});
    }
    if (const int number = core::ReadInt(m_writer.settings, keys::ComNox); number >= 1)
        setup.ports << QStringLiteral("COM%1").arg(number);
    return setup;
}

void MainCommands::SaveSetup() {
    m_guarded([this] {
        const core::SharedState& state = m_writer.state;
        if (state.CodeFileName.isEmpty()) {
            m_ui.Ask(core::MessageIcon::Information, kMessageCaption, texts::kSetupNeedsCode, core::MessageButtons::Ok);
            return;
        }
        const core::FileDialogRequest request{texts::kSaveSetupTitle, texts::kSetupFilter, texts::kSetupSuffix,
                                              QFileInfo(state.CodeFileName).completeBaseName() + QStringLiteral(".") +
                                                  texts::kSetupSuffix,
                                              core::ReadText(m_writer.settings, keys::SaveDir)};
        const std::optional<QString> answer = m_ui.ChooseSaveFile(request);
        if (!answer || answer->isEmpty()) return;
        const QString& path = *answer;
        production::Setup setup = HeldSetup();
        if (QFileInfo::exists(path)) {
            if (m_ui.Ask(core::MessageIcon::Information, image::texts::kSaveTitle, image::texts::kOverwriteQuestion,
                         core::MessageButtons::OkCancel) != core::MessageAnswer::Ok)
                return;
            // What a later program added to the setup stays; a setup of a later program is not replaced.
            const production::SetupLoad previous = production::LoadSetup(path);
            if (previous.problem == production::SetupProblem::Newer) {
                m_ui.Ask(core::MessageIcon::Critical, kMessageCaption, core::Compose(texts::kSetupNewer, {path}),
                         core::MessageButtons::Ok);
                return;
            }
            setup.kept = previous.setup.kept;
        }
        setup.code.path = production::StoredPath(path, setup.code.path);
        if (setup.eeprom) setup.eeprom->path = production::StoredPath(path, setup.eeprom->path);
        PutProduction(setup, ReadProductionTexts(m_writer.settings), path);
        if (const auto failed = production::SaveSetup(setup, path)) {
            m_ui.Ask(core::MessageIcon::Critical, kMessageCaption, core::Compose(texts::kListSaveFailed, {path, *failed}),
                     core::MessageButtons::Ok);
            return;
        }
        RememberRecentFile(path);
        ShowSetupName(QFileInfo(path).completeBaseName());
    });
}

void MainCommands::OpenSetup(const QString& given) {
    if (stationRefuses && stationRefuses()) return;
    // Each step below takes the guard itself, as the file commands and the device selector do.
    if (m_guard.IsBusy()) return m_ui.Status(core::StatusField::Result, core::kBusyText);
    QString path = given;
    if (path.isEmpty()) {
        const core::FileDialogRequest request{texts::kOpenSetupTitle, texts::kSetupFilter, texts::kSetupSuffix, QString(),
                                              core::ReadText(m_writer.settings, keys::OpenDir)};
        const std::optional<QString> answer = m_ui.ChooseOpenFile(request);
        if (!answer || answer->isEmpty()) return;
        path = *answer;
    }
    const production::SetupLoad load = production::LoadSetup(path);
    if (load.problem != production::SetupProblem::None) {
        const QString& text = load.problem == production::SetupProblem::Newer      ? texts::kSetupNewer
                              : load.problem == production::SetupProblem::BadValue ? texts::kSetupBadValue
                                                                                   : texts::kSetupUnreadable;
        const QString said = core::Compose(text, {path, load.key});
        m_ui.Ask(core::MessageIcon::Critical, kMessageCaption,
                 load.nearDevice.isEmpty()
                     ? said
                     : core::JoinTexts({said, core::Compose(texts::kDidYouMean, {load.nearDevice})}, QStringLiteral(" ")),
                 core::MessageButtons::Ok);
        return;
    }
    const production::Setup& setup = load.setup;
    if (const QStringList changed = production::ChangedFiles(setup, path);
        !changed.isEmpty() && m_ui.Ask(core::MessageIcon::Information, kMessageCaption,
                                       core::Compose(texts::kSetupFilesChanged, {changed.join(QStringLiteral("\r\n"))}),
                                       core::MessageButtons::OkCancel) != core::MessageAnswer::Ok)
        return;
    const devices::Device* device = nullptr;
    if (const auto index = devices::FindDevice(setup.device)) {
        device = devices::DeviceAt(*index);
        m_panel.SetDeviceIndex(*index);
        m_guarded([this] { frmMain_Combo_device_Click(); });
    }
    OpenFile(production::ResolvedPath(path, setup.code.path));
    if (m_writer.state.CodeFileName != production::ResolvedPath(path, setup.code.path)) return;  // refused, and said so
    if (setup.programEeprom && setup.eeprom) {
        m_ui.AnswerNextOpenChooser(production::ResolvedPath(path, setup.eeprom->path));
        RunFileCommand(&image::OpenData);
        m_ui.ForgetNextOpenAnswer();
    } else if (!setup.programEeprom) {
        m_guarded([this] {
            m_writer.state.EepFileName.clear();
            image::ClearEepromImage(m_images);
            ResetEdits(false, true);
            image::RedrawEepromDump(m_ui, m_writer.state, m_images);
        });
    }
    QStringList unknown;
    OpenedSetup opened;
    for (const production::SetupChoice& choice : setup.lockFuse) {
        const auto control = devices::ControlByName(choice.field);
        const auto entries = control && device ? devices::ActiveChoices(*control, device->fuseLayout) : std::nullopt;
        const int index = entries ? int(entries->entries.indexOf(choice.choice)) : -1;
        if (index < 0) {
            unknown << choice.field + QLatin1Char('=') + choice.choice;
            continue;
        }
        m_panel.SetChoice(*control, index);
        m_panel.AcceptChoice(*control);
        opened.choices.append({*control, index});
    }
    if (!unknown.isEmpty()) m_ui.Notice(core::Compose(texts::kSetupChoiceUnknown, {unknown.join(QStringLiteral(", "))}));
    // The setup's stamp, calibration copy and store replace the production settings, as the command line
    // would run them.
    WriteProductionTexts(m_writer.settings, ProductionOf(setup, path));
    ReadNextSerial();
    RememberRecentFile(path);
    ShowSetupName(QFileInfo(path).completeBaseName());
    opened.editIndex = m_edits.index();
    m_setup = opened;
}

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
    if (const operations::ProductionSetup& p = job.production;
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
    const operations::ProductionSetup setup = ReadProductionSetup(m_writer.settings);
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

void MainCommands::ResetEdits(bool programReplaced, bool eepromReplaced) {
    const std::array<int, 2> savedAt{programReplaced || !Unsaved(true) ? 0 : -1,
                                     eepromReplaced || !Unsaved(false) ? 0 : -1};
    m_edits.clear();
    m_savedAt = savedAt;
}

bool MainCommands::Unsaved(bool program) const {
    const int saved = m_savedAt[program ? 0 : 1];
    if (saved < 0) return true;
    const int now = m_edits.index();
    for (int i = std::min(saved, now); i < std::max(saved, now); ++i)
        if (static_cast<const CellEdit*>(m_edits.command(i))->Program() == program) return true;
    return false;
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

// --- Buffer edit and clear -------------------------------------------------------------------------------

void MainCommands::ReadBufferCell(bool showData) {
    if (auto data = image::ReadBufferCell(m_ui, m_writer.state, m_images, m_panel.BufferInput(), showData))
        m_panel.SetBufferData(*data);
}

void MainCommands::WriteBufferCell() {
    std::optional<image::CellChange> change =
        image::WriteBufferCell(m_ui, m_writer.state, m_images, m_panel.BufferInput());
    if (!change) return;
    // The edits undone past a save point go for good, so no index matches that file any more.
    for (int& saved : m_savedAt)
        if (saved > m_edits.index()) saved = -1;
    m_edits.push(new CellEdit(*this, std::move(*change)));
}

void MainCommands::mnuPC_buffer_clear_Click() {
    image::ClearProgramImage(m_images);
    image::ClearEepromImage(m_images);
    ResetEdits(true, true);
    RedrawDumps();
    ApplyDeviceSelection();
    m_ui.Status(core::StatusField::Result, texts::kBufferCleared);
}

}  // namespace zendra::shell
