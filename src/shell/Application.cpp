#include "shell/Application.h"
#include "shell/TerminationSignals.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLocale>
#include <QLockFile>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

#include "core/Product.h"
#include "devices/Catalogue.h"
#include "image/Dumps.h"
#include "link/SystemPort.h"
#include "shell/DialogCheck.h"
#include "shell/OperationThread.h"
#include "shell/StationGate.h"
#include "shell/DialogUpdate.h"
#include "shell/FrmAbout.h"
#include "shell/FrmIndex.h"
#include "shell/FrmMain.h"
#include "shell/FrmMsg.h"
#include "shell/HelpWindow.h"
#include "shell/InstanceLock.h"
#include "shell/LiveText.h"
#include "shell/MainCommands.h"
#include "shell/SettingsPanel.h"
#include "shell/ShellTexts.h"
#include "shell/FrmStation.h"
#include "shell/StationHandOver.h"
#include "shell/WindowsUserInterface.h"

namespace zendra::shell {

namespace {

namespace keys = core::keys;

// How often a close that waits for an operation looks again.
constexpr std::chrono::milliseconds kCloseRetryInterval{100};

}  // namespace

Application::Application(StartupOptions setup) : m_setup(std::move(setup)) {}

Application::~Application() {
    // Windows first: they hold references into the objects below.
    delete m_station.data();
    m_help.clear();
    delete m_index.data();
    m_commands.reset();
    m_about.reset();
    m_ui.reset();
    m_main.reset();
}

FrmIndex* Application::IndexWindow() const { return m_index.data(); }

HelpWindow* Application::Help() const { return m_help.data(); }

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) icon.addFile(QStringLiteral(":/icons/zendra-%1.png").arg(size));
    return icon;
}

Application::StartResult Application::Start() {
    // Every window and the About box show the program's own icon; the desktop entry names the same.
    QApplication::setWindowIcon(ProgramIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.zendra"));
    // The language first, so that even the lock's failure is told in it.
    m_settings = std::make_unique<core::IniSettingsStore>();
    SwitchLanguage(StartLanguage());

    // One copy per user: a second one ends before it shows or writes anything.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QDir().mkpath(runtime);
    const QString lockPath = runtime + QLatin1Char('/') + kInstanceLockName;
    m_stationSocket = StationSocketPath(runtime);
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
    // A second `zendra --station` hands its station over here instead of ending silently.
    m_stationListener = std::make_unique<StationListener>(
        m_stationSocket, [this](const StationRequest& request) { return core::Translate(OpenStation(request.setupPath, request.ports)); });

    // The About box is prepared unshown, with the support line.
    m_about->Prepare();

    // The program's directory (main() made it current) and where the scratch files go.
    const QString appDir = m_setup.appDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_setup.appDir;
    m_state.AppDir = WithTrailingSeparator(appDir);
    m_state.ScratchDir = ChooseScratchDir(m_state.AppDir);

    // Frame and memory windows at their remembered places; the caption is "New Zendra " and the About
    // box's version label.
    MDIForm_Load();
    ShowText(m_main.get(), core::kMainCaption, TextSlot::WindowTitle);
    m_main->ShowLanguage(core::CurrentLanguage());
    m_main->show();

    image::ClearProgramImage(m_images);
    image::ClearEepromImage(m_images);
    m_state.ProgramMemoryWords = 0;
    m_state.EepromBytes = 0;

    // Setting the index of the empty selector is a change of selection: its handler runs.
    m_commands->FillDeviceSelector();
    m_main->Panel()->SetDeviceIndex(core::ReadInt(*m_settings, keys::Device));
    m_commands->frmMain_Combo_device_Click();
    m_commands->ApplyDeviceSelection();
    // The device's lock/fuse controls are in the panel now: the settings window takes the room they need,
    // and a frame at its default size the room the settings window needs.
    m_main->PlaceSettingWindow();
    if (m_defaultFrame) m_main->GrowToShowAll();

    // The port dialog on the very first start only; the marker is set whatever the user chose there.
    if (core::ReadInt(*m_settings, keys::IndexComFlag) == 0) {
        Guarded([this] { m_commands->ShowPortDialog(); });
        core::WriteInt(*m_settings, keys::IndexComFlag, 1);
    }

    ShowIndexWindow();
    return StartResult::Started;
}

core::Language Application::StartLanguage() const {
    if (const auto stored = core::ParseLanguage(core::ReadText(*m_settings, keys::Language))) return *stored;
    return core::LanguageFromLocale(m_setup.localeName ? m_setup.localeName() : QLocale::system().name());
}

void Application::UseLanguage(core::Language language) {
    SwitchLanguage(language);
    // Stored at once: the choice outlives a crash or a second copy's start.
    core::WriteText(*m_settings, keys::Language, core::LanguageCode(language));
    m_settings->Sync();
    m_main->ShowLanguage(core::CurrentLanguage());
    // Other words take other room: the settings window grows for them, and the frame for it.
    m_main->FitSettingWindow();
    m_main->GrowToShowAll();
}

void Application::OpenFile(const QString& path) { m_commands->OpenFile(QFileInfo(path).absoluteFilePath()); }

void Application::Build() {
    if (m_setup.timing == nullptr) {
        m_ownTiming = std::make_unique<core::SystemTiming>();
        m_setup.timing = m_ownTiming.get();
    }
    if (m_setup.port == nullptr) {
        m_ownPort = link::MakeSystemSerialPort();
        m_setup.port = m_ownPort.get();
    }
    m_ports = m_setup.detectPorts ? std::make_unique<link::PortMap>(*m_settings, m_setup.detectPorts)
                                  : std::make_unique<link::PortMap>(*m_settings);
    m_main = std::make_unique<FrmMain>();
    m_ui = std::make_unique<WindowsUserInterface>(*m_main);
    m_ui->Messages().SetClock([timing = m_setup.timing] { return timing->Now(); });
    m_writer = std::make_unique<WriterContext>(
        WriterContext{*m_setup.port, *m_setup.timing, *m_ui, m_state, *m_settings, *m_ports});
    m_commands = std::make_unique<MainCommands>(
        *m_main, *m_ui, *m_writer, m_images, m_fileDialog, m_guard,
        [this](const std::function<void()>& body) { Guarded(body); },
        [this](QDialog& dialog) { return RunModal(dialog); }, [this] { return m_index.data(); });
    m_about = std::make_unique<AboutBoxHost>(m_main.get());
    m_lockGate = std::make_unique<StationGate>(*m_settings, *m_setup.timing, *m_ui, m_main.get(),
                                              [this](QDialog& dialog) { return RunModal(dialog); });
    m_commands->stationRefuses = [this] { return m_lockGate->Refuses(); };
    m_closeRetry.setInterval(kCloseRetryInterval);
    QObject::connect(&m_closeRetry, &QTimer::timeout, m_main.get(), [this] { RunPendingClose(); });
    Wire();
    m_ui->runModal = [this](QDialog& dialog) { return RunModal(dialog); };
    if (m_setup.prepareUi) m_setup.prepareUi(*m_ui);
}

void Application::MDIForm_Load() {
    const double dpi = m_main->Dpi();
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
    const TwipsRect frame =
        RestoredFramePlace(ReadPlace(*m_settings, kMainKeys), DefaultPlace(kMainKeys), screens, dpi);
    m_defaultFrame = frame == DefaultPlace(kMainKeys);
    // The frame's client rectangle, the same one shutdown stores, so nothing drifts between runs.
    m_main->setGeometry(TwipsToPixels(frame, dpi));

    m_main->PlaceSettingWindow();
    m_main->PlaceChild(m_main->DumpSubWindow(core::DumpWindow::Program),
                       RestoredChildPlace(ReadPlace(*m_settings, kProgramKeys), DefaultPlace(kProgramKeys)));
    m_main->PlaceChild(m_main->DumpSubWindow(core::DumpWindow::Eeprom),
                       RestoredChildPlace(ReadPlace(*m_settings, kEepromKeys), DefaultPlace(kEepromKeys)));
}

void Application::Wire() {
    m_commands->Wire();
    FrmMain* main = m_main.get();
    const auto on = [main](const char* name, std::function<void()> handler) {
        QObject::connect(main->Action(QString::fromLatin1(name)), &QAction::triggered, main,
                         [handler = std::move(handler)] { handler(); });
    };
    on("mnuFileExit", [main] { main->close(); });
    // A logout or a stop: a box or dialog in the way is closed as its Cancel would, then the frame as Exit.
    m_termination = std::make_unique<TerminationSignals>([this, main] {
        m_terminating = true;
        while (QWidget* modal = QApplication::activeModalWidget()) {
            if (!modal->close()) break;
        }
        main->close();
    });
    on("mmudeviceIndex", [this] { ShowIndexWindow(); });
    on("mmuIndex", [this] { ShowIndexWindow(); });
    on("mnuFirmwareUpdate", [this] { RunFirmwareUpdate(); });
    on("mnuConnectionCheck", [this] { RunConnectionCheck(); });
    on("mnuHelpSub", [this] { ShowHelp(); });
    on("mnuHelpAbout", [this] { m_about->Open(); });
    on("mnuProductionStation", [this] {
        if (m_lockGate->Refuses()) return;
        const std::optional<QString> path = m_ui->ChooseOpenFile(
            {texts::kOpenSetupTitle, texts::kSetupFilter, texts::kSetupSuffix, QString(), core::ReadText(*m_settings, keys::OpenDir)});
        if (path && !path->isEmpty()) OpenStation(*path);
    });
    main->onCloseRequest = [this] { return OnCloseRequest(); };
    // Pure window work, so it is taken even while an operation runs.
    main->onLanguagePicked = [this](core::Language language) { UseLanguage(language); };
}

void Application::Guarded(const std::function<void()>& body) {
    if (m_lockGate->Refuses()) return;
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

// --- Windows and dialogs ----------------------------------------------------------------------------------

void Application::ShowIndexWindow() {
    if (!m_index) {
        // Closing it by its frame unloads it; the menus create it afresh.
        m_index = new FrmIndex(devices::DeviceAt(m_state.SelectedDevice), m_main.get());
        m_index->setWindowFlag(Qt::Window, true);
        m_index->setAttribute(Qt::WA_DeleteOnClose, true);
    }
    m_index->DUT_COLOR_CHANGE(devices::DeviceAt(m_state.SelectedDevice));
    m_index->show();
    const double dpi = m_main->Dpi();
    m_index->move(TwipsToPixels(core::ReadReal(*m_settings, keys::IndLeft),
                                core::ReadReal(*m_settings, keys::IndTop), dpi));
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
    if (m_lockGate->Refuses()) return;
    // The dialog takes the guard itself while it talks to the writer; it may not open during an operation.
    if (m_guard.IsBusy()) {
        m_ui->Status(core::StatusField::Result, core::kBusyText);
        return;
    }
    auto factory = m_setup.makeUpdatePort;
    if (!factory) factory = [] { return link::MakeSystemSerialPort(); };
    DialogUpdate::Run(m_main.get(), *m_writer, m_guard, factory);
}

void Application::RunConnectionCheck() {
    if (m_lockGate->Refuses()) return;
    if (m_guard.IsBusy()) {
        m_ui->Status(core::StatusField::Result, core::kBusyText);
        return;
    }
    // The port and the device as the chip operations would take them, read on the windows' thread.
    const auto check = [this] {
        QList<operations::CheckStep> steps;
        Guarded([&] {
            const operations::Target target = CurrentTarget(*m_writer);
            operations::ConnectionCheckSetup setup{.path = target.port.path, .chosen = target.device};
            if (m_setup.probePort) setup.probe = m_setup.probePort;
            operations::Environment env{m_writer->port, m_writer->timing, *m_ui, *m_ui};
            m_ui->Status(core::StatusField::Result, kCheckRunning);
            RunOffWindowsThread([&] { steps = operations::RunConnectionCheck(env, setup); });
            const operations::CheckStep* failed = operations::FailedStep(steps);
            m_ui->Status(core::StatusField::Result, failed ? failed->detail : steps.isEmpty() ? QString() : steps.last().detail);
        });
        return steps;
    };
    DialogCheck dialog(m_main.get(), check);
    dialog.ShowSteps(check());
    RunModal(dialog);
}

QString Application::OpenStation(const QString& setupPath, const QStringList& ports) {
    // A locked station keeps its job, whoever asks for another.
    if (m_lockGate->Refuses()) return texts::kStationLocked;
    if (m_station) {
        for (const StationTile* tile : m_station->Tiles())
            if (tile->Busy()) return core::Compose(texts::kStationBusy, {tile->Port().given});
        delete m_station.data();
    }
    m_station = new FrmStation(*m_settings, {.setupPath = QFileInfo(setupPath).absoluteFilePath(), .ports = ports,
                                             .makePort = {}, .detectPorts = m_setup.detectPorts,
                                             .gate = m_lockGate.get()},
                               m_main.get());
    m_station->show();
    m_station->raise();
    m_station->activateWindow();
    return m_station->Refusal();
}

FrmStation* Application::Station() const { return m_station.data(); }

// --- Shutdown ----------------------------------------------------------------------------------------------

bool Application::OnCloseRequest() {
    if (m_ended) return true;
    // A locked station closes only for its engineer; a logout or a stop still ends it cleanly. A stop
    // that came while the password was asked has ended the program meanwhile.
    if (!m_terminating && m_lockGate->Locked() && !m_lockGate->Unlock()) return m_ended;
    if (m_guard.IsBusy()) {
        // Tearing the windows down now would pull them from under the running operation.
        m_closePending = true;
        m_ui->Status(core::StatusField::Result, texts::kWaitingForOperation);
        // Operations that hold the guard themselves (the update dialog) end without passing Guarded.
        if (!m_closeRetry.isActive()) m_closeRetry.start();
        return false;
    }
    // The user's quit asks before buffer edits are lost; a logout or a stop is kept up by no box.
    if (!m_terminating && m_commands->HasUnsavedEdits() &&
        m_ui->Ask(core::MessageIcon::Information, kMessageCaption, texts::kUnsavedQuitQuestion,
                  core::MessageButtons::OkCancel) != core::MessageAnswer::Ok)
        return false;
    m_lockGate->Release();
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
    if (m_station) m_station->close();
    m_stationListener.reset();
    m_lock.reset();
    if (m_setup.onEnded) {
        m_setup.onEnded();
    } else {
        QCoreApplication::quit();
    }
}

}  // namespace zendra::shell
