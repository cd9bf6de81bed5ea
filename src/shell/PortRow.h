#pragma once
// The row of both port dialogs that shows where a "COMn" entry leads and points it at another device: the
// resolved device, the detected ports (or a typed path) and the button that assigns it. Which entry is
// chosen, and what happens when none is, stays with the dialog.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace zendra::link {
class PortMap;
class PortWatcher;
}

namespace zendra::shell {

class PortRow final : public QWidget {
    Q_OBJECT
public:
    // `byIdFolder`: where the system keeps one stable link per USB serial adapter.
    PortRow(link::PortMap& ports, QWidget* parent, const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"));

    // "接続先: " and what `number` resolves to, its path ready to edit; 0: `noPortText` and no path.
    void ShowResolvedDevice(int number, const QString& noPortText);
    // Points `number` at the path in Combo_path, trimmed (empty removes the assignment), and shows it;
    // with Check_byId ticked, at the adapter's by-id link instead, so a replug keeps it on that adapter.
    void AssignEnteredPath(int number);
    // The by-id link of the entered path's adapter; empty when it has none.
    QString EnteredByIdLink() const;

    QLabel* Label_device = nullptr;
    QComboBox* Combo_path = nullptr;
    QPushButton* Command_assign = nullptr;
    QLabel* Label_details = nullptr;  // the entered port's description, USB vendor:product and serial
    QCheckBox* Check_byId = nullptr;
    // Refills the detected ports when one is plugged in or pulled out while the dialog is open.
    link::PortWatcher* portWatcher = nullptr;

private:
    struct Known {
        QString path, details, byIdLink;
    };
    void FillDetectedPorts();
    void ShowDetails();
    const Known* Find(const QString& entered) const;

    link::PortMap& m_ports;
    QString m_byIdFolder;
    QList<Known> m_known;
};

}  // namespace zendra::shell
