#include "shell/MainCommands.h"
#include "operations/Station.h"

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

// --- Bench setups ----------------------------------------------------------------------------------------

void MainCommands::ShowSetupName(const QString& name) {
    for (const DumpWindow window : {DumpWindow::Program, DumpWindow::Eeprom})
        shell::ShowSetupName(m_main.DumpSubWindow(window), name);
}

production::BenchSetup MainCommands::HeldSetup() const {
    const core::SharedState& state = m_writer.state;
    production::BenchSetup setup;
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
        const devices::PanelDefaults panel = devices::PanelFor(device);
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
        production::BenchSetup setup = HeldSetup();
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
    const production::BenchSetup& setup = load.setup;
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
        const QString eeprom = production::ResolvedPath(path, setup.eeprom->path);
        m_ui.AnswerNextOpenChooser(eeprom);
        RunFileCommand(&image::OpenData);
        m_ui.ForgetNextOpenAnswer();
        // A refused EEPROM file leaves the setup unopened: its job would program the buffer's old bytes.
        if (m_writer.state.EepFileName != eeprom) return;
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
        const auto taken = operations::SetupChoiceOf(choice, device);
        if (!taken) {
            unknown << choice.field + QLatin1Char('=') + choice.choice;
            continue;
        }
        m_panel.SetChoice(taken->control, taken->index);
        m_panel.AcceptChoice(taken->control);
        opened.choices.append(*taken);
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

}  // namespace zendra::shell
