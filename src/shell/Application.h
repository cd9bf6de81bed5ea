#pragma once
// The program as one object: it owns the process-wide state, the images, the settings store, the clock,
// the writer's port, the operation guard and the windows, and it runs start-up and shutdown. The main
// window's commands are MainCommands'; the windows of their own (index, help, About, update) open here.

#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/Language.h"
#include "core/OperationGuard.h"
#include "core/Settings.h"
#include "core/SharedState.h"
#include "core/Timing.h"
#include "image/FileCommands.h"
#include "image/MemoryImages.h"
#include "link/PortMap.h"
#include "link/SerialPort.h"
#include "link/SystemPort.h"
#include "shell/Geometry.h"
#include "shell/WriterContext.h"

class QDialog;
class QIcon;
class QLockFile;
class QRect;

namespace zendra::shell {

class TerminationSignals;

class AboutBoxHost;
class FrmIndex;
class HelpWindow;
class MainCommands;
class WindowsUserInterface;
class FrmMain;
class StationGate;
class FrmStation;
class StationListener;

// The lock that keeps a second copy of the program (same user) from starting.
inline const QString kInstanceLockName = QStringLiteral("New ZendraV6.lock");

// The program's icon, at every size it comes in.
QIcon ProgramIcon();

struct StartupOptions {
    QString appDir;                                                     // empty: the executable's folder
    link::SerialPort* port = nullptr;                                   // null: the system's serial port
    core::Timing* timing = nullptr;                                     // null: the system clock
    link::PortMap::Detector detectPorts;                                // empty: the system's serial ports
    std::function<std::unique_ptr<link::SerialPort>()> makeUpdatePort;  // empty: the system's serial port
    // Runs a modal dialog (the port dialog); empty: exec().
    std::function<int(QDialog&)> runModal;
    // Right after the windows are built, before start-up shows any of them (answer hooks for boxes).
    std::function<void(WindowsUserInterface&)> prepareUi;
    // After shutdown; empty: quit the event loop.
    std::function<void()> onEnded;
    // The connection check's trial open of a port; empty: the system's (link::ProbePort).
    std::function<link::PortProbe(const QString&)> probePort;
    // The locale the language follows while none is stored; empty: the system's.
    std::function<QString()> localeName;
};

class Application {
public:
    enum class StartResult { Started, AlreadyRunning, LockFailed };

    explicit Application(StartupOptions setup = {});
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Start-up. AlreadyRunning: another copy holds the lock; nothing was touched.
    // LockFailed: the lock cannot be taken at all (LockFailureText says why); nothing was touched either.
    StartResult Start();
    bool HasEnded() const { return m_ended; }
    // After start-up: opens a code file (and its EEPROM file) as the open command would.
    void OpenFile(const QString& path);
    // The production station for `setupPath` on `ports` (empty: the setup's), in front of the main window;
    // why it cannot open (empty: it opened). A station whose writers still run is not replaced.
    QString OpenStation(const QString& setupPath, const QStringList& ports = {});
    FrmStation* Station() const;
    // After AlreadyRunning: where the running copy takes a station handed over.
    const QString& StationSocket() const { return m_stationSocket; }
    // After LockFailed: the line that names the lock file and why it could not be taken.
    const QString& LockFailureText() const { return m_lockFailureText; }

    FrmMain& MainWindow() { return *m_main; }
    WindowsUserInterface& Ui() { return *m_ui; }
    core::SharedState& State() { return m_state; }
    image::MemoryImages& Images() { return m_images; }
    core::SettingsStore& Settings() { return *m_settings; }
    core::OperationGuard& Guard() { return m_guard; }
    WriterContext& Writer() { return *m_writer; }
    // The station's lock: while it holds, every way into the job is refused and closing needs the password.
    StationGate& LockGate() { return *m_lockGate; }
    FrmIndex* IndexWindow() const;
    HelpWindow* Help() const;

    // Shutdown steps; the frame's close and Exit run both through the close request.
    void MDIForm_QueryUnload();
    void MDIForm_Unload();

    // The language picked from the menu: shown at once and stored.
    void UseLanguage(core::Language language);

private:
    core::Language StartLanguage() const;
    void Build();
    void Wire();
    void MDIForm_Load();
    void ShowIndexWindow();
    void ShowHelp();
    void RunFirmwareUpdate();
    void RunConnectionCheck();
    bool OnCloseRequest();
    int RunModal(QDialog& dialog);

    // Runs `body` holding the operation guard; refused with the busy text while another operation runs.
    // A close asked for meanwhile runs once the operation has ended.
    void Guarded(const std::function<void()>& body);
    // Closes the frame once no operation runs any more.
    void RunPendingClose();

    StartupOptions m_setup;
    std::unique_ptr<QLockFile> m_lock;
    QString m_lockFailureText;
    std::unique_ptr<core::Timing> m_ownTiming;
    std::unique_ptr<link::SerialPort> m_ownPort;
    std::unique_ptr<core::IniSettingsStore> m_settings;
    bool m_defaultFrame = false;  // no usable stored place: the frame may grow for the settings window
    std::unique_ptr<link::PortMap> m_ports;
    core::SharedState m_state;
    image::MemoryImages m_images;
    image::FileDialogMemory m_fileDialog;
    core::OperationGuard m_guard;
    std::unique_ptr<FrmMain> m_main;
    std::unique_ptr<WindowsUserInterface> m_ui;
    std::unique_ptr<WriterContext> m_writer;
    std::unique_ptr<MainCommands> m_commands;
    std::unique_ptr<AboutBoxHost> m_about;
    std::unique_ptr<StationGate> m_lockGate;
    QPointer<FrmIndex> m_index;
    QPointer<HelpWindow> m_help;
    bool m_closePending = false;
    QTimer m_closeRetry;
    bool m_ended = false;
    bool m_terminating = false;  // a logout or a stop asked for the close
    std::unique_ptr<TerminationSignals> m_termination;
    QPointer<FrmStation> m_station;
    std::unique_ptr<StationListener> m_stationListener;
    QString m_stationSocket;
};

}  // namespace zendra::shell
