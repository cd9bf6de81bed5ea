#include "shell/PortRow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/Language.h"
#include "link/LinkTexts.h"
#include "link/PortMap.h"
#include "link/PortWatcher.h"
#include "shell/LiveText.h"
#include "shell/ShellTexts.h"

namespace zendra::shell {

namespace {
const QString kPathLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "デバイス:"));

// "FT232R USB UART  USB 0403:6001  S/N A50285BI  応答待ち時間 (latency_timer) 16 ms": what tells one adapter
// from another, and what it costs each reply.
QString Details(const link::DetectedPort& port) {
    QStringList parts;
    if (!port.description.isEmpty()) parts << port.description;
    if (!port.usbId.isEmpty()) parts << texts::kUsbIdPrefix + port.usbId;
    if (!port.serial.isEmpty()) parts << texts::kSerialPrefix + port.serial;
    // What every reply waits for in the adapter (zendra-cli ports shows it too).
    if (port.latencyTimerMs)
        parts << core::Compose(link::texts::kLatencyTimerCaption, {QString::number(*port.latencyTimerMs)});
    return core::JoinTexts(parts, QStringLiteral("  "));
}
}  // namespace

PortRow::PortRow(link::PortMap& ports, QWidget* parent, const QString& byIdFolder)
    : QWidget(parent), m_ports(ports), m_byIdFolder(byIdFolder) {
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

    Command_assign = WithText(new QPushButton(this), link::texts::kAssignPortCaption);
    Command_assign->setObjectName(QStringLiteral("Command_assign"));
    ShowText(Command_assign, link::texts::kAssignPortTip, TextSlot::ToolTip);
    // Enter in the path box never assigns; only a click does.
    Command_assign->setAutoDefault(false);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(WithText(new QLabel(this), kPathLabel));
    pathRow->addWidget(Combo_path, 1);
    pathRow->addWidget(Command_assign);

    Label_details = new QLabel(this);
    Label_details->setObjectName(QStringLiteral("Label_details"));
    Label_details->setTextFormat(Qt::PlainText);
    Label_details->setWordWrap(true);

    Check_byId = WithText(new QCheckBox(this), texts::kTieToById);
    Check_byId->setObjectName(QStringLiteral("Check_byId"));
    ShowText(Check_byId, texts::kTieToByIdTip, TextSlot::ToolTip);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label_device);
    layout->addLayout(pathRow);
    layout->addWidget(Label_details);
    layout->addWidget(Check_byId);

    FillDetectedPorts();
    // A picked entry shows its details in the list, but only its path goes into the box.
    connect(Combo_path, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < m_known.size()) Combo_path->setEditText(m_known[index].path);
        ShowDetails();
    });
    connect(Combo_path, &QComboBox::editTextChanged, this, [this] { ShowDetails(); });
    ShowDetails();

    portWatcher = new link::PortWatcher(this);
    connect(portWatcher, &link::PortWatcher::PortsChanged, this, [this] {
        // What the user has entered stays; only the list and the entered port's details follow.
        const QString entered = Combo_path->currentText();
        FillDetectedPorts();
        Combo_path->setEditText(entered);
        ShowDetails();
    });
}

const PortRow::Known* PortRow::Find(const QString& entered) const {
    const QString text = entered.trimmed();
    if (text.isEmpty()) return nullptr;
    for (const Known& known : m_known)
        if (known.path == text || (!known.byIdLink.isEmpty() && known.byIdLink == text)) return &known;
    return nullptr;
}

void PortRow::ShowDetails() {
    const Known* known = Find(Combo_path->currentText());
    const bool linked = known != nullptr && !known->byIdLink.isEmpty();
    QString details = known ? known->details : QString();
    if (linked) details += (details.isEmpty() ? QString() : QStringLiteral("\n")) + known->byIdLink;
    Label_details->setText(details);
    Check_byId->setEnabled(linked);
    if (!linked) Check_byId->setChecked(false);
}

QString PortRow::EnteredByIdLink() const {
    const Known* known = Find(Combo_path->currentText());
    return known ? known->byIdLink : QString();
}

void PortRow::FillDetectedPorts() {
    const QSignalBlocker blocker(Combo_path);
    Combo_path->clear();
    m_known.clear();
    for (const link::DetectedPort& port : m_ports.Detected()) {
        const Known known{port.path, Details(port),
                          port.byIdLink.isEmpty() ? link::ByIdLinkFor(port.path, m_byIdFolder) : port.byIdLink};
        m_known << known;
        Combo_path->addItem(known.details.isEmpty() ? port.path : port.path + QStringLiteral("  ") + known.details);
        if (!port.description.isEmpty())
            Combo_path->setItemData(Combo_path->count() - 1, port.description, Qt::ToolTipRole);
    }
}

void PortRow::ShowResolvedDevice(int number, const QString& noPortText) {
    if (number == 0) {
        ShowText(Label_device, noPortText);
        Combo_path->setEditText(QString());
        return;
    }
    ShowText(Label_device, core::JoinTexts({link::texts::kPortDeviceCaption, m_ports.Describe(number)}));
    Combo_path->setEditText(m_ports.Resolve(number));
}

void PortRow::AssignEnteredPath(int number) {
    const QString link = EnteredByIdLink();
    const bool tie = Check_byId->isChecked() && !link.isEmpty();
    m_ports.Assign(number, tie ? link : Combo_path->currentText().trimmed());
    ShowResolvedDevice(number, QString());
}

}  // namespace zendra::shell
