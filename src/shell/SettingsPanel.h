#pragma once
// The main window's command panel (Picture1): the eight buttons, the device selector with its size labels,
// the buffer-edit frame and the lock/fuse frame. It only holds the controls; the application wires them.

#include <QWidget>
#include <array>

#include "core/UserInterface.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zendra::shell {

class SettingsPanel final : public QWidget {
    Q_OBJECT
public:
    explicit SettingsPanel(QWidget* parent = nullptr);

    QComboBox* Panel(core::PanelControl control) const { return m_panel[static_cast<int>(control)]; }

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
    QPushButton* cmdFuseRead = nullptr;
    QPushButton* cmdFuseWrite = nullptr;

private:
    std::array<QComboBox*, core::kPanelControlCount> m_panel{};
};

}  // namespace zendra::shell
