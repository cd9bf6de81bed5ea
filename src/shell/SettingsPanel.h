#pragma once
// The main window's command panel (Picture1): the eight buttons, the device selector with its size labels,
// the buffer-edit frame and the lock/fuse frame. It owns its controls: the commands reach it through
// its signals and methods, and the choices it shows come in as values (a panel setup, decoded indexes).

#include <QWidget>
#include <array>

#include "core/UserInterface.h"
#include "devices/Encodings.h"
#include "image/BufferEdit.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zendra::shell {

// The panel's buttons, as its clicked signal names them.
enum class PanelCommand { Open, Save, Reload, ComSelect, Erase, Verify, Read, Program, FuseRead, FuseWrite };

class SettingsPanel final : public QWidget {
    Q_OBJECT
public:
    explicit SettingsPanel(QWidget* parent = nullptr);

    QComboBox* Panel(core::PanelControl control) const { return m_panel[static_cast<int>(control)]; }

    // The device selector; filling and setting run with signals blocked.
    void FillDevices(const QStringList& names);
    void SetDeviceIndex(int index);
    int DeviceIndex() const;
    QString DeviceText() const;
    void ShowDeviceSizes(qint32 words, qint32 bytes);

    // The lock/fuse panel: a device's setup, the choices as they stand, and choices set by the program
    // (signals blocked). The accepted index of a choice is the one it held when the program last set it or
    // the user's pick was accepted; a refused pick returns to it.
    void ApplySetup(const devices::PanelDefaults& setup);
    devices::PanelIndexes Choices() const;
    void SetChoice(core::PanelControl control, int index);
    void ApplyChoices(const devices::PanelIndexes& choices);
    int AcceptedChoice(core::PanelControl control) const;
    void AcceptChoice(core::PanelControl control);
    void SetCalibrationText(const QString& text);
    // Choices a code file brought, marked with its name until the program sets the panel again (a new
    // setup, or the chip's choices after a read or write).
    void ShowFileChoices(const devices::PanelIndexes& choices, const QString& fileName);

    // The buffer-edit frame.
    image::BufferEditInput BufferInput() const;
    void SetBufferData(const QString& text);
    void ShowBufferEdit();

Q_SIGNALS:
    void commandClicked(zendra::shell::PanelCommand command);
    // A user's pick, also of the entry already shown.
    void deviceActivated(int index);
    void choiceActivated(zendra::core::PanelControl control);
    // The address box changed; the cell buttons.
    void addressEdited();
    void readCellClicked();
    void writeCellClicked();
    // A line was added to the panel (the file's lock/fuse mark): its window must grow to show it whole.
    void grew();

public:
    QPushButton* Cmd_btn_open = nullptr;
    QPushButton* Cmd_btn_save = nullptr;
    QPushButton* Cmd_btn_reload = nullptr;
    QPushButton* Cmd_btn_comselect = nullptr;
    QPushButton* Cmd_btn_erase = nullptr;
    QPushButton* Cmd_btn_verify = nullptr;
    QPushButton* Cmd_btn_read = nullptr;
    QPushButton* Cmd_btn_program = nullptr;

    QGroupBox* Frame1 = nullptr;
    QComboBox* Combo_device = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;

    QGroupBox* frmModify = nullptr;
    QLineEdit* txtAddress = nullptr;
    QLineEdit* txtData = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* OptionProgram = nullptr;
    QRadioButton* OptionEeprom = nullptr;
    QPushButton* CmdRead = nullptr;
    QPushButton* CmdWrite = nullptr;
    QLabel* Label5 = nullptr;

    QGroupBox* Frame4 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QComboBox* Combo_LockBit = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Lbl_READCALIB = nullptr;
    QLabel* Lbl_FILECHOICES = nullptr;
    QPushButton* cmdFuseRead = nullptr;
    QPushButton* cmdFuseWrite = nullptr;

private:
    void Wire();

    std::array<QComboBox*, core::kPanelControlCount> m_panel{};
    std::array<int, core::kPanelControlCount> m_accepted{};
};

}  // namespace zendra::shell
