#include "shell/FrmStation.h"
#include "production/SerialSource.h"

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

// --- The station -----------------------------------------------------------------------------------------

namespace {

using operations::ChipVerdict;

constexpr int kMaxKeyedTiles = 9;

QString RefusalOf(const operations::StationJob& job) {
    using operations::StationProblem;
    switch (job.problem) {
        case StationProblem::None:
            return {};
        case StationProblem::SetupUnreadable:
            return core::Compose(texts::kStationSetupUnreadable, {job.setupPath, job.detail});
        case StationProblem::FilesChanged:
            return core::Compose(texts::kStationFilesChanged, {job.detail});
        case StationProblem::FileRefused:
            return core::Compose(texts::kStationFileRefused, {job.detail});
        case StationProblem::DeviceUnknown:
            return core::Compose(texts::kStationDeviceUnknown, {job.detail});
        case StationProblem::ChoiceUnknown:
            return core::Compose(texts::kStationChoiceUnknown, {job.detail});
    }
    return {};
}

struct StationCounts {
    production::StoreResult result;
    production::YieldGroup session, series;
};

// The session is this bench's chips of the series since the station opened; the series is all of them.
StationCounts ReadStationCounts(const QString& location, const QString& series, const QDateTime& since) {
    StationCounts counts;
    production::ChipStore store(location);
    counts.result = store.Open(production::ChipStore::OpenMode::Existing);
    if (counts.result.problem == production::StoreProblem::Missing) return {};
    QList<production::YieldGroup> groups;
    if (counts.result.Ok())
        counts.result = store.Yield({.series = series, .since = since, .by = production::Grouping::Bench}, groups);
    for (const production::YieldGroup& group : groups)
        if (group.key == QSysInfo::machineHostName()) counts.session = group;
    groups.clear();
    if (counts.result.Ok()) counts.result = store.Yield({.series = series}, groups);
    counts.series = groups.value(0);
    return counts;
}

}  // namespace

FrmStation::FrmStation(core::SettingsStore& settings, StationOptions options, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_settings(settings),
      m_options(std::move(options)),
      m_portMap(settings, m_options.detectPorts ? m_options.detectPorts : link::PortMap::Detector(link::DetectSystemPorts)),
      m_opened(QDateTime::currentDateTimeUtc()) {
    setObjectName(QStringLiteral("frmStation"));
    setAttribute(Qt::WA_DeleteOnClose, true);
    ShowText(this, texts::kStationTitle, TextSlot::WindowTitle);
    // A changed file is loaded and shown: the files panel holds the chips back until it is accepted.
    m_job = operations::LoadStationJob(m_options.setupPath, true);
    m_refusal = RefusalOf(m_job);
    // A program run for every chip is the user's to allow once on this bench, where nobody is asked.
    if (const operations::ProductionSettings& p = m_job.job.production;
        m_refusal.isEmpty() && p.stampAt && p.kind == production::SeriesKind::Command &&
        !production::GeneratorApproved(p.command, p.commandFolder))
        m_refusal = core::Compose(texts::kStationGeneratorNotAllowed, {p.command});

    auto* layout = new QVBoxLayout(this);
    lblSetup = new QLabel(this);
    lblSetup->setObjectName(QStringLiteral("lblSetup"));
    ShowText(lblSetup, core::Compose(texts::kStationSetup, {QFileInfo(m_options.setupPath).fileName()}));
    layout->addWidget(lblSetup);

    auto* controls = new QGridLayout;
    spnQuantity = new QSpinBox(this);
    spnQuantity->setObjectName(QStringLiteral("spnQuantity"));
    spnQuantity->setRange(0, 1000000);
    spnFailLimit = new QSpinBox(this);
    spnFailLimit->setObjectName(QStringLiteral("spnFailLimit"));
    spnFailLimit->setRange(0, 1000);
    spnFailLimit->setValue(3);
    chkAuto = WithText(new QCheckBox(this), texts::kStationAuto);
    chkAuto->setObjectName(QStringLiteral("chkAuto"));
    btnStartAll = WithText(new QPushButton(this), texts::kStationStartAll);
    btnStartAll->setObjectName(QStringLiteral("btnStartAll"));
    cboPorts = new QComboBox(this);
    cboPorts->setObjectName(QStringLiteral("cboPorts"));
    cboPorts->setEditable(true);
    btnAddPort = WithText(new QPushButton(this), texts::kStationAddPort);
    btnAddPort->setObjectName(QStringLiteral("btnAddPort"));
    controls->addWidget(WithText(new QLabel(this), texts::kStationQuantity), 0, 0);
    controls->addWidget(spnQuantity, 0, 1);
    controls->addWidget(WithText(new QLabel(this), texts::kStationFailLimit), 0, 2);
    controls->addWidget(spnFailLimit, 0, 3);
    controls->addWidget(chkAuto, 0, 4);
    controls->addWidget(btnStartAll, 0, 5);
    controls->addWidget(cboPorts, 1, 0, 1, 4);
    controls->addWidget(btnAddPort, 1, 4);
    layout->addLayout(controls);

    m_tileRow = new QHBoxLayout;
    layout->addLayout(m_tileRow, 1);
    lblBatch = new QLabel(this);
    lblBatch->setObjectName(QStringLiteral("lblBatch"));
    lblSession = new QLabel(this);
    lblSession->setObjectName(QStringLiteral("lblSession"));
    lblSeries = new QLabel(this);
    lblSeries->setObjectName(QStringLiteral("lblSeries"));
    lblFailures = new QLabel(this);
    lblFailures->setObjectName(QStringLiteral("lblFailures"));
    for (QLabel* label : {lblBatch, lblSession, lblSeries, lblFailures}) layout->addWidget(label);
    if (m_job.Ok()) {
        pnlFiles = new StationFilesPanel(
            production::StationFiles(m_job.setup, m_options.setupPath, m_job.job.files), m_options.gate,
            m_options.setupPath, [this] { return ReloadJob(); }, this);
        layout->addWidget(pnlFiles);
    }

    const auto rule = [this] {
        m_tally.SetRule({.quantity = spnQuantity->value() > 0 ? std::optional<int>(spnQuantity->value()) : std::nullopt,
                         .failuresInRow = spnFailLimit->value()});
        ShowBatch();
    };
    connect(spnQuantity, &QSpinBox::valueChanged, this, rule);
    connect(spnFailLimit, &QSpinBox::valueChanged, this, rule);
    rule();
    connect(btnStartAll, &QPushButton::clicked, this, &FrmStation::StartAll);
    connect(btnAddPort, &QPushButton::clicked, this, [this] {
        // A writer plugged in is listed, but a locked station takes none until an engineer unlocks it.
        if (m_options.gate && m_options.gate->Refuses()) return;
        if (!cboPorts->currentText().trimmed().isEmpty()) AddWriter(cboPorts->currentText().trimmed());
    });
    connect(chkAuto, &QCheckBox::toggled, this, [this](bool on) {
        if (on) StartAll();
    });
    // 1-9 start their tile, space every tile; taken only while the station is the active window.
    for (int key = 1; key <= kMaxKeyedTiles; ++key)
        connect(new QShortcut(QKeySequence(QString::number(key)), this), &QShortcut::activated, this, [this, key] {
            if (key <= m_tiles.size()) StartTile(m_tiles.at(key - 1));
        });
    connect(new QShortcut(QKeySequence(Qt::Key_Space), this), &QShortcut::activated, this, &FrmStation::StartAll);

    // A writer plugged in shows up among the ports to add.
    auto* watcher = new link::PortWatcher(this);
    connect(watcher, &link::PortWatcher::PortsChanged, this, &FrmStation::FillDetectedPorts);
    FillDetectedPorts();

    if (!m_refusal.isEmpty()) {
        ShowText(lblBatch, core::Compose(texts::kStationRefused, {m_refusal}));
        lblBatch->setStyleSheet(QString::fromLatin1("color:#c62828;"));
        btnStartAll->setEnabled(false);
        btnAddPort->setEnabled(false);
        chkAuto->setEnabled(false);
        return;
    }
    for (const QString& given : m_options.ports.isEmpty() ? m_job.setup.ports : m_options.ports) AddWriter(given);
    // The keys reach the tiles, not a number box that would take the digits and the space itself.
    btnStartAll->setFocus();
    ReadCounters();
}

FrmStation::~FrmStation() {
    for (StationTile* tile : m_tiles) tile->Stop();
}

void FrmStation::FillDetectedPorts() {
    const QString typed = cboPorts->currentText();
    cboPorts->clear();
    for (const link::DetectedPort& port : m_portMap.Detected()) cboPorts->addItem(port.path);
    cboPorts->setEditText(typed);
}

StationTile* FrmStation::AddWriter(const QString& given) {
    if (!m_refusal.isEmpty()) return nullptr;
    for (StationTile* tile : m_tiles)
        if (tile->Port().given == given) return tile;
    const operations::GivenPort port = operations::ResolveGivenPort(
        given, [this](int n) { return m_portMap.Resolve(n); }, [this](int n) { return m_portMap.Assigned(n); });
    auto* tile = new StationTile(port, m_options.makePort ? m_options.makePort() : link::MakeSystemSerialPort(), this);
    m_tiles.append(tile);
    m_tileRow->addWidget(tile);
    connect(tile->btnStart, &QPushButton::clicked, this, [this, tile] { StartTile(tile); });
    connect(tile, &StationTile::chipEnded, this, &FrmStation::OnChipEnded);
    connect(tile, &StationTile::idle, this, [this, tile] { OnTileIdle(tile); });
    if (chkAuto->isChecked()) StartTile(tile);
    return tile;
}

int FrmStation::Running() const {
    return int(std::ranges::count_if(m_tiles, [](const StationTile* tile) { return tile->Busy(); }));
}

void FrmStation::StartAll() {
    for (StationTile* tile : m_tiles) StartTile(tile);
}

void FrmStation::StartTile(StationTile* tile) {
    if (!m_refusal.isEmpty() || tile->Busy()) return;
    if (pnlFiles && pnlFiles->Stopped()) return;
    if (!m_tally.MayStart(Running())) return ShowBatch();
    operations::Job job = m_job.job;
    if (m_options.gate) job.station = m_options.gate->Facts();
    tile->Start(job, chkAuto->isChecked());
}

void FrmStation::OnChipEnded(ChipVerdict::Kind kind) {
    m_tally.Count(kind == ChipVerdict::Kind::Pass);
    ShowBatch();
    ReadCounters();
}

void FrmStation::OnTileIdle(StationTile* tile) {
    // A writer that stopped answering is not asked again by itself: its tile says so and waits for a key.
    const bool lost = tile->WriterLost();
    if (chkAuto->isChecked() && !lost && isVisible()) StartTile(tile);
}

void FrmStation::ShowBatch() {
    if (!m_refusal.isEmpty()) return;
    switch (m_tally.Stopped()) {
        case operations::BatchStop::QuantityReached:
            return ShowText(lblBatch, texts::kQuantityReached);
        case operations::BatchStop::FailuresInRow:
            return ShowText(lblBatch, core::Compose(texts::kFailuresStopped, {QString::number(m_tally.FailuresInRow())}));
        case operations::BatchStop::None:
            break;
    }
    if (const auto remaining = m_tally.Remaining())
        ShowText(lblBatch, core::Compose(texts::kRemaining, {QString::number(*remaining)}));
    else
        ShowText(lblBatch, QString());
}

void FrmStation::ReadCounters() {
    const int reading = ++m_readings;
    const operations::ProductionSettings& p = m_job.job.production;
    const QString location = p.StoreLocation();
    const QString series = p.stampAt ? p.series : QString();
    const QDateTime since = m_opened;
    ReadOffWindowsThread<StationCounts>(
        &m_readingsBack, [location, series, since] { return ReadStationCounts(location, series, since); },
        [this, reading, series](const StationCounts& counts) {
            if (reading != m_readings) return;
            if (!counts.result.Ok()) {
                ShowText(lblSession, core::Compose(texts::kCountsUnread, {counts.result.detail}));
            } else {
                const auto numbers = [](const production::YieldGroup& g) {
                    return QStringList{QString::number(g.pass), QString::number(g.Fail()), QString::number(g.total)};
                };
                ShowText(lblSession, core::Compose(texts::kSessionCounts, numbers(counts.session)));
                ShowText(lblSeries, core::Compose(texts::kSeriesCounts,
                                                  QStringList{series.isEmpty() ? QStringLiteral("*") : series} +
                                                      numbers(counts.series)));
                QStringList kinds;
                for (auto it = counts.session.failures.cbegin(); it != counts.session.failures.cend(); ++it)
                    kinds << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
                ShowText(lblFailures, kinds.isEmpty() ? QString() : core::Compose(texts::kFailureKinds, {kinds.join(QStringLiteral(", "))}));
            }
            Q_EMIT counted();
        });
}

// The job as the files are now; none while a writer runs (its chip keeps what it started with) or when the
// setup no longer loads, which the station then says.
std::optional<QList<production::FileDigest>> FrmStation::ReloadJob() {
    if (Running() > 0) return std::nullopt;
    operations::StationJob again = operations::LoadStationJob(m_options.setupPath, true);
    if (!again.Ok()) {
        ShowText(lblBatch, core::Compose(texts::kStationRefused, {RefusalOf(again)}));
        return std::nullopt;
    }
    m_job = std::move(again);
    ShowBatch();
    return m_job.job.files;
}

void FrmStation::closeEvent(QCloseEvent* event) {
    if (m_options.gate && !m_options.gate->MayClose()) return event->ignore();
    // Every writer's chip ends after its current exchange, and its thread with it.
    for (StationTile* tile : m_tiles) tile->Stop();
    event->accept();
}

}  // namespace zendra::shell
