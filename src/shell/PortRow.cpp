#include "shell/PortRow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "link/PortMap.h"
#include "link/Texts.h"

namespace zendra::shell {

namespace {
const QString kPathLabel = QStringLiteral("デバイス:");
}  // namespace

PortRow::PortRow(link::PortMap& ports, QWidget* parent) : QWidget(parent), m_ports(ports) {
    setObjectName(QStringLiteral("PortRow"));

    Label_device = new QLabel(this);
    Label_device->setObjectName(QStringLiteral("Label_device"));
    Label_device->setTextFormat(Qt::PlainText);
    Label_device->setWordWrap(true);

    Combo_path = new QComboBox(this);
    Combo_path->setObjectName(QStringLiteral("Combo_path"));
    Combo_path->setEditable(true);
    Combo_path->setInsertPolicy(QComboBox::NoInsert);
    Combo_path->setMinimumContentsLength(24);

    Command_assign = new QPushButton(link::texts::kAssignPortCaption, this);
    Command_assign->setObjectName(QStringLiteral("Command_assign"));
    Command_assign->setToolTip(link::texts::kAssignPortTip);
    // Enter in the path box never assigns; only a click does.
    Command_assign->setAutoDefault(false);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(new QLabel(kPathLabel, this));
    pathRow->addWidget(Combo_path, 1);
    pathRow->addWidget(Command_assign);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label_device);
    layout->addLayout(pathRow);

    FillDetectedPorts();
}

void PortRow::FillDetectedPorts() {
    const QSignalBlocker blocker(Combo_path);
    Combo_path->clear();
    for (const link::DetectedPort& port : m_ports.Detected()) {
        Combo_path->addItem(port.path);
        if (!port.description.isEmpty())
            Combo_path->setItemData(Combo_path->count() - 1, port.description, Qt::ToolTipRole);
    }
}

void PortRow::ShowResolvedDevice(int number, const QString& noPortText) {
    if (number == 0) {
        Label_device->setText(noPortText);
        Combo_path->setEditText(QString());
        return;
    }
    Label_device->setText(link::texts::kPortDeviceCaption + m_ports.Describe(number));
    Combo_path->setEditText(m_ports.Resolve(number));
}

void PortRow::AssignEnteredPath(int number) {
    m_ports.Assign(number, Combo_path->currentText().trimmed());
    ShowResolvedDevice(number, QString());
}

}  // namespace zendra::shell
