#include "shell/FrmStation.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QSysInfo>
#include <QThread>
#include <QVBoxLayout>

#include "core/Language.h"
#include "link/LinkTexts.h"
#include "link/PortWatcher.h"
#include "link/SystemPort.h"
#include "operations/SocketWatch.h"
#include "production/ChipStore.h"
#include "production/Yield.h"
#include "shell/OperationThread.h"
#include "shell/StationFilesPanel.h"
#include "shell/StationGate.h"

namespace zendra::shell {

namespace {

using operations::ChipVerdict;

// Read from a metre away: the verdict large and in colour, the rest a size above the windows' own.
constexpr int kVerdictPointSize = 28;
constexpr int kTilePointSize = 12;
constexpr auto kPassStyle = "background:#2e7d32;color:white;";
constexpr auto kFailStyle = "background:#c62828;color:white;";
constexpr auto kNoVerdictStyle = "background:#e0e0e0;color:#606060;";

QLabel* TileLabel(QWidget* parent, const char* name, int pointSize = kTilePointSize) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = label->font();
    font.setPointSize(pointSize);
    label->setFont(font);
    return label;
}

void Post(QObject* target, std::function<void()> call) {
    QMetaObject::invokeMethod(target, std::move(call), Qt::QueuedConnection);
}

}  // namespace

// The running account of a tile's chip, told on the tile's thread and carried to the windows without
// waiting: a busy window never holds a writer up. Steps cross only when their percentage changes.
class StationTile::Account final : public core::Progress, public core::Prompts {
public:
    explicit Account(StationTile* tile) : m_tile(tile) {}
    void Status(core::StatusField, const QString&) override {}
    void Phase(const QString&) override {}
    void Notice(const QString&) override {}
    void CloseMessage() override {}
    void PhaseBegun(const QString& name) override {
        m_state = name.startsWith(QLatin1String("verify")) ? State::Verifying : State::Programming;
        m_percent = -1;
        Step(0, 1);
    }
    void Step(int value, int maximum) override {
        const int percent = maximum > 0 ? int(qint64(value) * 100 / maximum) : 0;
        if (percent == m_percent) return;
        m_percent = percent;
        Post(m_tile, [tile = m_tile, state = m_state, percent] { tile->Show(state, percent); });
    }
    void SerialTaken(const QString&, qint64 number) override {
        Post(m_tile, [tile = m_tile, number] {
            ShowText(tile->lblSerial, core::Compose(texts::kTileSerial, {QString::number(number)}));
        });
    }
    // A station asks nobody: a box's question is answered as its safe button would.
    core::MessageAnswer Ask(core::MessageIcon, const QString&, const QString&, core::MessageButtons buttons) override {
        return buttons == core::MessageButtons::Ok ? core::MessageAnswer::Ok : core::MessageAnswer::Cancel;
    }
    std::optional<QString> ChooseOpenFile(const core::FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseSaveFile(const core::FileDialogRequest&) override { return std::nullopt; }

private:
    StationTile* m_tile;
    State m_state = State::Programming;
    int m_percent = -1;
};

StationTile::StationTile(const operations::GivenPort& port, std::unique_ptr<link::SerialPort> serialPort,
                         QWidget* parent)
    : QFrame(parent), m_port(port), m_serialPort(std::move(serialPort)) {
    setObjectName(QStringLiteral("stationTile"));
    setFrameShape(QFrame::StyledPanel);
    setAccessibleDescription(port.given);
    auto* layout = new QVBoxLayout(this);
    lblPort = TileLabel(this, "lblPort", kTilePointSize + 2);
    const QString path = port.path.isEmpty() ? QStringLiteral("?") : port.path;
    lblPort->setText(port.comGiven ? QStringLiteral("%1 (%2)").arg(port.given, path)
                     : port.number > 0 ? QStringLiteral("%1 (COM%2)").arg(port.given).arg(port.number)
                                       : port.given);
    lblFirmware = TileLabel(this, "lblFirmware");
    ShowText(lblFirmware, core::Compose(texts::kTileFirmware, {QStringLiteral("—")}));
    lblState = TileLabel(this, "lblState", kTilePointSize + 2);
    lblSerial = TileLabel(this, "lblSerial");
    lblElapsed = TileLabel(this, "lblElapsed");
    lblVerdict = TileLabel(this, "lblVerdict", kVerdictPointSize);
    lblVerdict->setAlignment(Qt::AlignCenter);
    lblVerdict->setMinimumHeight(lblVerdict->fontMetrics().height() * 2);
    lblVerdict->setStyleSheet(QString::fromLatin1(kNoVerdictStyle));
    QFont bold = lblVerdict->font();
    bold.setBold(true);
    lblVerdict->setFont(bold);
    lblReason = TileLabel(this, "lblReason");
    // One line; the whole text is the tool tip, so a long reason never widens the tile.
    lblReason->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* buttons = new QHBoxLayout;
    btnStart = WithText(new QPushButton(this), texts::kStationStart);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnCancel = WithText(new QPushButton(this), texts::kStationCancel);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setEnabled(false);
    buttons->addWidget(btnStart);
    buttons->addWidget(btnCancel);
    for (QWidget* w : std::initializer_list<QWidget*>{lblPort, lblFirmware, lblState, lblSerial, lblElapsed, lblVerdict, lblReason})
        layout->addWidget(w);
    layout->addLayout(buttons);
    connect(btnCancel, &QPushButton::clicked, this, &StationTile::Cancel);
    m_tick.setInterval(200);
    connect(&m_tick, &QTimer::timeout, this, &StationTile::Tick);
    Show(State::Idle);
}

StationTile::~StationTile() { Stop(); }

void StationTile::Show(State state, int percent) {
    m_state = state;
    m_percent = percent;
    switch (state) {
        case State::Idle:
            ShowText(lblState, texts::kStateIdle);
            break;
        case State::Waiting:
            ShowText(lblState, texts::kStateWaiting);
            break;
        case State::Programming:
            ShowText(lblState, core::Compose(texts::kStateProgramming, {QString::number(percent)}));
            break;
        case State::Verifying:
            ShowText(lblState, core::Compose(texts::kStateVerifying, {QString::number(percent)}));
            break;
        case State::Done:
            ShowText(lblState, texts::kStateDone);
            break;
    }
    if ((state == State::Programming || state == State::Verifying) && !m_tick.isActive()) {
        m_elapsed.start();
        m_tick.start();
        Tick();
    }
    Name();
}

void StationTile::Tick() {
    if (m_elapsed.isValid()) ShowText(lblElapsed, core::Compose(texts::kTileSeconds, {QString::number(m_elapsed.elapsed() / 1000)}));
}

void StationTile::ShowVerdict(const ChipVerdict& verdict, const QString& firmware) {
    Tick();
    m_tick.stop();
    if (!firmware.isEmpty()) ShowText(lblFirmware, core::Compose(texts::kTileFirmware, {firmware}));
    ShowText(lblReason, verdict.reason);
    lblReason->setToolTip(core::Translate(verdict.reason));
    if (verdict.kind == ChipVerdict::Kind::Cancelled) {
        m_verdict.reset();
        lblVerdict->clear();
        lblVerdict->setStyleSheet(QString::fromLatin1(kNoVerdictStyle));
        Show(State::Idle);
        return;
    }
    m_verdict = verdict.kind;
    const bool pass = verdict.kind == ChipVerdict::Kind::Pass;
    lblVerdict->setText(VerdictWord());
    lblVerdict->setStyleSheet(QString::fromLatin1(pass ? kPassStyle : kFailStyle));
    Show(State::Done);
}

QString StationTile::SpokenName() const {
    QString state;
    switch (m_state) {
        case State::Idle: state = texts::kStateIdle; break;
        case State::Waiting: state = texts::kStateWaiting; break;
        case State::Programming: state = core::Compose(texts::kStateProgramming, {QString::number(m_percent)}); break;
        case State::Verifying: state = core::Compose(texts::kStateVerifying, {QString::number(m_percent)}); break;
        case State::Done: state = texts::kStateDone; break;
    }
    const QString verdict = m_verdict ? VerdictWord() : QStringLiteral("—");
    return core::Translate(core::Compose(texts::kTileName, {m_port.given, state, verdict}));
}

QString StationTile::VerdictWord() const {
    if (!m_verdict) return {};
    const bool pass = *m_verdict == ChipVerdict::Kind::Pass;
    if (core::CurrentLanguage() == core::Language::English) return pass ? texts::kVerdictPassEnglish : texts::kVerdictFailEnglish;
    return pass ? texts::kVerdictPass : texts::kVerdictFail;
}

void StationTile::Name() { setAccessibleName(SpokenName()); }

void StationTile::ShowInCurrentLanguage() {
    lblVerdict->setText(VerdictWord());
    Name();
}

void StationTile::Start(const operations::Job& job, bool watch) {
    if (m_thread) return;
    m_cancel.Reset();
    m_lost = false;
    m_verdict.reset();
    m_elapsed.invalidate();
    ShowText(lblSerial, QString());
    ShowText(lblReason, QString());
    lblVerdict->clear();
    lblVerdict->setStyleSheet(QString::fromLatin1(kNoVerdictStyle));
    Show(watch ? State::Waiting : State::Programming);
    btnStart->setEnabled(false);
    btnCancel->setEnabled(true);
    m_thread = QThread::create([this, job, watch] {
        Account account(this);
        operations::Environment env{*m_serialPort, m_timing, account, account, &m_cancel};
        const operations::PortChoice choice = m_port.Choice();
        // A port that cannot be opened is no chip's failure: nothing runs and nothing is recorded, as on
        // the command line.
        if (m_port.path.isEmpty() || link::ProbePort(m_port.path).problem != link::PortProblem::None)
            return Post(this, [this] {
                m_lost = true;
                ShowVerdict({ChipVerdict::Kind::Fail, texts::kWriterSilent}, {});
            });
        if (watch) {
            switch (operations::AwaitSocket(env, choice, true)) {
                case operations::SocketChange::Reached:
                    break;
                case operations::SocketChange::WriterLost:
                    m_serialPort->Close();
                    return Post(this, [this] {
                        m_lost = true;
                        ShowVerdict({ChipVerdict::Kind::Fail, texts::kWriterSilent}, {});
                    });
                default:
                    m_serialPort->Close();
                    return Post(this, [this] { ShowVerdict({ChipVerdict::Kind::Cancelled, link::texts::kCancelled}, {}); });
            }
            Post(this, [this] { Show(State::Programming); });
        }
        const operations::JobReport done = operations::RunJob(env, choice, m_port.given, job);
        const ChipVerdict verdict = operations::VerdictOf(done);
        // A stopped run leaves the writer in its base command set, as the main window's cancel does.
        if (verdict.kind == ChipVerdict::Kind::Cancelled) operations::ReturnToBaseSet(env);
        QString firmware = done.report.firmware;
        if (firmware.isEmpty() && done.identification) firmware = done.identification->probe.firmware;
        Post(this, [this, verdict, firmware] {
            ShowVerdict(verdict, firmware);
            if (verdict.kind != ChipVerdict::Kind::Cancelled) Q_EMIT chipEnded(verdict.kind);
        });
        // The verdict stays up until the chip is taken out; only then may the next one start.
        if (watch && verdict.kind != ChipVerdict::Kind::Cancelled) operations::AwaitSocket(env, choice, false);
        m_serialPort->Close();
    });
    connect(m_thread, &QThread::finished, this, [this, thread = m_thread] {
        if (thread != m_thread) return;  // stopped and deleted already
        m_thread->deleteLater();
        m_thread = nullptr;
        btnStart->setEnabled(true);
        btnCancel->setEnabled(false);
        if (m_state == State::Waiting) Show(State::Idle);
        Q_EMIT idle();
    });
    m_thread->start();
}

void StationTile::Cancel() { m_cancel.Cancel(); }

void StationTile::Stop() {
    if (!m_thread) return;
    m_cancel.Cancel();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

}  // namespace zendra::shell
