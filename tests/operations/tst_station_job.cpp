// What a station makes of a bench setup before any writer is touched, and when its batch stops starting
// chips.

#include <QTemporaryDir>
#include <QTest>

#include "TestEnvironment.h"
#include "devices/Catalogue.h"
#include "devices/Encodings.h"
#include "image/IntelHex.h"
#include "operations/Station.h"

using namespace zendra;
using operations::StationProblem;

class StationJobTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void setupToJob_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("choice");  // FIELD=ENTRY, "first" for the device's first CKSEL entry
        QTest::addColumn<QByteArray>("codeAfterSave");  // empty: unchanged
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<int>("problem");
        const QByteArray hex = ":0400000001020304F2\r\n:00000001FF\r\n";
        QTest::newRow("ready") << "ATtiny12L" << "first" << QByteArray() << hex << int(StationProblem::None);
        QTest::newRow("from the signature") << "" << "" << QByteArray() << hex << int(StationProblem::None);
        // The setup's reader refuses a device name the catalogue lacks, naming the key.
        QTest::newRow("unknown device") << "ATtiny99" << "" << QByteArray() << hex << int(StationProblem::SetupUnreadable);
        QTest::newRow("choice the device lacks") << "ATtiny12L" << "CKSEL=none such" << QByteArray() << hex
                                                 << int(StationProblem::ChoiceUnknown);
        QTest::newRow("choice without a device") << "" << "first" << QByteArray() << hex << int(StationProblem::ChoiceUnknown);
        QTest::newRow("file changed since") << "ATtiny12L" << "" << QByteArray(":00000001FF\r\n") << hex
                                            << int(StationProblem::FilesChanged);
        QTest::newRow("file no reader takes") << "ATtiny12L" << "" << QByteArray() << QByteArray(":zz\r\n")
                                              << int(StationProblem::FileRefused);
    }
    void setupToJob() {
        QFETCH(QString, device);
        QFETCH(QString, choice);
        QFETCH(QByteArray, codeAfterSave);
        QFETCH(QByteArray, code);
        QTemporaryDir dir;
        const QString codePath = test::WriteFile(dir.filePath("code.hex"), code);
        production::BenchSetup setup;
        setup.code = {"code.hex", production::FileSha256(codePath)};
        setup.programEeprom = false;
        setup.device = device;
        if (choice == "first") {
            const auto entries = devices::ActiveChoices(core::PanelControl::CKSEL, devices::DeviceAt(0)->fuseLayout);
            QVERIFY(entries);
            setup.lockFuse.append({"CKSEL", entries->entries.first(), {}});
        } else if (!choice.isEmpty()) {
            setup.lockFuse.append({choice.section('=', 0, 0), choice.section('=', 1), {}});
        }
        setup.store = "chips.sqlite";
        const QString path = dir.filePath("bench.zendra");
        QVERIFY(!production::SaveSetup(setup, path));
        if (!codeAfterSave.isEmpty()) test::WriteFile(codePath, codeAfterSave);
        const operations::StationJob job = operations::LoadStationJob(path);
        QTEST(int(job.problem), "problem");
        if (!job.Ok()) return;
        QCOMPARE(job.job.deviceFromSignature, device.isEmpty());
        QCOMPARE(job.job.lockFuse.choices.size(), choice.isEmpty() ? 0 : 1);
        QCOMPARE(job.job.images.ProgramImage[2], quint8(4));  // the image holds words high byte first
        QCOMPARE(job.job.production.store, dir.filePath("chips.sqlite"));
        QVERIFY(job.job.recordsRequired);
    }

    void batch_data() {
        QTest::addColumn<int>("quantity");
        QTest::addColumn<int>("failLimit");
        QTest::addColumn<QString>("chips");  // P pass, F fail, in order
        QTest::addColumn<int>("running");
        QTest::addColumn<bool>("mayStart");
        QTest::addColumn<int>("stop");
        QTest::newRow("room for one more") << 3 << 0 << "PF" << 1 << true << int(operations::BatchStop::None);
        QTest::newRow("running chips fill the quantity") << 3 << 0 << "PP" << 1 << false << int(operations::BatchStop::None);
        QTest::newRow("quantity reached") << 2 << 0 << "FPP" << 0 << false << int(operations::BatchStop::QuantityReached);
        QTest::newRow("failures in a row") << 0 << 2 << "PFF" << 0 << false << int(operations::BatchStop::FailuresInRow);
        QTest::newRow("a pass breaks the row") << 0 << 2 << "FPF" << 0 << true << int(operations::BatchStop::None);
    }
    void batch() {
        QFETCH(int, quantity);
        QFETCH(int, failLimit);
        QFETCH(QString, chips);
        QFETCH(int, running);
        operations::BatchTally tally({.quantity = quantity > 0 ? std::optional<int>(quantity) : std::nullopt,
                                      .failuresInRow = failLimit});
        for (const QChar chip : chips) tally.Count(chip == 'P');
        QTEST(tally.MayStart(running), "mayStart");
        QTEST(int(tally.Stopped()), "stop");
    }
};

QTEST_GUILESS_MAIN(StationJobTest)
#include "tst_station_job.moc"
