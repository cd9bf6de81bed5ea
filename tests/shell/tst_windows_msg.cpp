// The message-and-progress window as the operations drive it, and the twips conversions it is placed with.

#include <QtTest>
#include <QtWidgets>

#include "shell/FrmMsg.h"
#include "shell/Twips.h"

using namespace zendra::shell;

namespace {

// steps: "show <kind> <text>", "progress <state> <min> <value> <max>", "close", "text <text>", "okvisible 1",
// "barvisible 1", "clickok", "movemain <x> <y>", "cancel" (offer 中止), "nocancel", "clickcancel",
// "advance <ms>" (the phase clock), "critical" (a failure's mark). Expected: ok, bar shown; range minimum,
// value, maximum (empty: not checked); how often the events were pumped; 中止 shown and how often it ran;
// the figures beside the bar ("-": not checked; empty: hidden).
struct Case {
    QStringList steps;
    bool open = true;
    QString text = {};
    bool ok = false, bar = false;
    QList<int> range = {};
    int pumps = 2;
    bool cancel = false;
    int cancels = 0;
    QString figures = QStringLiteral("-");
    bool icon = false;  // the critical icon beside the text
};

struct Rig {
    zendra::core::Clock::time_point now{};
    int cancels = 0;
};

void Run(MessageWindowHost& host, QWidget& main, Rig& rig, const QString& step) {
    const QStringList p = step.split(QLatin1Char(' '));
    if (p[0] == QLatin1String("cancel"))
        return host.SetCancel([&rig] { ++rig.cancels; });
    if (p[0] == QLatin1String("nocancel")) return host.SetCancel({});
    if (p[0] == QLatin1String("clickcancel"))
        return QTest::mouseClick(host.Window()->Cmd_cancel, Qt::LeftButton);
    if (p[0] == QLatin1String("advance")) {
        rig.now += std::chrono::milliseconds(p[1].toInt());
        return;
    }
    if (p[0] == QLatin1String("show"))
        host.ShowMessage(p[1].toInt(), p.mid(2).join(QLatin1Char(' ')));
    else if (p[0] == QLatin1String("progress"))
        host.ReportProgress(p[1], p[2].toInt(), p[3].toInt(), p[4].toInt());
    else if (p[0] == QLatin1String("close"))
        host.CloseMessage();
    else if (p[0] == QLatin1String("text"))
        host.SetMessageText(p.mid(1).join(QLatin1Char(' ')));
    else if (p[0] == QLatin1String("okvisible"))
        host.SetMessageOkVisible(true);
    else if (p[0] == QLatin1String("barvisible"))
        host.SetMessageBarVisible(true);
    else if (p[0] == QLatin1String("clickok"))
        QTest::mouseClick(host.Window()->Cmd_okm, Qt::LeftButton);
    else if (p[0] == QLatin1String("critical"))
        host.MarkNoticeCritical();
    else if (p[0] == QLatin1String("movemain"))
        main.move(p[1].toInt(), p[2].toInt());
    else
        QFAIL(qPrintable(step));
}

}  // namespace

Q_DECLARE_METATYPE(Case)

class TestMessageWindow : public QObject {
    Q_OBJECT
    const bool m_at96 = qFuzzyCompare(LogicalDpi(), 96.0);

private Q_SLOTS:
    void presentation_data() {
        QTest::addColumn<Case>("c");
        const auto row = [](const char* tag, const Case& c) { QTest::newRow(tag) << c; };
        const QString erase = QStringLiteral("チップ イレース中....."),
                      err = QStringLiteral("通信エラーが発生しました。");
        // clang-format off
        row("ON 0/0/0: full bar, hidden",
            {.steps = {"show 0 " + erase, "progress ON 0 0 0"}, .text = erase, .range = {0, 1, 1}});
        row("last step hides the bar",
            {.steps = {"show 0 p", "progress ON 0 5 5"}, .text = "p", .range = {0, 5, 5}});
        row("minimum applied",
            {.steps = {"show 0 p", "progress ON 2 3 9"}, .text = "p", .bar = true, .range = {2, 3, 9}});
        row("not exactly ON: hides only",
            {.steps = {"show 0 p", "progress ON 0 3 10", "progress on 0 7 9"}, .text = "p",
             .range = {0, 3, 10}, .pumps = 3});
        row("notice over progress",
            {.steps = {"show 0 p", "progress ON 0 10 100", "show 1 失敗"}, .text = "失敗", .ok = true,
             .pumps = 3});
        row("progress text hides OK", {.steps = {"show 1 n", "show 0 p"}, .text = "p"});
        row("direct changes, no pump",
            {.steps = {"show 0 p", "progress ON 0 2 8", "text " + err, "okvisible 1"}, .text = err,
             .ok = true});
        row("bar never beside OK",
            {.steps = {"show 1 n", "barvisible 1"}, .text = "n", .ok = true, .pumps = 1});
        row("CR LF and CR break lines",
            {.steps = {"show 1 a\r\nb\rc"}, .text = "a\nb\nc", .ok = true, .pumps = 1});
        row("close twice", {.steps = {"show 0 p", "close", "close"}, .open = false, .pumps = 1});
        row("OK, then progress: fresh",
            {.steps = {"show 1 done", "clickok", "progress ON 0 1 4"}, .text = "", .bar = true,
             .range = {0, 1, 4}});
        row("main moved after a message",
            {.steps = {"show 1 a", "close", "movemain 420 260", "show 0 b"}, .text = "b"});
        row("pace known: remaining seconds",
            {.steps = {"show 0 p", "progress ON 0 0 100", "advance 2000", "progress ON 0 10 100"}, .text = "p",
             .bar = true, .range = {0, 10, 100}, .pumps = 3, .figures = "10%  残り約 18 秒"});
        row("remaining minutes and seconds",
            {.steps = {"show 0 p", "progress ON 0 0 400", "advance 30000", "progress ON 0 100 400"},
             .text = "p", .bar = true, .pumps = 3, .figures = "25%  残り約 1 分 30 秒"});
        row("remaining rounded up",
            {.steps = {"show 0 p", "progress ON 0 0 3", "advance 100", "progress ON 0 1 3"}, .text = "p",
             .bar = true, .pumps = 3, .figures = "33%  残り約 1 秒"});
        row("new phase timed afresh",
            {.steps = {"show 0 p", "progress ON 0 0 10", "advance 5000", "progress ON 0 5 10", "show 0 q",
                       "progress ON 0 0 10"}, .text = "q", .bar = true, .pumps = 5, .figures = "0%"});
        row("last step hides the figures",
            {.steps = {"show 0 p", "progress ON 0 0 2", "progress ON 0 2 2"}, .text = "p", .pumps = 3,
             .figures = ""});
        row("cancel runs once",
            {.steps = {"cancel", "show 0 p", "clickcancel", "clickcancel"}, .text = "p", .pumps = 1,
             .cancel = true, .cancels = 1});
        row("no cancel on a notice",
            {.steps = {"cancel", "show 0 p", "show 1 n"}, .text = "n", .ok = true, .cancel = false});
        row("cancel withdrawn", {.steps = {"cancel", "show 0 p", "nocancel"}, .text = "p", .pumps = 1});
        row("failure marks its notice", {.steps = {"show 1 n", "critical"}, .text = "n", .ok = true, .pumps = 1, .icon = true});
        row("next notice plain", {.steps = {"show 1 n", "critical", "show 1 m"}, .text = "m", .ok = true, .icon = false});
        row("progress never marked", {.steps = {"show 0 p", "critical"}, .text = "p", .pumps = 1});
        // clang-format on
    }
    void presentation() {
        QFETCH(Case, c);
        QWidget main(nullptr, Qt::FramelessWindowHint);  // frame and client origins coincide
        main.setGeometry(200, 150, 760, 523);
        main.show();
        int pumped = 0;
        Rig rig;
        MessageWindowHost host(&main, [&pumped] { ++pumped; });
        host.SetClock([&rig] { return rig.now; });
        for (const QString& step : c.steps) Run(host, main, rig, step);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // as the event loop would

        QCOMPARE(host.IsOpen(), c.open);
        QCOMPARE(pumped, c.pumps);
        if (!c.open) return;
        FrmMsg* w = host.Window();
        QVERIFY(w->isVisible());
        QCOMPARE(w->txtMsg->text(), c.text);
        QCOMPARE(w->Cmd_okm->isVisible(), c.ok);
        QCOMPARE(w->ProgBar->isVisible(), c.bar);
        if (!c.range.isEmpty())
            QCOMPARE((QList<int>{w->ProgBar->minimum(), w->ProgBar->value(), w->ProgBar->maximum()}),
                     c.range);
        if (c.ok) QCOMPARE(w->focusWidget(), static_cast<QWidget*>(w->Cmd_okm));
        QCOMPARE(w->Cmd_cancel->isVisible(), c.cancel);
        QCOMPARE(rig.cancels, c.cancels);
        QCOMPARE(w->imgIcon->isVisible(), c.icon);
        if (c.figures != QLatin1String("-"))
            QCOMPARE(w->lblFigures->isVisible() ? w->lblFigures->text() : QString(), c.figures);
        if (!m_at96) return;
        // 500 twips right of the main window's left, a quarter of its height (rounded down) below its top.
        QCOMPARE(w->pos(), main.pos() + QPoint(33, 130));
        if (c.ok && !c.icon) {  // 1275 x 330 twips, centred under the text
            QCoreApplication::sendPostedEvents();
            const QRect ok(w->Cmd_okm->mapTo(w, QPoint(0, 0)), w->Cmd_okm->size());
            QCOMPARE(ok.size(), QSize(85, 22));
            QVERIFY(qAbs(ok.center().x() - w->txtMsg->geometry().center().x()) <= 1);
        }
    }

    void closedByOwnerLeavesNoDanglingWindow() {
        auto* main = new QWidget;
        MessageWindowHost host(main, [] {});
        host.ShowMessage(0, QStringLiteral("a"));
        delete main;  // takes the window with it
        QVERIFY(!host.IsOpen());
        host.CloseMessage();
    }

};

QTEST_MAIN(TestMessageWindow)
#include "tst_windows_msg.moc"
