// The operation guard and the clock helpers.
#include <QtTest>

#include "FakeTiming.h"
#include "RecordingUi.h"
#include "core/OperationGuard.h"

using namespace zendra;

class GuardTimingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aSecondOperationIsRefusedWhileOneRuns() {
        core::OperationGuard guard;
        test::RecordingUi ui;
        {
            auto first = guard.TryEnterOrRefuse(ui);
            QVERIFY(first.has_value());
            QVERIFY(guard.IsBusy());
            QVERIFY(!guard.TryEnterOrRefuse(ui).has_value());
            QCOMPARE(ui.panels[1], core::kBusyText);
            QCOMPARE(ui.calls.size(), 1);
        }
        QVERIFY(!guard.IsBusy());
        QVERIFY(guard.TryEnter().has_value());
    }

    void aMovedHoldReleasesOnce() {
        core::OperationGuard guard;
        std::optional<core::OperationGuard::Hold> outer;
        {
            auto inner = guard.TryEnter();
            outer.emplace(std::move(*inner));
        }
        QVERIFY(guard.IsBusy());
        outer.reset();
        QVERIFY(!guard.IsBusy());
    }

    void wholeSecondsAreTruncatedAcrossTheDayBoundary_data() {
        QTest::addColumn<int>("elapsedMs");
        QTest::addColumn<long long>("seconds");
        QTest::newRow("12.7 s") << 12700 << 12LL;
        QTest::newRow("0.9 s") << 900 << 0LL;
        QTest::newRow("an hour") << 3600000 << 3600LL;
    }
    void wholeSecondsAreTruncatedAcrossTheDayBoundary() {
        QFETCH(int, elapsedMs);
        QFETCH(long long, seconds);
        test::FakeTiming timing;  // starts half a second before a day boundary
        const auto start = timing.Now();
        timing.Advance(std::chrono::milliseconds(elapsedMs));
        QCOMPARE(core::WholeSecondsSince(timing, start), seconds);
    }

    void realWaitRunsEventsAndIdles() {
        core::SystemTiming timing;
        bool fired = false;
        QTimer::singleShot(10, this, [&] { fired = true; });
        const auto start = timing.Now();
        std::clock_t cpuStart = std::clock();
        timing.RunEventsFor(std::chrono::milliseconds(200));
        const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        QVERIFY(fired);
        QVERIFY(timing.Now() - start >= std::chrono::milliseconds(200));
        QVERIFY2(cpu < 0.1, qPrintable(QString::number(cpu)));  // a spinning loop would burn the whole 0.2 s
    }
};

QTEST_GUILESS_MAIN(GuardTimingTest)
#include "tst_guard_timing.moc"
