#pragma once
// FrmStation: the production station window. One bench setup (the job) runs on several writers side by
// side, one StationTile per writer, each on a thread of its own through operations::RunJob, so a failing
// or silent writer never holds up the others. Chips start per tile (button, keys 1-9), all at once
// (space) or when a chip is seated (the socket watch); an optional batch quantity and a number of
// failures in a row stop the starting. The counters come from the chip store's yield query, read off the
// windows' thread.

#include <QDateTime>
#include <QElapsedTimer>
#include <QFrame>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/Settings.h"
#include "core/Timing.h"
#include "link/PortMap.h"
#include "link/SerialPort.h"
#include "operations/Station.h"
#include "shell/LiveText.h"

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QThread;

namespace zendra::shell {

class StationGate;
class StationFilesPanel;

namespace texts {
inline const QString kMenuStation = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "生産ステーション(&T)..."));
inline const QString kStationTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "生産ステーション"));
inline const QString kStationSetup = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ベンチ設定: %1"));
inline const QString kStationStart = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "開始"));
inline const QString kStationCancel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "中止"));
inline const QString kStationStartAll = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "全て開始 (スペース)"));
inline const QString kStationAuto = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップを挿したら開始する"));
inline const QString kStationQuantity = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "数量 (0: 制限なし):"));
inline const QString kStationFailLimit = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "連続不合格で停止 (0: しない):"));
inline const QString kStationAddPort = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポートを追加"));
inline const QString kStateIdle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "待機"));
inline const QString kStateWaiting = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ待ち"));
inline const QString kStateProgramming = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "書き込み中 %1 %"));
inline const QString kStateVerifying = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "検証中 %1 %"));
inline const QString kStateDone = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "完了"));
inline const QString kVerdictPass = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "合格"));
inline const QString kVerdictFail = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "不合格"));
// The catalogue gives 合格 and 不合格 the history's "Passed" and "Failed"; a station's verdict is the
// bench's own short word.
inline const QString kVerdictPassEnglish = QStringLiteral("PASS");
inline const QString kVerdictFailEnglish = QStringLiteral("FAIL");
inline const QString kTileName = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "%1 — %2 — %3"));
inline const QString kTileFirmware = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファームウェア: %1"));
inline const QString kTileSerial = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号: %1"));
inline const QString kTileSeconds = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "%1 秒"));
inline const QString kWriterSilent = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "書き込み器が応答しません。"));
inline const QString kSessionCounts =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "このセッション: 合格 %1、不合格 %2、計 %3"));
inline const QString kSeriesCounts =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリーズ %1 (チップ記録): 合格 %2、不合格 %3、計 %4"));
inline const QString kFailureKinds = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "不合格の内訳: %1"));
inline const QString kCountsUnread = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ記録を読めません: %1"));
inline const QString kRemaining = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "残り %1 個"));
inline const QString kQuantityReached =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "数量に達しました。これ以上チップを開始しません。"));
inline const QString kFailuresStopped = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "不合格が %1 回続いたので開始を止めました。治具と書き込み器を確かめてください。"));
inline const QString kStationRefused = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ステーションを開けません: %1"));
inline const QString kStationBusy =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "開いているステーションの書き込み器が動作中です: %1"));
inline const QString kStationSetupUnreadable =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ベンチ設定 %1 を読めません (%2)。"));
inline const QString kStationFilesChanged =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ベンチ設定の保存後に変わったファイルがあります: %1"));
inline const QString kStationFileRefused = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルを読めません: %1"));
inline const QString kStationDeviceUnknown = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "知らないデバイス名です: %1"));
inline const QString kStationChoiceUnknown =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "デバイスにない書き込み設定です: %1"));
inline const QString kStationGeneratorNotAllowed = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "このセットアップのシリアル番号プログラムは、このベンチでまだ許可されていません。メイン画面でセットアップを開き、一度書き込んで許可してください: %1"));
}  // namespace texts

// One writer of the station: its port, firmware, state, serial number, elapsed seconds and verdict, and
// the thread that runs its chips.
class StationTile final : public QFrame, public LanguageAware {
    Q_OBJECT
public:
    enum class State { Idle, Waiting, Programming, Verifying, Done };
    StationTile(const operations::GivenPort& port, std::unique_ptr<link::SerialPort> serialPort, QWidget* parent);
    ~StationTile() override;

    // Runs one chip of `job` on the tile's thread; with `watch`, once a chip is seated, and after the
    // verdict until it is taken out again.
    void Start(const operations::Job& job, bool watch);
    void Cancel();
    // Cancels and waits for the thread: the station closes.
    void Stop();
    bool Busy() const { return m_thread != nullptr; }
    State CurrentState() const { return m_state; }
    // The writer stopped answering while the tile watched its socket.
    bool WriterLost() const { return m_lost; }
    const operations::GivenPort& Port() const { return m_port; }
    // "PORT — state — verdict", as a screen reader reads the tile.
    QString SpokenName() const;
    void ShowInCurrentLanguage() override;

    QLabel* lblPort = nullptr;
    QLabel* lblFirmware = nullptr;
    QLabel* lblState = nullptr;
    QLabel* lblSerial = nullptr;
    QLabel* lblElapsed = nullptr;
    QLabel* lblVerdict = nullptr;
    QLabel* lblReason = nullptr;
    QPushButton* btnStart = nullptr;
    QPushButton* btnCancel = nullptr;

Q_SIGNALS:
    // The chip's verdict is in (the thread may still wait for the chip to be taken out).
    void chipEnded(operations::ChipVerdict::Kind kind);
    // The thread has ended: the tile may start again.
    void idle();

private:
    class Account;
    void Show(State state, int percent = 0);
    void ShowVerdict(const operations::ChipVerdict& verdict, const QString& firmware);
    void Tick();
    void Name();
    // The verdict's word in the language shown; empty without a verdict.
    QString VerdictWord() const;

    operations::GivenPort m_port;
    std::unique_ptr<link::SerialPort> m_serialPort;
    core::SystemTiming m_timing;
    core::CancelToken m_cancel;
    QThread* m_thread = nullptr;
    State m_state = State::Idle;
    int m_percent = 0;
    std::optional<operations::ChipVerdict::Kind> m_verdict;
    bool m_lost = false;
    QElapsedTimer m_elapsed;
    QTimer m_tick;
};

struct StationOptions {
    QString setupPath;
    QStringList ports;  // empty: the setup's
    // The port of a writer; empty: the system's serial port.
    std::function<std::unique_ptr<link::SerialPort>()> makePort;
    link::PortMap::Detector detectPorts;  // empty: the system's serial ports
    // The lock of the station (and of the main window); none: the station is never locked.
    StationGate* gate = nullptr;
};

class FrmStation final : public QWidget {
    Q_OBJECT
public:
    FrmStation(core::SettingsStore& settings, StationOptions options, QWidget* parent = nullptr);
    ~FrmStation() override;

    // Why the setup cannot be run (composed, Japanese); empty when the station is ready.
    const QString& Refusal() const { return m_refusal; }
    QList<StationTile*> Tiles() const { return m_tiles; }
    StationTile* AddWriter(const QString& given);
    void StartAll();
    void StartTile(StationTile* tile);
    // The counters read again, off the windows' thread; `counted` follows each reading.
    void ReadCounters();
    const operations::BatchTally& Tally() const { return m_tally; }

    QLabel* lblSetup = nullptr;
    QSpinBox* spnQuantity = nullptr;
    QSpinBox* spnFailLimit = nullptr;
    QCheckBox* chkAuto = nullptr;
    QPushButton* btnStartAll = nullptr;
    QComboBox* cboPorts = nullptr;
    QPushButton* btnAddPort = nullptr;
    QLabel* lblSession = nullptr;
    QLabel* lblSeries = nullptr;
    QLabel* lblFailures = nullptr;
    QLabel* lblBatch = nullptr;
    StationFilesPanel* pnlFiles = nullptr;  // the job's files and the lock; none when the setup was refused

Q_SIGNALS:
    void counted();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnChipEnded(operations::ChipVerdict::Kind kind);
    void OnTileIdle(StationTile* tile);
    void ShowBatch();
    void FillDetectedPorts();
    std::optional<QList<production::FileDigest>> ReloadJob();
    int Running() const;

    core::SettingsStore& m_settings;
    StationOptions m_options;
    link::PortMap m_portMap;
    operations::StationJob m_job;
    QString m_refusal;
    QList<StationTile*> m_tiles;
    QHBoxLayout* m_tileRow = nullptr;
    operations::BatchTally m_tally;
    bool m_batchStarted = false;
    QDateTime m_opened;
    int m_readings = 0;  // only the newest reading is shown
    QObject m_readingsBack;
};

}  // namespace zendra::shell
