#include "shell/Application.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>

#include "core/Product.h"
#include "devices/Catalogue.h"
#include "devices/LockFuse.h"
#include "shell/InstanceLock.h"
#include "image/BufferEdit.h"
#include "image/Dumps.h"
#include "image/FileCommands.h"
#include "link/QtSerialPortAdapter.h"
#include "operations/Flows.h"
#include "shell/FrmAbout.h"
#include "shell/FrmCom.h"
#include "shell/FrmDump.h"
#include "shell/FrmIndex.h"
#include "shell/FrmMain.h"
#include "shell/HelpWindow.h"
#include "shell/SettingsPanel.h"
#include "shell/ShellTexts.h"
#include "shell/WidgetUi.h"
#include "update/Dialog_Update.h"

namespace zendra::shell {

namespace {

namespace keys = core::keys;
using core::PanelControl;

// Below this a frame cannot show its menu bar, a child and the status bar; such a stored place is ignored.
constexpr double kMinimumFrameWidth = 3000;
constexpr double kMinimumFrameHeight = 2000;
// A child smaller than this shows no usable content.
constexpr double kMinimumChildWidth = 1000;
constexpr double kMinimumChildHeight = 500;
// How much of the frame must lie on a screen for the user to reach it.
constexpr int kMinimumVisiblePixels = 40;
// How often a close that waits for an operation looks again.
constexpr std::chrono::milliseconds kCloseRetryInterval{100};

struct PlaceKeys {
    const core::RealKey& left;
    const core::RealKey& top;
    const core::RealKey& width;
    const core::RealKey& height;
};

const PlaceKeys kMainKeys{keys::MainLeft, keys::MainTop, keys::MainWidth, keys::MainHeight};
const PlaceKeys kProgramKeys{keys::PgmLeft, keys::PgmTop, keys::PgmWidth, keys::PgmHeight};
const PlaceKeys kEepromKeys{keys::EEpLeft, keys::EEpTop, keys::EEpWidth, keys::EEpHeight};

TwipsRect ReadPlace(const core::SettingsStore& store, const PlaceKeys& k) {
    return {core::ReadReal(store, k.left), core::ReadReal(store, k.top), core::ReadReal(store, k.width),
            core::ReadReal(store, k.height)};
}

TwipsRect DefaultPlace(const PlaceKeys& k) {
    return {k.left.defaultValue, k.top.defaultValue, k.width.defaultValue, k.height.defaultValue};
}

void WritePlace(core::SettingsStore& store, const PlaceKeys& k, const TwipsRect& place) {
    core::WriteReal(store, k.left, place.left);
    core::WriteReal(store, k.top, place.top);
    core::WriteReal(store, k.width, place.width);
    core::WriteReal(store, k.height, place.height);
}

constexpr PanelControl kPanelControls[] = {
    PanelControl::CKSEL,     PanelControl::SUT,    PanelControl::BODEN,  PanelControl::BODLEVEL,
    PanelControl::RSTDISABL, PanelControl::EESAVE, PanelControl::CKOPT,  PanelControl::PLLCK,
    PanelControl::FSTRT,     PanelControl::RCEN,   PanelControl::LockBit};

}  // namespace

QString WithTrailingSeparator(const QString& folder) {
    QString out = QDir::fromNativeSeparators(folder);
    while (out.size() > 1 && out.endsWith(QLatin1String("//"))) out.chop(1);
    if (!out.endsWith(QLatin1Char('/'))) out += QLatin1Char('/');
    return out;
}

QString ChooseScratchDir(const QString& appDir) {
    // A real file is the only reliable test: permission bits say nothing about read-only mounts or root.
    QTemporaryFile probe(appDir + QStringLiteral("zendra-XXXXXX.tmp"));
    if (probe.open()) return appDir;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(data);
    return WithTrailingSeparator(data);
}

TwipsRect RestoredFramePlace(const TwipsRect& stored, const TwipsRect& fallback, const QList<QRect>& screens,
                             double dpi) {
    if (stored.width < kMinimumFrameWidth || stored.height < kMinimumFrameHeight) return fallback;
    const QRect pixels = TwipsToPixels(stored, dpi);
    for (const QRect& screen : screens) {
        const QRect seen = screen.intersected(pixels);
        if (seen.width() >= kMinimumVisiblePixels && seen.height() >= kMinimumVisiblePixels) return stored;
    }
    return fallback;
}

TwipsRect RestoredChildPlace(const TwipsRect& stored, const TwipsRect& fallback) {
    if (stored.width < kMinimumChildWidth || stored.height < kMinimumChildHeight) return fallback;
    return stored;
}

Application::Application(ApplicationSetup setup) : m_setup(std::move(setup)) {}

Application::~Application() {
    // Windows first: they hold references into the objects below.
    m_help.clear();
    delete m_index.data();
    m_about.reset();
    m_ui.reset();
    m_main.reset();
}

FrmIndex* Application::IndexWindow() const { return m_index.data(); }

HelpWindow* Application::Help() const { return m_help.data(); }

Application::StartResult Application::Start() {
    // 1. One copy per user: a second one ends before it shows or writes anything.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QDir().mkpath(runtime);
    const QString lockPath = runtime + QLatin1Char('/') + kInstanceLockName;
    m_lock = std::make_unique<QLockFile>(lockPath);
    // A running copy keeps its lock however long it runs; only a dead owner's lock is stale.
    m_lock->setStaleLockTime(0);
    const InstanceLockResult lock = TakeInstanceLock(*m_lock, lockPath);
    if (lock.outcome != InstanceLockOutcome::Taken) {
        m_lock.reset();
        m_lockFailureText = lock.failureText;
        return lock.outcome == InstanceLockOutcome::Failed ? StartResult::LockFailed : StartResult::AlreadyRunning;
    }

    Build();

    // 2, 4. The About box is prepared unshown, with the support line.
    m_about->Prepare();

    // 3. The program's directory (main() made it current) and where the scratch files go.
    const QString appDir = m_setup.appDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_setup.appDir;
    m_state.AppDir = WithTrailingSeparator(appDir);
    m_state.ScratchDir = ChooseScratchDir(m_state.AppDir);

    // 5. Frame and memory windows at their remembered places.
    MDIForm_Load();
    // 6, 7.
    // "New Zendra " + the About box's version label.
    m_main->setWindowTitle(core::kMainCaption);
    m_main->show();

    // 8.
    image::ClearProgramImage(m_images);
    image::ClearEepromImage(m_images);
    m_state.ProgramMemoryWords = 0;
    m_state.EepromBytes = 0;

    // 9, 10. Setting the index of the empty selector is a change of selection: its handler runs.
    FillDeviceSelector();
    {
        QComboBox* selector = m_main->Panel()->Combo_device;
        const QSignalBlocker blocker(selector);
        selector->setCurrentIndex(core::ReadInt(*m_settings, keys::Device));
    }
    frmMain_Combo_device_Click();
    // 11.
    ApplyDeviceSelection();

    // 12. The port dialog on the very first start only; the marker is set whatever the user chose there.
    if (core::ReadInt(*m_settings, keys::IndexComFlag) == 0) {
        Guarded([this] { ShowPortDialog(); });
        core::WriteInt(*m_settings, keys::IndexComFlag, 1);
    }

    // 13.
    ShowIndexWindow();
    return StartResult::Started;
}

void Application::Build() {
    if (m_setup.timing == nullptr) {
        m_ownTiming = std::make_unique<core::SystemTiming>();
        m_setup.timing = m_ownTiming.get();
    }
    if (m_setup.port == nullptr) {
        m_ownPort = std::make_unique<link::QtSerialPortAdapter>();
        m_setup.port = m_ownPort.get();
    }
    m_settings = std::make_unique<core::IniSettingsStore>();
    m_ports = m_setup.detectPorts ? std::make_unique<link::PortMap>(*m_settings, m_setup.detectPorts)
                                  : std::make_unique<link::PortMap>(*m_settings);
    m_main = std::make_unique<frmMain>();
    m_ui = std::make_unique<WidgetUi>(*m_main);
    m_link = std::make_unique<link::LinkContext>(
        link::LinkContext{*m_setup.port, *m_setup.timing, *m_ui, m_state, *m_settings, *m_ports});
    m_about = std::make_unique<AboutBoxHost>(m_main.get());
    m_closeRetry.setInterval(kCloseRetryInterval);
    QObject::connect(&m_closeRetry, &QTimer::timeout, m_main.get(), [this] { RunPendingClose(); });
    Wire();
    if (m_setup.prepareUi) m_setup.prepareUi(*m_ui);
}

void Application::MDIForm_Load() {
    const double dpi = m_main->Dpi();
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
    const TwipsRect frame =
        RestoredFramePlace(ReadPlace(*m_settings, kMainKeys), DefaultPlace(kMainKeys), screens, dpi);
    // The frame's client rectangle, the same one the unload step stores, so nothing drifts between runs.
    m_main->setGeometry(TwipsToPixels(frame, dpi));

    m_main->PlaceChild(m_main->SettingWindow(), kSettingWindowPlace);
    m_main->PlaceChild(m_main->DumpSubWindow(core::DumpWindow::Program),
                       RestoredChildPlace(ReadPlace(*m_settings, kProgramKeys), DefaultPlace(kProgramKeys)));
    m_main->PlaceChild(m_main->DumpSubWindow(core::DumpWindow::Eeprom),
                       RestoredChildPlace(ReadPlace(*m_settings, kEepromKeys), DefaultPlace(kEepromKeys)));
}

void Application::FillDeviceSelector() {
    QComboBox* selector = m_main->Panel()->Combo_device;
    const QSignalBlocker blocker(selector);
    selector->clear();
    selector->addItems(devices::DeviceNames());
}

void Application::Wire() {
    frmMain* main = m_main.get();
    SettingsPanel* panel = main->Panel();
    auto on = [main](QAction* action, std::function<void()> handler) {
        QObject::connect(action, &QAction::triggered, main, [handler = std::move(handler)] { handler(); });
    };
    auto click = [main](QPushButton* button, std::function<void()> handler) {
        QObject::connect(button, &QPushButton::clicked, main, [handler = std::move(handler)] { handler(); });
    };
    auto files = [this](void (*command)(image::FileContext&)) {
        return [this, command] {
            Guarded([this, command] {
                image::FileContext ctx{*m_ui, m_state, m_images, *m_settings, m_fileDialog};
                command(ctx);
            });
        };
    };
    auto writer = [this](void (*command)(operations::OperationContext&)) {
        return [this, command] {
            Guarded([this, command] {
                operations::OperationContext ctx{*m_link, m_images};
                command(ctx);
            });
        };
    };
    auto portSelection = [this] {
        Guarded([this] {
            m_ui->SetStatusPanel(1, QString());
            ShowPortDialog();
        });
    };
    auto erase = [this] {
        Guarded([this] {
            operations::OperationContext ctx{*m_link, m_images};
            operations::EraseCommand(ctx, [this] { ApplyDeviceSelection(); });
        });
    };

    // Buttons.
    click(panel->Cmd_btn_open, files(&image::OpenCodeAndData));
    click(panel->Cmd_btn_save, files(&image::SaveAsCodeAndData));
    click(panel->Cmd_btn_reload, files(&image::Reload));
    click(panel->Cmd_btn_comselect, portSelection);
    click(panel->Cmd_btn_erase, erase);
    click(panel->Cmd_btn_verify, writer(&operations::VerifyCommand));
    click(panel->Cmd_btn_read, writer(&operations::ReadCommand));
    click(panel->Cmd_btn_program, writer(&operations::ProgramCommand));
    click(panel->cmdFuseRead, [this] { Guarded([this] { devices::FuseRead(*m_link); }); });
    click(panel->cmdFuseWrite, [this] { Guarded([this] { devices::FuseWrite(*m_link); }); });
    click(panel->CmdRead, [this] {
        m_showBufferData = true;
        ReadBufferCell();
    });
    click(panel->CmdWrite, [this] { Guarded([this] { WriteBufferCell(); }); });
    QObject::connect(panel->txtAddress, &QLineEdit::textChanged, main, [this] {
        m_showBufferData = false;
        ReadBufferCell();
    });

    // Selectors: a user's pick arrives through activated, also when the same entry is picked again.
    QObject::connect(panel->Combo_device, &QComboBox::activated, main,
                     [this](int index) { OnDeviceActivated(index); });
    for (PanelControl control : kPanelControls) {
        QObject::connect(panel->Panel(control), &QComboBox::activated, main,
                         [this, control] { OnPanelChoice(static_cast<int>(control)); });
    }

    // Menus.
    on(main->Action(QStringLiteral("mnuFileOpen")), files(&image::OpenCodeAndData));
    on(main->Action(QStringLiteral("mnuFileOpenCode")), files(&image::OpenCode));
    on(main->Action(QStringLiteral("mnuFileOpenData")), files(&image::OpenData));
    on(main->Action(QStringLiteral("mnuFileSave")), files(&image::SaveOverwrite));
    on(main->Action(QStringLiteral("mnuFileSaveAs")), files(&image::SaveAsCodeAndData));
    on(main->Action(QStringLiteral("mnuFileSaveAsCode")), files(&image::SaveAsCode));
    on(main->Action(QStringLiteral("mnuFileSaveAsData")), files(&image::SaveAsData));
    on(main->Action(QStringLiteral("mnuReLoad")), files(&image::Reload));
    on(main->Action(QStringLiteral("mnuFileExit")), [main] { main->close(); });
    on(main->Action(QStringLiteral("mmuCominucation")), portSelection);
    on(main->Action(QStringLiteral("mnuPC_buffer_clear")),
       [this] { Guarded([this] { mnuPC_buffer_clear_Click(); }); });
    on(main->Action(QStringLiteral("mmudeviceIndex")), [this] { ShowIndexWindow(); });
    on(main->Action(QStringLiteral("mmuIndex")), [this] { ShowIndexWindow(); });
    on(main->Action(QStringLiteral("mnuFirmwareUpdate")), [this] { RunFirmwareUpdate(); });
    on(main->Action(QStringLiteral("mnuHelpSub")), [this] { ShowHelp(); });
    on(main->Action(QStringLiteral("mnuHelpAbout")), [this] { m_about->Open(); });

    main->onPanelClicked = [this](int panelNumber) { OnPanelClicked(panelNumber); };
    main->onCloseRequest = [this] { return OnCloseRequest(); };
}

void Application::Guarded(const std::function<void()>& body) {
    auto hold = m_guard.TryEnterOrRefuse(*m_ui);
    if (!hold) return;
    body();
    hold.reset();
    if (m_closePending) RunPendingClose();
}

void Application::RunPendingClose() {
    if (!m_closePending || m_ended || m_guard.IsBusy()) return;
    m_closePending = false;
    m_closeRetry.stop();
    // Once the current handler has returned: the shutdown then tears down nothing still in use.
    QTimer::singleShot(0, m_main.get(), [main = m_main.get()] { main->close(); });
}

int Application::RunModal(QDialog& dialog) {
    if (m_setup.runModal) return m_setup.runModal(dialog);
    return dialog.exec();
}

// --- Device selection ----------------------------------------------------------------------------------

void Application::ApplyDeviceSelection() {
    SettingsPanel* panel = m_main->Panel();
    devices::SetDeviceParameters(*m_ui, m_state);
    const int index = panel->Combo_device->currentIndex();
    if (index >= 0) {
        core::WriteInt(*m_settings, keys::Device, index);
        m_deviceIndex = index;
    }
    panel->Label3->setText(texts::kProgramSizePrefix + QString::number(m_state.ProgramMemoryWords) +
                           texts::kProgramSizeSuffix);
    panel->Label4->setText(texts::kEepromSizePrefix + QString::number(m_state.EepromBytes) +
                           texts::kEepromSizeSuffix);
    image::RedrawProgramDump(*m_ui, m_state, m_images);
    image::RedrawEepromDump(*m_ui, m_state, m_images);
    panel->frmModify->setVisible(true);
}

void Application::frmMain_Combo_device_Click() {
    ApplyDeviceSelection();
    m_ui->PumpEvents();
    image::ClearProgramImage(m_images);
    image::ClearEepromImage(m_images);
    image::DumpProgramImage(m_state, m_images);
    image::DumpEepromImage(m_state, m_images);
    image::ShowProgramDump(*m_ui, m_state);
    image::ShowEepromDump(*m_ui, m_state);
    m_ui->PumpEvents();
    if (m_index) m_index->DUT_COLOR_CHANGE(m_ui->DeviceSelectorText());
}

void Application::OnDeviceActivated(int) {
    if (m_guard.IsBusy()) {
        // The running operation keeps its device: the selector returns to it.
        QComboBox* selector = m_main->Panel()->Combo_device;
        const QSignalBlocker blocker(selector);
        selector->setCurrentIndex(m_deviceIndex);
        m_ui->SetStatusPanel(1, core::kBusyText);
        return;
    }
    Guarded([this] { frmMain_Combo_device_Click(); });
}

void Application::OnPanelChoice(int controlNumber) {
    const auto control = static_cast<PanelControl>(controlNumber);
    const int previous = m_ui->AcceptedPanelIndex(control);
    if (m_guard.IsBusy()) {
        // A running lock/fuse cycle composes its bytes from these choices: they stay as they were.
        m_ui->SetPanelIndex(control, previous);
        m_ui->SetStatusPanel(1, core::kBusyText);
        return;
    }
    m_ui->AcceptPanelIndex(control);
    if (control == PanelControl::RSTDISABL && m_ui->PanelIndex(control) != previous)
        devices::frmMain_Combo_RSTDISABL_Click(*m_ui);
}

// --- Buffer edit and clear -------------------------------------------------------------------------------

void Application::ReadBufferCell() {
    SettingsPanel* panel = m_main->Panel();
    const image::BufferEditInput input{panel->txtAddress->text(), panel->txtData->text(),
                                       panel->OptionProgram->isChecked()};
    if (auto data = image::ReadBufferCell(*m_ui, m_state, m_images, input, m_showBufferData))
        panel->txtData->setText(*data);
}

void Application::WriteBufferCell() {
    SettingsPanel* panel = m_main->Panel();
    const image::BufferEditInput input{panel->txtAddress->text(), panel->txtData->text(),
                                       panel->OptionProgram->isChecked()};
    image::WriteBufferCell(*m_ui, m_state, m_images, input);
}

void Application::mnuPC_buffer_clear_Click() {
    image::ClearProgramImage(m_images);
    image::ClearEepromImage(m_images);
    image::DumpProgramImage(m_state, m_images);
    image::DumpEepromImage(m_state, m_images);
    image::ShowProgramDump(*m_ui, m_state);
    image::ShowEepromDump(*m_ui, m_state);
    ApplyDeviceSelection();
    m_ui->SetStatusPanel(1, texts::kBufferCleared);
}

// --- Windows and dialogs ----------------------------------------------------------------------------------

void Application::ShowIndexWindow() {
    if (!m_index) {
        // Closing it by its frame unloads it; the menus create it afresh.
        m_index = new FrmIndex(m_ui->DeviceSelectorText(), m_main.get());
        m_index->setWindowFlag(Qt::Window, true);
        m_index->setAttribute(Qt::WA_DeleteOnClose, true);
    }
    m_index->DUT_COLOR_CHANGE(m_ui->DeviceSelectorText());
    m_index->show();
    const double dpi = m_main->Dpi();
    m_index->move(TwipsToPixels(core::ReadReal(*m_settings, keys::IndLeft),
                                core::ReadReal(*m_settings, keys::IndTop), dpi));
}

void Application::ShowPortDialog() {
    FrmCom dialog(*m_link, m_main.get());
    RunModal(dialog);
}

void Application::OnPanelClicked(int panel) {
    QLabel* label = m_main->StatusPanel(panel);
    if (label == nullptr || !label->text().startsWith(texts::kPortPanelPrefix)) return;
    Guarded([this] { ShowPortDialog(); });
}

void Application::ShowHelp() {
    if (!m_help) {
        m_help = new HelpWindow(m_main.get());
        m_help->setWindowFlag(Qt::Window, true);
        m_help->setAttribute(Qt::WA_DeleteOnClose, true);
    }
    m_help->ShowHelpFile(m_state.AppDir);
    m_help->show();
    m_help->raise();
}

void Application::RunFirmwareUpdate() {
    // The dialog takes the guard itself while it talks to the writer; it may not open during an operation.
    if (m_guard.IsBusy()) {
        m_ui->SetStatusPanel(1, core::kBusyText);
        return;
    }
    auto factory = m_setup.makeUpdatePort;
    if (!factory) factory = [] { return std::make_unique<link::QtSerialPortAdapter>(); };
    update::Dialog_Update::Run(m_main.get(), *m_link, m_guard, factory);
}

// --- Shutdown ----------------------------------------------------------------------------------------------

bool Application::OnCloseRequest() {
    if (m_ended) return true;
    if (m_guard.IsBusy()) {
        // Tearing the windows down now would pull them from under the running operation.
        m_closePending = true;
        m_ui->SetStatusPanel(1, texts::kWaitingForOperation);
        // Operations that hold the guard themselves (the update dialog) end without passing Guarded.
        if (!m_closeRetry.isActive()) m_closeRetry.start();
        return false;
    }
    MDIForm_QueryUnload();
    MDIForm_Unload();
    return true;
}

void Application::MDIForm_QueryUnload() {
    if (m_main->isMinimized()) return;
    // A minimised or maximised child has no place of its own worth keeping.
    const struct {
        core::DumpWindow window;
        const PlaceKeys& keys;
    } children[] = {{core::DumpWindow::Program, kProgramKeys}, {core::DumpWindow::Eeprom, kEepromKeys}};
    for (const auto& child : children) {
        QMdiSubWindow* sub = m_main->DumpSubWindow(child.window);
        if (sub->isMinimized() || sub->isMaximized()) continue;
        WritePlace(*m_settings, child.keys, m_main->ChildPlace(sub));
    }
}

void Application::MDIForm_Unload() {
    for (const QString& name : {image::kProgramDumpFile, image::kEepromDumpFile, image::kVerifyLogFile})
        QFile::remove(image::ScratchPath(m_state, name));
    if (!m_main->isMinimized()) {
        const double dpi = m_main->Dpi();
        if (m_index) {
            const QPoint at = m_index->pos();
            core::WriteReal(*m_settings, keys::IndLeft, PixelsToTwips(at.x(), dpi));
            core::WriteReal(*m_settings, keys::IndTop, PixelsToTwips(at.y(), dpi));
        }
        WritePlace(*m_settings, kMainKeys, PixelsToTwips(m_main->normalGeometry(), dpi));
    }
    if (m_setup.port->IsOpen()) m_setup.port->Close();
    m_settings->Sync();
    m_ended = true;

    // The other windows go with the frame.
    m_ui->CloseMessage();
    if (m_index) m_index->close();
    if (m_help) m_help->close();
    m_lock.reset();
    if (m_setup.onEnded) {
        m_setup.onEnded();
    } else {
        QCoreApplication::quit();
    }
}

}  // namespace zendra::shell
