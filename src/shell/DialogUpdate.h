#pragma once
// The firmware update dialog: picks the writer's port, reads its firmware version, picks an update file
// and sends it. It has its own port (MSComm100); the main link is closed while the dialog works and
// reopened when it closes. The work on the wire runs as operations on an operation thread; the dialog
// shows their account and results. While the writer is being talked to, the dialog's commands and every
// way of closing it are refused.

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

#include "core/OperationGuard.h"
#include "link/SerialPort.h"
#include "operations/Flows.h"
#include "shell/WriterContext.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace zendra::shell {

class PortRow;

class DialogUpdate final : public QDialog {
    Q_OBJECT
public:
    using PortFactory = std::function<std::unique_ptr<link::SerialPort>()>;

    // Opening runs here: LOG.txt, the port and speed choices from "Settings6", the instructions.
    DialogUpdate(QWidget* parent, WriterContext& mainLink, core::OperationGuard& guard,
                  PortFactory makePort);
    ~DialogUpdate() override;

    // The Help menu's command: refused (status panel 1) while another operation runs, else shown modally.
    static int Run(QWidget* parent, WriterContext& mainLink, core::OperationGuard& guard,
                   PortFactory makePort);

    void CmdVersion_Click();
    void CmdOpen_Click();
    void CmdUpdate_Click();
    void OKButton_Click();
    void Combo_ComPort_Click(int index);
    void Combo_speed_Click(int index);
    // Assigns the path in Combo_path (a detected port or typed text) to the chosen port number.
    void Command_assign_Click();

    // What Combo_ComPort shows: an entry, or the stored text ("?" until a port was chosen).
    QString ComPortText() const;
    QString UpdateFileName() const { return m_updateFileName; }
    // True while the writer is being talked to (version read or transfer).
    bool IsWorking() const { return m_working; }
    link::SerialPort& MSComm100() { return *m_port; }

    QLabel* Label1 = nullptr;
    QComboBox* Combo_ComPort = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* Combo_speed = nullptr;
    QPushButton* CmdVersion = nullptr;
    QLineEdit* Text_FirmwareVersion = nullptr;
    QPushButton* CmdOpen = nullptr;
    QLineEdit* Text_File = nullptr;
    QPushButton* CmdUpdate = nullptr;
    QPushButton* OKButton = nullptr;
    QLabel* Label3 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel1 = nullptr;  // the status bar's first panel
    // Where the chosen port number leads, and how to change that.
    PortRow* portRow = nullptr;

    void msgCmt(const QString& text);

protected:
    // Every way of closing ends here; refused while the writer is being talked to.
    void done(int result) override;

private:
    class Display;

    void BuildControls();
    void LoadChoices();
    void CreateLogFile();
    void ShowResolvedDevice();
    void ShowInstructions();
    // Com_Initialize and the open of MSComm100 on the chosen number, which then stays on the device it
    // opened; false after the port box or the failure text.
    bool ConnectUpdatePort();
    operations::UpdateSession Session();
    void ShowPortBox();
    void ReleasePorts();

    WriterContext& m_main;
    core::OperationGuard& m_guard;
    std::unique_ptr<link::SerialPort> m_port;
    std::unique_ptr<Display> m_display;
    QString m_updateFileName;
    QString m_storedComText;
    bool m_working = false;
};

}  // namespace zendra::shell
