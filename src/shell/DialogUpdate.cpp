#include "shell/DialogUpdate.h"
#include "shell/Twips.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QVBoxLayout>
#include <cmath>

#include "core/Settings.h"
#include "operations/Flows.h"
#include "shell/LiveText.h"
#include "shell/OperationThread.h"
#include "shell/PortRow.h"
#include "update/UpdateTexts.h"

namespace zendra::shell {

using namespace update;

namespace {

inline const QString kSpeedEntries[] = {QStringLiteral(" 9600"), QStringLiteral("19200"),
                                        QStringLiteral("57600")};
inline const QString kWriterSpeed = QStringLiteral("57600");
inline const QString kLogFileName = QStringLiteral("LOG.txt");
constexpr int kShadowTwips = 20;

// A horizontal rule with its shadow drawn 20 twips right of and below it.
class ShadowLine final : public QWidget {
public:
    explicit ShadowLine(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("Line1"));
        setFixedHeight(2 + ShadowOffset());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int offset = ShadowOffset();
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(offset, offset, width() - 1, offset);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(0, 0, width() - 1 - offset, 0);
    }

private:
    int ShadowOffset() const {
        return std::max(1,
                        static_cast<int>(std::lround(kShadowTwips * logicalDpiX() / kTwipsPerInch)));
    }
};

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QString& tip = {}) {
    auto* button = WithText(new QPushButton(parent), caption);
    button->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) ShowText(button, tip, TextSlot::ToolTip);
    // Enter in a text box must never start an update.
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* label = WithText(new QLabel(parent), caption);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

// The transfer's account, called on the operation thread: each call is carried over to the dialog.
class DialogUpdate::Display final : public UpdateDisplay {
public:
    explicit Display(DialogUpdate& dialog) : m_dialog(dialog) {}

    void msgCmt(const QString& text) override {
        OnDialog([&] { m_dialog.msgCmt(text); });
    }
    void ResetProgressBar() override {
        // Every word past the loader's range resets the bar; one crossing does for a run of them.
        if (std::exchange(m_atMinimum, true)) return;
        OnDialog([&] { m_dialog.ProgressBar1->setValue(m_dialog.ProgressBar1->minimum()); });
    }
    void ShowProgressBar(int minimum, int maximum, int value) override {
        m_atMinimum = false;
        OnDialog([&] {
            m_dialog.ProgressBar1->setRange(minimum, maximum);
            m_dialog.ProgressBar1->setValue(value);
            m_dialog.ProgressBar1->setVisible(true);
        });
    }
    void ShowFailureText(const QString& text) override {
        OnDialog([&] {
            QPalette red = m_dialog.Label3->palette();
            red.setColor(QPalette::Window, QColor(255, 0, 0));
            m_dialog.Label3->setPalette(red);
            m_dialog.Label3->setAutoFillBackground(true);
            ShowText(m_dialog.Label3, text, TextSlot::Text, TextForm::LineBreaks);
        });
    }
    void ShowInformationBox(const QString& title, const QString& text) override {
        OnDialog([&] {
            m_dialog.m_main.ui.Ask(core::MessageIcon::Information, title, text, core::MessageButtons::Ok);
        });
    }
    // A new transfer starts from wherever the bar stands.
    void Restart() { m_atMinimum = false; }

private:
    void OnDialog(const std::function<void()>& call) { RunOnWindowsThread(m_dialog, call); }

    DialogUpdate& m_dialog;
    bool m_atMinimum = false;  // the last the bar was told: back to its minimum
};

DialogUpdate::DialogUpdate(QWidget* parent, WriterContext& mainLink, core::OperationGuard& guard,
                             PortFactory makePort)
    : QDialog(parent),
      m_main(mainLink),
      m_guard(guard),
      m_port(makePort()),
      m_display(std::make_unique<Display>(*this)) {
    setObjectName(QStringLiteral("Dialog_Update"));
    ShowText(this, kDialogTitle, TextSlot::WindowTitle);
    setModal(true);
    BuildControls();
    CreateLogFile();
    LoadChoices();
    m_updateFileName.clear();
    ShowInstructions();
    ShowResolvedDevice();
}

DialogUpdate::~DialogUpdate() {
    if (m_port && m_port->IsOpen()) m_port->Close();
}

int DialogUpdate::Run(QWidget* parent, WriterContext& mainLink, core::OperationGuard& guard,
                       PortFactory makePort) {
    if (guard.IsBusy()) {
        mainLink.ui.Status(core::StatusField::Result, core::kBusyText);
        return QDialog::Rejected;
    }
    DialogUpdate dialog(parent, mainLink, guard, std::move(makePort));
    return dialog.exec();
}

void DialogUpdate::BuildControls() {
    Label1 = MakeLabel(this, "Label1", kLabel1Caption);
    Combo_ComPort = new QComboBox(this);
    Combo_ComPort->setObjectName(QStringLiteral("Combo_ComPort"));
    Label2 = MakeLabel(this, "Label2", kLabel2Caption);
    Combo_speed = new QComboBox(this);
    Combo_speed->setObjectName(QStringLiteral("Combo_speed"));
    CmdVersion = MakeButton(this, "CmdVersion", kVersionCaption);
    Text_FirmwareVersion = new QLineEdit(this);
    Text_FirmwareVersion->setObjectName(QStringLiteral("Text_FirmwareVersion"));
    Text_FirmwareVersion->setReadOnly(true);
    CmdOpen = MakeButton(this, "CmdOpen", kOpenCaption, kOpenTip);
    Text_File = new QLineEdit(this);
    Text_File->setObjectName(QStringLiteral("Text_File"));
    // The file is chosen with OPEN only; a typed name would not be the one sent.
    Text_File->setReadOnly(true);
    CmdUpdate = MakeButton(this, "CmdUpdate", kUpdateCaption, kUpdateTip);
    CmdUpdate->setEnabled(false);
    OKButton = MakeButton(this, "OKButton", kCloseCaption);
    Label3 = MakeLabel(this, "Label3", QString());
    Label3->setWordWrap(true);
    Label3->setMinimumHeight(Label3->fontMetrics().lineSpacing() * 6);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, kProgressMaximum);
    ProgressBar1->setValue(0);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusPanel1 = MakeLabel(StatusBar1, "Panel1", QString());
    StatusBar1->addWidget(StatusPanel1, 1);

    portRow = new PortRow(m_main.ports, this, m_main.byIdFolder);

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Combo_ComPort, 0, 1);
    grid->addWidget(CmdVersion, 0, 2);
    grid->addWidget(Text_FirmwareVersion, 0, 3);
    grid->addWidget(portRow, 1, 0, 1, 4);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(Combo_speed, 2, 1);
    grid->setColumnStretch(3, 1);

    auto* fileRow = new QGridLayout;
    fileRow->addWidget(CmdOpen, 0, 0);
    fileRow->addWidget(Text_File, 0, 1);
    fileRow->addWidget(CmdUpdate, 1, 0);
    fileRow->addWidget(ProgressBar1, 1, 1);
    fileRow->setColumnStretch(1, 1);

    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    closeRow->addWidget(OKButton);

    auto* content = new QVBoxLayout;
    content->addLayout(grid);
    content->addWidget(new ShadowLine(this));
    content->addWidget(Label3);
    content->addLayout(fileRow);
    content->addLayout(closeRow);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* padded = new QWidget(this);
    padded->setLayout(content);
    outer->addWidget(padded, 1);
    outer->addWidget(StatusBar1);
    setMinimumWidth(560);

    connect(CmdVersion, &QPushButton::clicked, this, &DialogUpdate::CmdVersion_Click);
    connect(CmdOpen, &QPushButton::clicked, this, &DialogUpdate::CmdOpen_Click);
    connect(CmdUpdate, &QPushButton::clicked, this, &DialogUpdate::CmdUpdate_Click);
    connect(OKButton, &QPushButton::clicked, this, &DialogUpdate::OKButton_Click);
    connect(portRow->Command_assign, &QPushButton::clicked, this, &DialogUpdate::Command_assign_Click);
    connect(Combo_ComPort, &QComboBox::activated, this, &DialogUpdate::Combo_ComPort_Click);
    connect(Combo_speed, &QComboBox::activated, this, &DialogUpdate::Combo_speed_Click);
}

void DialogUpdate::LoadChoices() {
    {
        const QSignalBlocker block(Combo_ComPort);
        for (int n = 1; n <= core::kComPortCount; ++n) Combo_ComPort->addItem(QString::number(n));
        m_storedComText = core::ReadText(m_main.settings, core::keys::Com);
        const int index = Combo_ComPort->findText(m_storedComText);
        // A stored text that is no entry ("?" before the first choice) is shown as it is.
        Combo_ComPort->setPlaceholderText(index < 0 ? m_storedComText : QString());
        Combo_ComPort->setCurrentIndex(index);
    }
    {
        const QSignalBlocker block(Combo_speed);
        for (const QString& entry : kSpeedEntries) Combo_speed->addItem(entry);
        Combo_speed->setCurrentIndex(
            Combo_speed->findText(core::ReadText(m_main.settings, core::keys::Speed)));
        Combo_speed->setEnabled(false);
        // The writer's loader listens at its own speed only.
        Combo_speed->setCurrentIndex(Combo_speed->findText(kWriterSpeed));
    }
}

void DialogUpdate::CreateLogFile() {
    const QString dir = !m_main.state.ScratchDir.isEmpty() ? m_main.state.ScratchDir : m_main.state.AppDir;
    if (dir.isEmpty()) return;
    QFile log(dir + kLogFileName);
    if (log.open(QIODevice::WriteOnly | QIODevice::Truncate)) log.write("\r\n");
}

void DialogUpdate::ShowInstructions() {
    Label3->setAutoFillBackground(false);
    Label3->setPalette(QPalette());
    ShowText(Label3, kInstructions, TextSlot::Text, TextForm::LineBreaks);
}

QString DialogUpdate::ComPortText() const {
    return Combo_ComPort->currentIndex() >= 0 ? Combo_ComPort->currentText() : m_storedComText;
}

void DialogUpdate::ShowResolvedDevice() {
    portRow->ShowResolvedDevice(PortNumberOf(ComPortText()).value_or(0), QString());
}

void DialogUpdate::msgCmt(const QString& text) { ShowText(StatusPanel1, text); }

void DialogUpdate::ShowPortBox() { m_display->ShowInformationBox(core::kApplicationTitle, kSetPortNumber); }

operations::UpdateSession DialogUpdate::Session() {
    return {m_main.port, *m_port, m_main.timing, *m_display};
}

void DialogUpdate::Combo_ComPort_Click(int index) {
    m_storedComText = Combo_ComPort->itemText(index);
    Combo_ComPort->setPlaceholderText(QString());
    core::WriteText(m_main.settings, core::keys::Com, m_storedComText);
    ShowResolvedDevice();
}

void DialogUpdate::Combo_speed_Click(int index) {
    core::WriteText(m_main.settings, core::keys::Speed, Combo_speed->itemText(index));
}

void DialogUpdate::Command_assign_Click() {
    if (const auto number = PortNumberOf(ComPortText())) {
        portRow->AssignEnteredPath(*number);
    } else {
        ShowPortBox();
    }
}

bool DialogUpdate::ConnectUpdatePort() {
    const auto number = PortNumberOf(ComPortText());
    const std::optional<QString> path = number ? std::optional(m_main.ports.Resolve(*number)) : std::nullopt;
    const QString speed = Combo_speed->currentText();
    operations::UpdateSession session = Session();
    operations::UpdatePortReport report;
    RunOffWindowsThread([&] { report = operations::ConnectUpdatePort(session, path, speed); });
    if (!report.box.isEmpty()) m_display->ShowInformationBox(core::kApplicationTitle, report.box);
    if (!report.status.isEmpty()) msgCmt(report.status);
    if (report.outcome != operations::UpdatePortOutcome::Opened) return false;
    // Keep this entry on this device even when another adapter is plugged in later.
    m_main.ports.Assign(*number, *path);
    ShowResolvedDevice();
    return true;
}

void DialogUpdate::CmdVersion_Click() {
    auto hold = m_guard.TryEnter();
    if (!hold) return;
    const QScopedValueRollback working(m_working, true);
    if (!ConnectUpdatePort()) return;
    operations::UpdateSession session = Session();
    operations::VersionReport report;
    RunOffWindowsThread([&] { report = operations::ReadWriterVersion(session); });
    if (!report.box.isEmpty()) {
        m_display->ShowInformationBox(core::kApplicationTitle, report.box);
        return;
    }
    Text_FirmwareVersion->setText(report.version.value_or(QString()));
    msgCmt(report.status);
}

void DialogUpdate::CmdOpen_Click() {
    if (m_working) return;
    if (ComPortText().isEmpty()) {
        ShowPortBox();
        return;
    }
    core::FileDialogRequest request;
    request.title = kOpenFileTitle;
    request.filter = kOpenFileFilter;
    request.defaultSuffix = kOpenFileSuffix;
    request.presetName = kOpenFilePreset;
    request.startDirectory = core::ReadText(m_main.settings, core::keys::OpenDir0);
    const auto chosen = m_main.ui.ChooseOpenFile(request);
    // A cancelled chooser is no choice; the preset pattern is never taken for a file.
    if (!chosen || chosen->isEmpty()) return;
    const QFileInfo info(*chosen);
    m_updateFileName = *chosen;
    Text_File->setText(m_updateFileName);
    core::WriteText(m_main.settings, core::keys::OpenDir0, info.path());
    msgCmt(FileChosenText(info.fileName()));
    CmdUpdate->setEnabled(true);
}

void DialogUpdate::CmdUpdate_Click() {
    auto hold = m_guard.TryEnter();
    if (!hold) return;
    const QScopedValueRollback working(m_working, true);
    if (ComPortText().isEmpty()) {
        ShowPortBox();
        return;
    }
    msgCmt(QString());
    if (m_updateFileName.isEmpty()) {
        msgCmt(kNoUpdateFile);
        return;
    }
    if (!ConnectUpdatePort()) return;
    CmdVersion->setEnabled(false);
    // A new attempt replaces the last attempt's failure text.
    ShowInstructions();
    msgCmt(kUpdating);
    m_display->Restart();
    operations::UpdateSession session = Session();
    const QString file = m_updateFileName;
    RunOffWindowsThread([&] { operations::UpdateWriterFirmware(session, file); });
}

void DialogUpdate::OKButton_Click() { accept(); }

void DialogUpdate::done(int result) {
    if (m_working) return;
    ReleasePorts();
    QDialog::done(result);
}

void DialogUpdate::ReleasePorts() {
    // The main link comes back as it was configured; no port saved yet, or a port gone, stays closed.
    const int number = core::ReadInt(m_main.settings, core::keys::ComNox, 0);
    const QString mainPath = number >= 1 && number <= core::kComPortCount && !m_main.port.IsOpen()
                                 ? m_main.ports.Resolve(number)
                                 : QString();
    operations::UpdateSession session = Session();
    operations::RestoreMainLink(session, mainPath);
}

}  // namespace zendra::shell
