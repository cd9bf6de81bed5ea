#include "shell/FrmCom.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/Language.h"
#include "core/Settings.h"
#include "operations/Flows.h"
#include "shell/LiveText.h"
#include "shell/OperationThread.h"
#include "shell/PortRow.h"

namespace zendra::shell {

namespace {
const QString kOkCaption = QStringLiteral("OK");
const QString kCancelCaption = QStringLiteral("CANCEL");
// %1 the port, "COMn".
const QString kOpenFailed = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "%1 のオープンに失敗しました。"));
const QString kSetAgain = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポート番号を再設定してください。"));
const QString kComPrefix = QStringLiteral("COM");
const QString kNoPortChosen = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポートが選ばれていません。"));
}  // namespace

QString PortOpenFailedText(int number) {
    const QString port = number == 0 ? QStringLiteral("COM?") : kComPrefix + QString::number(number);
    return core::JoinTexts({core::Compose(kOpenFailed, {port}), kSetAgain}, QStringLiteral("\r"));
}

int PreselectedPortIndex(const core::SettingsStore& settings) {
    // The key's range is 0..20; anything else reads as the default given here.
    return core::ReadInt(settings, core::keys::ComNox, 0);
}

FrmCom::FrmCom(WriterContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    // While the dialog is open nothing counts as confirmed.
    Take(operations::PortUnconfirmed());

    setObjectName(QStringLiteral("frmCom"));
    ShowText(this, kComCaption, TextSlot::WindowTitle);
    setModal(true);

    Label1 = WithText(new QLabel(this), kComPrompt);
    Label1->setObjectName(QStringLiteral("Label1"));

    Combo_com = new QComboBox(this);
    Combo_com->setObjectName(QStringLiteral("Combo_com"));
    {
        const QSignalBlocker blocker(Combo_com);
        Combo_com->clear();
        Combo_com->addItem(kNoPortEntry);
        for (int n = 1; n <= core::kComPortCount; ++n) Combo_com->addItem(kComPrefix + QString::number(n));
    }

    portRow = new PortRow(m_ctx.ports, this, m_ctx.byIdFolder);

    Command_ok = new QPushButton(kOkCaption, this);
    Command_ok->setObjectName(QStringLiteral("Command_ok"));
    Command_ok->setDefault(true);
    Command_cancel = new QPushButton(kCancelCaption, this);
    Command_cancel->setObjectName(QStringLiteral("Command_cancel"));
    Command_cancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command_ok);
    buttons->addWidget(Command_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Combo_com);
    layout->addWidget(portRow);
    layout->addLayout(buttons);

    connect(Command_ok, &QPushButton::clicked, this, &FrmCom::Command_ok_Click);
    connect(Command_cancel, &QPushButton::clicked, this, &FrmCom::Command_cancel_Click);
    connect(portRow->Command_assign, &QPushButton::clicked, this, &FrmCom::Command_assign_Click);
    connect(Combo_com, &QComboBox::currentIndexChanged, this, &FrmCom::ShowResolvedDevice);

    if (m_ctx.port.IsOpen()) m_ctx.port.Close();
    {
        const QSignalBlocker blocker(Combo_com);
        Combo_com->setCurrentIndex(PreselectedPortIndex(m_ctx.settings));
    }
    ShowResolvedDevice();
    m_ctx.ui.Status(core::StatusField::Result, QString());
}

int FrmCom::SelectedNumber() const { return std::max(0, Combo_com->currentIndex()); }

void FrmCom::ShowResolvedDevice() {
    const int number = SelectedNumber();
    // "????" leads nowhere, so it takes no path.
    portRow->Combo_path->setEnabled(number != 0);
    portRow->Command_assign->setEnabled(number != 0);
    portRow->ShowResolvedDevice(number, kNoPortChosen);
}

void FrmCom::Command_assign_Click() {
    const int number = SelectedNumber();
    if (number == 0) return;
    portRow->AssignEnteredPath(number);
}

void FrmCom::Take(const operations::PortReport& report) {
    core::TakeErrorFlag(m_ctx.state, report.ErrorFlag());
}

void FrmCom::Command_ok_Click() {
    if (m_checking) return;
    const int number = SelectedNumber();
    const operations::Target target{
        .device = devices::DeviceAt(m_ctx.state.SelectedDevice),
        .port = {
            .number = number, .path = number >= 1 ? m_ctx.ports.Resolve(number) : QString(), .saved = true}};
    operations::Environment env{m_ctx.port, m_ctx.timing, m_ctx.ui, m_ctx.ui};
    operations::PortReport report;
    {
        // The dialog stays up but takes no button and no close until the check has ended.
        const QScopedValueRollback checking(m_checking, true);
        RunOffWindowsThread([&] { report = operations::OpenPortAndCheck(env, target); });
    }
    Take(report);
    if (report.outcome != operations::PortOutcome::Opened) {
        const QString& why = report.failureReason;
        m_ctx.ui.Ask(core::MessageIcon::Critical, kComOpenFailedTitle,
                     why.isEmpty() ? PortOpenFailedText(number)
                                   : core::JoinTexts({PortOpenFailedText(number), why}, QStringLiteral("\r")),
                     core::MessageButtons::Ok);
        return;
    }
    core::WriteInt(m_ctx.settings, core::keys::ComNox, number);
    // Keep this number on the device it opened, whatever is plugged in later.
    if (!report.openedPath.isEmpty()) m_ctx.ports.Assign(number, report.openedPath);
    QDialog::accept();
}

void FrmCom::Command_cancel_Click() {
    if (m_checking) return;
    m_ctx.ui.Status(core::StatusField::Result, kComNotConfirmed);
    reject();
}

void FrmCom::reject() {
    if (m_checking) return;
    Take(operations::PortUnconfirmed());
    if (m_ctx.port.IsOpen()) m_ctx.port.Close();
    QDialog::reject();
}

}  // namespace zendra::shell
