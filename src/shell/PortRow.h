#pragma once
// The row of both port dialogs that shows where a "COMn" entry leads and points it at another device: the
// resolved device, the detected ports (or a typed path) and the button that assigns it. Which entry is
// chosen, and what happens when none is, stays with the dialog.

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace zendra::link {
class PortMap;
}

namespace zendra::shell {

class PortRow final : public QWidget {
    Q_OBJECT
public:
    PortRow(link::PortMap& ports, QWidget* parent);

    // "接続先: " and what `number` resolves to, its path ready to edit; 0: `noPortText` and no path.
    void ShowResolvedDevice(int number, const QString& noPortText);
    // Points `number` at the path in Combo_path, trimmed (empty removes the assignment), and shows it.
    void AssignEnteredPath(int number);

    QLabel* Label_device = nullptr;
    QComboBox* Combo_path = nullptr;
    QPushButton* Command_assign = nullptr;

private:
    void FillDetectedPorts();

    link::PortMap& m_ports;
};

}  // namespace zendra::shell
