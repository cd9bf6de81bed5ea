// The operation guard and the clock helpers.
#include <QtTest>

#include "FakeTiming.h"
#include "RecordingUi.h"
#include "core/OperationGuard.h"
#include <thread>

#include "core/StepPacer.h"

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

    // Steps "value/maximum@ms" and "restart"; `shown` lists the steps that reached the screen.
    void stepPacerShowsTheLastStepAndAboutThirtyASecond_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("shown");
        QTest::newRow("one word a millisecond")
            << "0/100@0 1/100@1 32/100@32 33/100@33 34/100@34 65/100@65 66/100@66 99/100@99 100/100@100"
            << "0/100 33/100 66/100 99/100 100/100";
        QTest::newRow("the last step at once after another")
            << "0/3@0 1/3@1 2/3@2 3/3@3" << "0/3 3/3";
        QTest::newRow("slow steps all pass") << "0/2@0 1/2@40 2/2@80" << "0/2 1/2 2/2";
        QTest::newRow("a new phase shows its first step")
            << "0/9@0 5/9@10 restart 0/9@11 4/9@12" << "0/9 0/9";
        QTest::newRow("a new range shows its first step") << "0/9@0 0/4@1 1/4@2" << "0/9 0/4";
        QTest::newRow("a one-step range") << "0/0@0 restart 0/0@1" << "0/0 0/0";
    }
    void stepPacerShowsTheLastStepAndAboutThirtyASecond() {
        QFETCH(QString, steps);
        QFETCH(QString, shown);
        core::StepPacer pacer;
        const core::Clock::time_point start{};
        QStringList admitted;
        for (const QString& step : steps.split(QLatin1Char(' '))) {
            if (step == QLatin1String("restart")) {
                pacer.Restart();
                continue;
            }
            const QStringList parts = step.split(QRegularExpression(QStringLiteral("[/@]")));
            const auto at = start + std::chrono::milliseconds(parts[2].toInt());
            if (pacer.Admit(parts[0].toInt(), parts[1].toInt(), at)) admitted << step.section(QLatin1Char('@'), 0, 0);
        }
        QCOMPARE(admitted.join(QLatin1Char(' ')), shown);
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

        // Off the windows' thread the wait is a sleep that still lasts its whole span.
        core::Duration slept{0};
        std::thread other([&] {
            const auto begin = timing.Now();
            timing.RunEventsFor(std::chrono::milliseconds(50));
            slept = timing.Now() - begin;
        });
        other.join();
        QVERIFY(slept >= std::chrono::milliseconds(50));
    }
};

// The windows' kind of application: the responsive wait runs events on its thread only.
QTEST_MAIN(GuardTimingTest)
#include "tst_guard_timing.moc"
