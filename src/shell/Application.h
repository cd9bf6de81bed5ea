#pragma once
// The program as one object: it owns the process-wide state, the images, the settings store, the clock,
// the writer's port, the operation guard and the windows; it runs start-up and shutdown, and it is the
// handler of every command of the main window.

#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/OperationGuard.h"
#include "core/Settings.h"
#include "core/SharedState.h"
#include "core/Timing.h"
#include "image/FileCommands.h"
#include "image/MemoryImages.h"
#include "link/Link.h"
#include "link/PortMap.h"
#include "link/SerialPort.h"
#include "shell/Twips.h"

class QDialog;
class QLockFile;
class QRect;

namespace zendra::shell {

class AboutBoxHost;
class FrmIndex;
class HelpWindow;
class WidgetUi;
class frmMain;

// The lock that keeps a second copy of the program (same user) from starting.
inline const QString kInstanceLockName = QStringLiteral("New ZendraV6.lock");

struct ApplicationSetup {
    QString appDir;                                                     // empty: the executable's folder
    link::SerialPort* port = nullptr;                                   // null: the QSerialPort adapter
    core::Timing* timing = nullptr;                                     // null: the system clock
    link::PortMap::Detector detectPorts;                                // empty: the system's serial ports
    std::function<std::unique_ptr<link::SerialPort>()> makeUpdatePort;  // empty: a QSerialPort adapter
    // Runs a modal dialog (the port dialog); empty: exec().
    std::function<int(QDialog&)> runModal;
    // Right after the windows are built, before start-up shows any of them (answer hooks for boxes).
    std::function<void(WidgetUi&)> prepareUi;
    // After the unload step; empty: quit the event loop.
    std::function<void()> onEnded;
};

// The folder text with exactly one trailing separator.
QString WithTrailingSeparator(const QString& folder);
// Where the scratch files go: appDir when a file can be created there, else the per-user data folder.
QString ChooseScratchDir(const QString& appDir);
// The frame's place to restore: `stored`, or `fallback` when it is smaller than a usable frame or meets no
// screen (screens in pixels).
TwipsRect RestoredFramePlace(const TwipsRect& stored, const TwipsRect& fallback, const QList<QRect>& screens,
                             double dpi);
// A child's place: `stored`, or `fallback` when it is too small to use.
TwipsRect RestoredChildPlace(const TwipsRect& stored, const TwipsRect& fallback);

class Application {
public:
    enum class StartResult { Started, AlreadyRunning, LockFailed };

    explicit Application(ApplicationSetup setup = {});
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Start-up steps 1 to 13. AlreadyRunning: another copy holds the lock; nothing was touched.
    // LockFailed: the lock cannot be taken at all (LockFailureText says why); nothing was touched either.
    StartResult Start();
    bool HasEnded() const { return m_ended; }
    // After LockFailed: the line that names the lock file and why it could not be taken.
    const QString& LockFailureText() const { return m_lockFailureText; }

    frmMain& MainWindow() { return *m_main; }
    WidgetUi& Ui() { return *m_ui; }
    core::SharedState& State() { return m_state; }
    image::MemoryImages& Images() { return m_images; }
    core::SettingsStore& Settings() { return *m_settings; }
    core::OperationGuard& Guard() { return m_guard; }
    link::LinkContext& Link() { return *m_link; }
    FrmIndex* IndexWindow() const;
    HelpWindow* Help() const;

    // The device selection (also used by start-up, the buffer clear and the erase command).
    void ApplyDeviceSelection();
    void frmMain_Combo_device_Click();

    // Shutdown steps; the frame's close and Exit run both through the close request.
    void MDIForm_QueryUnload();
    void MDIForm_Unload();

private:
    void Build();
    void Wire();
    void MDIForm_Load();
    void FillDeviceSelector();
    void ShowIndexWindow();
    void ShowPortDialog();
    void ShowHelp();
    void RunFirmwareUpdate();
    bool OnCloseRequest();
    void OnPanelClicked(int panel);
    void OnDeviceActivated(int index);
    void OnPanelChoice(int control);
    void ReadBufferCell();
    void WriteBufferCell();
    void mnuPC_buffer_clear_Click();
    int RunModal(QDialog& dialog);

    // Runs `body` holding the operation guard; refused with the busy text while another operation runs.
    // A close asked for meanwhile runs once the operation has ended.
    void Guarded(const std::function<void()>& body);
    // Closes the frame once no operation runs any more.
    void RunPendingClose();

    ApplicationSetup m_setup;
    std::unique_ptr<QLockFile> m_lock;
    QString m_lockFailureText;
    std::unique_ptr<core::Timing> m_ownTiming;
    std::unique_ptr<link::SerialPort> m_ownPort;
    std::unique_ptr<core::IniSettingsStore> m_settings;
    std::unique_ptr<link::PortMap> m_ports;
    core::SharedState m_state;
    image::MemoryImages m_images;
    image::FileDialogMemory m_fileDialog;
    core::OperationGuard m_guard;
    std::unique_ptr<frmMain> m_main;
    std::unique_ptr<WidgetUi> m_ui;
    std::unique_ptr<link::LinkContext> m_link;
    std::unique_ptr<AboutBoxHost> m_about;
    QPointer<FrmIndex> m_index;
    QPointer<HelpWindow> m_help;
    bool m_showBufferData = false;
    int m_deviceIndex = -1;
    bool m_closePending = false;
    QTimer m_closeRetry;
    bool m_ended = false;
};

}  // namespace zendra::shell
