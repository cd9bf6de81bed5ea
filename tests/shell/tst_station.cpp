// The production station against virtual writers on pseudo-terminals: the tiles as a screen reader reads
// them, writers running side by side while one is silent and one refuses its chip, the counters from the
// chip store, a batch's quantity and a run of failures, and a station asked for at start-up or handed to
// a copy that already runs.

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QThread>

#include "AppHarness.h"
#include "core/Language.h"
#include "image/IntelHex.h"
#include "production/BenchSetup.h"
#include "shell/FrmStation.h"
#include "shell/LiveText.h"
#include "shell/StationHandOver.h"

using namespace zendra;
using namespace zendra::test;
using shell::StationTile;

namespace {

struct Sim {
    explicit Sim(const QStringList& options) {
        process.start(QStringLiteral(ZENDRA_BUILD_DIR "/kxwrt-sim"), options);
        if (process.waitForStarted() && process.waitForReadyRead(5000))
            path = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~Sim() {
        process.terminate();
        if (!process.waitForFinished(3000)) process.kill();
    }
    QProcess process;
    QString path;
};

// A bench setup for the simulator's default chip, its records in a store of its own.
QString WriteBenchSetup(const QString& folder) {
    image::MemoryImages images;
    image::ClearProgramImage(images);
    for (int i = 0; i < 64; ++i) images.ProgramImage[i] = quint8(i * 7);
    const QString code = WriteFile(folder + "/code.hex", image::CodeHexText(images.ProgramImage, 512));
    production::BenchSetup setup;
    setup.code = {"code.hex", production::FileSha256(code)};
    setup.programEeprom = false;
    setup.device = "ATtiny12L";
    setup.store = "chips.sqlite";
    const QString path = folder + "/bench.zendra";
    return production::SaveSetup(setup, path) ? QString() : path;
}

bool AllIdle(const shell::FrmStation& station) {
    return std::ranges::none_of(station.Tiles(), [](const StationTile* tile) { return tile->Busy(); });
}

}  // namespace

class StationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { shell::SwitchLanguage(core::Language::English); }

    void writersRunSideBySide() {
        TestEnvironment env;
        Sim good({}), silent({"--silent-after", "0"}), locked({"--locked"});
        const QString setup = WriteBenchSetup(env.Root());
        core::IniSettingsStore settings;
        shell::FrmStation station(settings, {.setupPath = setup, .ports = {good.path, silent.path, locked.path}});
        QVERIFY2(station.Refusal().isEmpty(), qPrintable(station.Refusal()));
        QCOMPARE(station.Tiles().size(), 3);
        QCOMPARE(station.Tiles().at(0)->SpokenName(), good.path + " — idle — —");
        station.show();
        station.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&station));
        QSignalSpy counted(&station, &shell::FrmStation::counted);
        QTest::keyClick(&station, Qt::Key_Space);
        QVERIFY(!AllIdle(station));
        // The good writer is done while the silent one still waits for its answer.
        QTRY_COMPARE_WITH_TIMEOUT(station.Tiles().at(0)->SpokenName(), good.path + " — done — PASS", 20000);
        QVERIFY(station.Tiles().at(1)->Busy());
        QTRY_VERIFY_WITH_TIMEOUT(AllIdle(station), 60000);
        QCOMPARE(station.Tiles().at(1)->SpokenName(), silent.path + " — done — FAIL");
        QCOMPARE(station.Tiles().at(2)->SpokenName(), locked.path + " — done — FAIL");
        QVERIFY(!station.Tiles().at(2)->lblReason->text().isEmpty());
        QCOMPARE(station.Tiles().at(0)->lblFirmware->text(), "Firmware: KX-WRT540 V6.35");
        // Every chip was recorded, the failing verdicts counted by kind (a chip still running counts as
        // "allocated" until its record is finished, so the last reading is waited for).
        QTRY_COMPARE_WITH_TIMEOUT(station.lblFailures->text(), "Failures: chip-refused 1, link-failed 1", 10000);
        QCOMPARE(station.lblSession->text(), "This session: 1 passed, 2 failed, 3 in all");
        QCOMPARE(station.lblSeries->text(), "Series * (chip store): 1 passed, 2 failed, 3 in all");
        QVERIFY(counted.count() >= 1);
    }

    void batchStops_data() {
        QTest::addColumn<QStringList>("sim");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<int>("failLimit");
        QTest::addColumn<int>("passes");
        QTest::addColumn<int>("failures");
        QTest::addColumn<QString>("said");
        QTest::newRow("quantity reached") << QStringList{} << 2 << 0 << 2 << 0
                                          << "The quantity is reached: no more chips are started.";
        QTest::newRow("failures in a row") << QStringList{"--locked"} << 0 << 2 << 0 << 2
                                           << "Stopped starting chips after 2 failures in a row. Check the fixture and the writers.";
    }
    void batchStops() {
        QFETCH(QStringList, sim);
        QFETCH(int, quantity);
        QFETCH(int, failLimit);
        TestEnvironment env;
        Sim writer(sim);
        core::IniSettingsStore settings;
        shell::FrmStation station(settings, {.setupPath = WriteBenchSetup(env.Root()), .ports = {writer.path}});
        station.spnQuantity->setValue(quantity);
        station.spnFailLimit->setValue(failLimit);
        if (quantity > 0) QCOMPARE(station.lblBatch->text(), QString("%1 remaining").arg(quantity));
        // One press more than the batch takes: the last one starts nothing.
        for (int press = 0; press < 3; ++press) {
            station.StartAll();
            QTRY_VERIFY_WITH_TIMEOUT(AllIdle(station), 20000);
        }
        QTEST(station.Tally().Passes(), "passes");
        QTEST(station.Tally().Failures(), "failures");
        QTEST(station.lblBatch->text(), "said");
    }

    void stationAtStartUpAndHandedOver() {
        TestEnvironment env;
        Sim first({}), second({});
        const QString setup = WriteBenchSetup(env.Root());
        AppHarness running;
        running.locale = "en_US";
        QVERIFY(running.Start(env.AppDir()));
        QCOMPARE(running.app->OpenStation(setup, {first.path}), QString());
        QCOMPARE(running.app->Station()->Tiles().size(), 1);
        QVERIFY(running.app->Station()->isVisible());

        // A second copy does not start; its station goes to the running one, which answers.
        shell::Application again;
        QCOMPARE(again.Start(), shell::Application::StartResult::AlreadyRunning);
        const auto handOver = [&](const shell::StationRequest& request) -> shell::HandOverResult {
            shell::HandOverResult result;
            std::unique_ptr<QThread> client(QThread::create([&] { result = shell::HandStationOver(again.StationSocket(), request); }));
            client->start();
            // The running copy answers on this thread's events.
            for (int i = 0; i < 1000 && !client->isFinished(); ++i) QTest::qWait(10);
            client->wait();
            return result;
        };
        const shell::HandOverResult taken = handOver({setup, {second.path}});
        QVERIFY2(taken.delivered && taken.answer.isEmpty(), qPrintable(taken.answer));
        QCOMPARE(running.app->Station()->Tiles().at(0)->Port().given, second.path);
        const shell::HandOverResult refused = handOver({env.Root() + "/missing.zendra", {}});
        QVERIFY(refused.delivered);
        QVERIFY2(refused.answer.startsWith("Cannot read the bench setup"), qPrintable(refused.answer));
    }
};

QTEST_MAIN(StationTest)
#include "tst_station.moc"
