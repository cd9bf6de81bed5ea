// The message-and-progress window as the operations drive it, and the twips conversions it is placed with.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "shell/FrmMsg.h"
#include "shell/Twips.h"

using namespace zendra::shell;

namespace {

// One step of a script: "show 0 text", "show 1 text", "progress ON 0 4 5", "close", "text X",
// "okvisible 1", "barvisible 0", "clickok", "movemain 400 300".
void RunStep(MessageWindowHost& host, QWidget& main, const QString& step) {
    const QStringList parts = step.split(QLatin1Char(' '));
    const QString verb = parts.value(0);
    if (verb == QLatin1String("show")) {
        host.ShowMessage(parts.value(1).toInt(), parts.mid(2).join(QLatin1Char(' ')));
    } else if (verb == QLatin1String("progress")) {
        host.ReportProgress(parts.value(1), parts.value(2).toInt(), parts.value(3).toInt(),
                            parts.value(4).toInt());
    } else if (verb == QLatin1String("close")) {
        host.CloseMessage();
    } else if (verb == QLatin1String("text")) {
        host.SetMessageText(parts.mid(1).join(QLatin1Char(' ')));
    } else if (verb == QLatin1String("okvisible")) {
        host.SetMessageOkVisible(parts.value(1) == QLatin1String("1"));
    } else if (verb == QLatin1String("barvisible")) {
        host.SetMessageBarVisible(parts.value(1) == QLatin1String("1"));
    } else if (verb == QLatin1String("clickok")) {
        QVERIFY(host.Window());
        QTest::mouseClick(host.Window()->Cmd_okm, Qt::LeftButton);
    } else if (verb == QLatin1String("movemain")) {
        main.move(parts.value(1).toInt(), parts.value(2).toInt());
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

}  // namespace

class TestMessageWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void presentation_data();
    void presentation();
    void placement_data();
    void placement();
    void okPressThenProgressMakesAFreshVisibleWindow();
    void closedByOwnerLeavesNoDanglingWindow();
    void twipsToPixels_data();
    void twipsToPixels();
    void pixelsToTwips_data();
    void pixelsToTwips();

private:
    double m_dpi = 96;
};

void TestMessageWindow::initTestCase() { m_dpi = LogicalDpi(); }

void TestMessageWindow::presentation_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("okShown");
    QTest::addColumn<bool>("barShown");
    QTest::addColumn<QList<int>>("bar");  // minimum, value, maximum; empty: not checked
    QTest::addColumn<int>("pumps");
    QTest::addColumn<bool>("sameWindowSamePlace");  // the window of the first step, not moved

    QTest::newRow("zero range shows a full bar, hidden")
        << QStringList{"show 0 チップ イレース中.....", "progress ON 0 0 0"} << true
        << "チップ イレース中....." << false << false << QList<int>{0, 1, 1} << 2 << true;
    QTest::newRow("last step hides the bar") << QStringList{"show 0 p", "progress ON 0 5 5"} << true << "p"
                                             << false << false << QList<int>{0, 5, 5} << 2 << true;
    QTest::newRow("step before last shows the bar")
        << QStringList{"show 0 p", "progress ON 0 4 5"} << true << "p" << false << true << QList<int>{0, 4, 5}
        << 2 << true;
    QTest::newRow("non-zero minimum is applied") << QStringList{"show 0 p", "progress ON 2 3 9"} << true
                                                 << "p" << false << true << QList<int>{2, 3, 9} << 2 << true;
    QTest::newRow("other state only hides, numbers unchanged")
        << QStringList{"show 0 p", "progress ON 0 3 10", "progress OFF 0 7 9"} << true << "p" << false
        << false << QList<int>{0, 3, 10} << 3 << true;
    QTest::newRow("state is compared exactly: lower case hides")
        << QStringList{"show 0 p", "progress ON 0 3 10", "progress on 0 4 10"} << true << "p" << false
        << false << QList<int>{0, 3, 10} << 3 << true;
    QTest::newRow("notice over progress: OK, no bar, not moved")
        << QStringList{"show 0 フラッシュプログラムメモリ プログラム中.....", "progress ON 0 10 100",
                       "show 1 フラッシュプログラムメモリ プログラム失敗"}
        << true << "フラッシュプログラムメモリ プログラム失敗" << true << false << QList<int>{} << 3 << true;
    QTest::newRow("progress text after a notice hides OK, keeps the bar as set")
        << QStringList{"show 1 n", "show 0 p"} << true << "p" << false << false << QList<int>{} << 2 << true;
    QTest::newRow("progress call alone creates the window")
        << QStringList{"progress ON 0 1 3"} << true << "" << false << true << QList<int>{0, 1, 3} << 1
        << true;
    QTest::newRow("direct text change turns progress into notice")
        << QStringList{"show 0 p", "progress ON 0 2 8", "text 通信エラーが発生しました。", "okvisible 1",
                       "barvisible 0"}
        << true << "通信エラーが発生しました。" << true << false << QList<int>{} << 2 << true;
    QTest::newRow("CR LF and lone CR break lines")
        << QStringList{"show 1 ライタと通信ができませんでした。\r\nPCとライタの接続を確認後\rもう一度"}
        << true << "ライタと通信ができませんでした。\nPCとライタの接続を確認後\nもう一度" << true << false
        << QList<int>{} << 1 << true;
    QTest::newRow("bar never shown beside OK") << QStringList{"show 1 n", "barvisible 1"} << true << "n"
                                               << true << false << QList<int>{} << 1 << true;
    QTest::newRow("close") << QStringList{"show 0 p", "close"} << false << "" << false << false
                           << QList<int>{} << 1 << true;
    QTest::newRow("close twice does nothing more") << QStringList{"show 0 p", "close", "close"} << false << ""
                                                   << false << false << QList<int>{} << 1 << true;
    QTest::newRow("close without a window")
        << QStringList{"close"} << false << "" << false << false << QList<int>{} << 0 << true;
    QTest::newRow("OK closes") << QStringList{"show 1 done", "clickok"} << false << "" << false << false
                               << QList<int>{} << 1 << true;
    QTest::newRow("reopened after close is a fresh window")
        << QStringList{"show 0 a", "close", "show 0 b"} << true << "b" << false << false << QList<int>{} << 2
        << false;
    QTest::newRow("text change after OK reopens") << QStringList{"show 1 a", "clickok", "text again"} << true
                                                  << "again" << false << false << QList<int>{} << 1 << false;
}

void TestMessageWindow::presentation() {
    QFETCH(QStringList, steps);
    QFETCH(bool, open);
    QFETCH(QString, text);
    QFETCH(bool, okShown);
    QFETCH(bool, barShown);
    QFETCH(QList<int>, bar);
    QFETCH(int, pumps);
    QFETCH(bool, sameWindowSamePlace);

    QWidget main;
    main.setGeometry(200, 150, 760, 520);
    main.show();
    int pumped = 0;
    MessageWindowHost host(&main, [&pumped] { ++pumped; });

    QPointer<FrmMsg> first;
    QPoint firstPlace;
    for (const QString& step : steps) {
        RunStep(host, main, step);
        if (QTest::currentTestFailed()) return;
        if (!first && host.Window()) {
            first = host.Window();
            firstPlace = first->pos();
        }
    }
    // Deferred deletions of closed windows happen here, as they would in the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(host.IsOpen(), open);
    QCOMPARE(pumped, pumps);
    if (!open) {
        QVERIFY(!first || !first->isVisible());
        return;
    }
    FrmMsg* window = host.Window();
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Zendra"));
    QCOMPARE(window->txtMsg->text(), text);
    QCOMPARE(window->Cmd_okm->isVisible(), okShown);
    QCOMPARE(window->ProgBar->isVisible(), barShown);
    if (okShown) {
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(window->Cmd_okm));
        // 1275 x 330 twips, centred under the text.
        QCoreApplication::sendPostedEvents();  // pending layout requests
        const QRect ok(window->Cmd_okm->mapTo(window, QPoint(0, 0)), window->Cmd_okm->size());
        if (qFuzzyCompare(m_dpi, 96.0)) QCOMPARE(ok.size(), QSize(85, 22));
        QVERIFY2(qAbs(ok.center().x() - window->txtMsg->geometry().center().x()) <= 1,
                 qPrintable(QStringLiteral("OK at %1, text centre %2")
                                .arg(ok.center().x())
                                .arg(window->txtMsg->geometry().center().x())));
    }
    if (!bar.isEmpty()) {
        QCOMPARE(window->ProgBar->minimum(), bar[0]);
        QCOMPARE(window->ProgBar->value(), bar[1]);
        QCOMPARE(window->ProgBar->maximum(), bar[2]);
    }
    QCOMPARE(window == first.data(), sameWindowSamePlace);
    if (sameWindowSamePlace) QCOMPARE(window->pos(), firstPlace);
}

void TestMessageWindow::placement_data() {
    QTest::addColumn<QRect>("mainFirst");
    QTest::addColumn<QPoint>("mainMovedTo");  // null: not moved
    QTest::addColumn<QPoint>("expected");  // at 96 DPI: 500 twips = 33 px right, a quarter of the height down

    QTest::newRow("main at origin") << QRect(0, 0, 800, 600) << QPoint() << QPoint(33, 150);
    QTest::newRow("main elsewhere") << QRect(300, 200, 640, 480) << QPoint() << QPoint(333, 320);
    QTest::newRow("odd height rounds the quarter down")
        << QRect(10, 10, 500, 403) << QPoint() << QPoint(43, 110);
    QTest::newRow("main moved before the operation")
        << QRect(100, 100, 800, 600) << QPoint(420, 260) << QPoint(453, 410);
}

void TestMessageWindow::placement() {
    QFETCH(QRect, mainFirst);
    QFETCH(QPoint, mainMovedTo);
    QFETCH(QPoint, expected);
    if (!qFuzzyCompare(m_dpi, 96.0)) QSKIP("placement rows are worked out for 96 DPI");

    // Without decoration the frame and client origins coincide, so the rows can be written in plain numbers.
    QWidget main(nullptr, Qt::FramelessWindowHint);
    main.setGeometry(mainFirst);
    main.show();
    MessageWindowHost host(&main, [] {});
    if (!mainMovedTo.isNull()) {
        // A window shown and dismissed before the move must not keep the old place.
        host.ShowMessage(1, QStringLiteral("before"));
        host.CloseMessage();
        main.move(mainMovedTo);
    }
    QCOMPARE(main.frameGeometry().topLeft(), main.geometry().topLeft());
    host.ShowMessage(0, QStringLiteral("x"));
    QCOMPARE(host.Window()->pos(), expected);
}

void TestMessageWindow::okPressThenProgressMakesAFreshVisibleWindow() {
    // The OK press deletes its window later; a progress call in between must not revive that window,
    // or the deletion would take the new message with it.
    QWidget main;
    main.setGeometry(100, 100, 600, 400);
    main.show();
    MessageWindowHost host(&main, [] {});
    host.ShowMessage(1, QStringLiteral("done"));
    QPointer<FrmMsg> old = host.Window();
    QTest::mouseClick(old->Cmd_okm, Qt::LeftButton);
    host.ReportProgress(QStringLiteral("ON"), 0, 1, 4);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(old.isNull());
    QVERIFY(host.Window());
    QVERIFY(host.Window()->isVisible());
    QVERIFY(host.Window()->ProgBar->isVisible());
}

void TestMessageWindow::closedByOwnerLeavesNoDanglingWindow() {
    auto* main = new QWidget;
    main->show();
    MessageWindowHost host(main, [] {});
    host.ShowMessage(0, QStringLiteral("a"));
    delete main;  // takes its owned windows with it
    QVERIFY(!host.IsOpen());
    host.CloseMessage();
}

void TestMessageWindow::twipsToPixels_data() {
    QTest::addColumn<double>("twips");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("inch at 96") << 1440.0 << 96.0 << 96;
    QTest::newRow("one pixel at 96") << 15.0 << 96.0 << 1;
    QTest::newRow("half pixel rounds up") << 7.5 << 96.0 << 1;
    QTest::newRow("under half rounds down") << 7.0 << 96.0 << 0;
    QTest::newRow("message offset") << 500.0 << 96.0 << 33;
    QTest::newRow("OK width") << 1275.0 << 96.0 << 85;
    QTest::newRow("OK height") << 330.0 << 96.0 << 22;
    QTest::newRow("default frame width") << 11300.0 << 96.0 << 753;
    QTest::newRow("inch at 120") << 1440.0 << 120.0 << 120;
    QTest::newRow("inch at 144") << 1440.0 << 144.0 << 144;
    QTest::newRow("negative left") << -150.0 << 96.0 << -10;
}

void TestMessageWindow::twipsToPixels() {
    QFETCH(double, twips);
    QFETCH(double, dpi);
    QFETCH(int, pixels);
    QCOMPARE(TwipsToPixels(twips, dpi), pixels);
}

void TestMessageWindow::pixelsToTwips_data() {
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<QList<double>>("twips");
    QTest::newRow("96 DPI") << QRect(7, 3, 360, 267) << 96.0 << QList<double>{105, 45, 5400, 4005};
    QTest::newRow("120 DPI") << QRect(10, 0, 120, 60) << 120.0 << QList<double>{120, 0, 1440, 720};
}

void TestMessageWindow::pixelsToTwips() {
    QFETCH(QRect, pixels);
    QFETCH(double, dpi);
    QFETCH(QList<double>, twips);
    const TwipsRect converted = PixelsToTwips(pixels, dpi);
    QCOMPARE(converted, (TwipsRect{twips[0], twips[1], twips[2], twips[3]}));
    // Whole pixels survive the round trip.
    QCOMPARE(TwipsToPixels(converted, dpi), pixels);
}

QTEST_MAIN(TestMessageWindow)
#include "tst_windows_msg.moc"
