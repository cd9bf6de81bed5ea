// The device index drawing, the About box, the dump views and the help window.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>

#include "shell/FrmAbout.h"
#include "shell/FrmDump.h"
#include "shell/FrmIndex.h"
#include "shell/HelpWindow.h"

using namespace zendra;
using namespace zendra::shell;

Q_DECLARE_METATYPE(zendra::shell::Socket)
Q_DECLARE_METATYPE(zendra::core::DumpWindow)

namespace {

constexpr Socket kAllSockets[] = {Socket::DUT_40, Socket::DUT_28, Socket::DUT_20, Socket::DUT_20A,
                                  Socket::DUT_08};

// A program dump of 32 K words: 4096 lines of 62 characters with the non-printable marker.
QByteArray LargeDump() {
    QByteArray text;
    for (int line = 0; line < 4096; ++line) {
        text += QByteArray::number(line * 8, 16).rightJustified(4, '0').toUpper();
        text += ": ";
        for (int w = 0; w < 8; ++w) text += "FFFF ";
        for (int c = 0; c < 16; ++c) text += "\xEF\xBD\xA5";  // "･" in UTF-8
        text += "\r\n";
    }
    return text;
}

}  // namespace

class TestViews : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void socketColours_data();
    void socketColours();
    void selectionFollowsEveryChange();
    void aboutFirstAndLaterOpening();
    void aboutSupportButton();
    void dumpWindows_data();
    void dumpWindows();
    void dumpLoadsLargeFileQuickly();
    void dumpMissingFileEmptiesView();
    void helpMissingFile();
    void helpShowsFileAtTop();
    void helpGuideCoversTheProgram_data();
    void helpGuideCoversTheProgram();
};

void TestViews::socketColours_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("socket");  // -1: none

    QTest::newRow("ATtiny12L") << "ATtiny12L" << int(Socket::DUT_08);
    QTest::newRow("ATtiny15L") << "ATtiny15L" << int(Socket::DUT_08);
    QTest::newRow("ATtiny26L") << "ATtiny26L" << int(Socket::DUT_20A);
    QTest::newRow("AT90S2323") << "AT90S2323" << int(Socket::DUT_08);
    QTest::newRow("AT90S2343") << "AT90S2343" << int(Socket::DUT_08);
    QTest::newRow("AT90S1200 external") << "AT90S1200 (外部ｸﾛｯｸ)" << int(Socket::DUT_20);
    QTest::newRow("AT90S1200A internal RC") << "AT90S1200A(内部RCｸﾛｯｸ1MHz)" << int(Socket::DUT_20);
    QTest::newRow("AT90S2313") << "AT90S2313" << int(Socket::DUT_20);
    QTest::newRow("AT90S4433") << "AT90S4433" << int(Socket::DUT_28);
    QTest::newRow("AT90S4414") << "AT90S4414" << int(Socket::DUT_40);
    QTest::newRow("AT90S4434") << "AT90S4434" << int(Socket::DUT_40);
    QTest::newRow("AT90S8515") << "AT90S8515" << int(Socket::DUT_40);
    QTest::newRow("AT90S8535") << "AT90S8535" << int(Socket::DUT_40);
    QTest::newRow("no match") << "ATmega8" << -1;
    QTest::newRow("empty selector") << "" << -1;
    QTest::newRow("shorter than a key") << "AT90S85" << -1;
    QTest::newRow("case differs") << "attiny12l" << -1;
    QTest::newRow("only the first nine count") << "AT90S8535-8PC" << int(Socket::DUT_40);
}

void TestViews::socketColours() {
    QFETCH(QString, device);
    QFETCH(int, socket);

    FrmIndex index(device);
    index.resize(index.sizeHint());
    const QImage picture = index.grab().toImage();
    for (Socket s : kAllSockets) {
        const QColor expected = int(s) == socket ? QColor(192, 0, 0) : QColor(128, 128, 128);
        QCOMPARE(index.FillColour(s), expected);
        // What is drawn matches: the middle of each socket outline shows its fill.
        const QRect area = index.SocketRect(s);
        QVERIFY(!area.isEmpty());
        QCOMPARE(picture.pixelColor(area.center()), expected);
    }
}

void TestViews::selectionFollowsEveryChange() {
    FrmIndex index(QStringLiteral("ATtiny26L"));
    QCOMPARE(index.windowTitle(), QStringLiteral("デバイスインデックス"));
    index.DUT_COLOR_CHANGE(QStringLiteral("AT90S4433"));
    // The earlier selection goes back to grey.
    QCOMPARE(index.FillColour(Socket::DUT_20A), QColor(128, 128, 128));
    QCOMPARE(index.FillColour(Socket::DUT_28), QColor(192, 0, 0));
    index.DUT_COLOR_CHANGE(QString());
    for (Socket s : kAllSockets) QCOMPARE(index.FillColour(s), QColor(128, 128, 128));
    // Sockets do not overlap, so each is clearly told apart.
    for (Socket a : kAllSockets)
        for (Socket b : kAllSockets)
            if (a != b) QVERIFY(!index.SocketRect(a).intersects(index.SocketRect(b)));
}

void TestViews::aboutFirstAndLaterOpening() {
    QWidget main;
    main.show();
    QList<QUrl> opened;
    AboutBoxHost host(&main, [&opened](const QUrl& url) {
        opened.append(url);
        return true;
    });
    QCOMPARE(host.Prepare(), QStringLiteral("Version 6.0.60"));
    QVERIFY(host.Box());
    QVERIFY(!host.Box()->isVisible());

    // Each opening: note what the box shows, then close it with its own button.
    QStringList disclaimers;
    QStringList versions;
    auto openOnce = [&] {
        QTimer::singleShot(0, [&] {
            FrmAbout* box = host.Box();
            QVERIFY(box && box->isVisible());
            QCOMPARE(box->windowTitle(), QStringLiteral("バージョン情報"));
            QVERIFY(box->isModal());
            QCOMPARE(box->parentWidget(), &main);
            disclaimers << box->lblDisclaimer->text();
            versions << box->lblVersion->text();
            QTest::mouseClick(box->cmdOK, Qt::LeftButton);
        });
        host.Open();
    };
    openOnce();
    QVERIFY(!host.Box());  // closed means gone
    openOnce();
    openOnce();

    QCOMPARE(disclaimers.size(), 3);
    QCOMPARE(disclaimers[0], QStringLiteral("ｻﾎﾟｰﾄﾍﾟｰｼﾞ : https://www.example.com/kx-wrt540/support/"));
    QVERIFY(!disclaimers[1].contains(QStringLiteral("ｻﾎﾟｰﾄﾍﾟｰｼﾞ")));
    QVERIFY(!disclaimers[1].isEmpty());
    QCOMPARE(disclaimers[2], disclaimers[1]);
    QCOMPARE(versions, QStringList(3, QStringLiteral("Version 6.0.60")));
    QVERIFY(opened.isEmpty());
}

void TestViews::aboutSupportButton() {
    QList<QUrl> opened;
    FrmAbout box(nullptr, [&opened](const QUrl& url) {
        opened.append(url);
        return false;
    });
    QCOMPARE(box.lblTitle->text(), QStringLiteral("New ZendraV6"));
    QCOMPARE(box.cmdOK->text(), QStringLiteral("閉じる"));
    QCOMPARE(box.Command1->text(), QStringLiteral("サポートホームページへジャンプ"));
    QTest::mouseClick(box.Command1, Qt::LeftButton);
    QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("https://www.example.com/kx-wrt540/support/"))});
    // A failed hand-over is kept, not shown and not fatal.
    QVERIFY(!box.LastOpenResult());
}

void TestViews::dumpWindows_data() {
    QTest::addColumn<core::DumpWindow>("which");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("viewName");
    QTest::newRow("program") << core::DumpWindow::Program << "frmProgram"
                             << "プログラムメモリ"
                             << "txtPrg";
    QTest::newRow("eeprom") << core::DumpWindow::Eeprom << "frmEEprom"
                            << "EEPROMデータメモリ"
                            << "txtEEp";
    QTest::newRow("verify") << core::DumpWindow::Verify << "frmVerify"
                            << "Verify Window"
                            << "rtVerify";
}

void TestViews::dumpWindows() {
    QFETCH(core::DumpWindow, which);
    QFETCH(QString, objectName);
    QFETCH(QString, title);
    QFETCH(QString, viewName);

    FrmDump window(which);
    QCOMPARE(window.objectName(), objectName);
    QCOMPARE(window.windowTitle(), title);
    QCOMPARE(window.View()->objectName(), viewName);
    QVERIFY(window.View()->isReadOnly());
    QCOMPARE(window.View()->lineWrapMode(), QPlainTextEdit::NoWrap);
    // Columns line up: narrow and wide glyphs take the same width (what the font database claims varies).
    const QFontMetrics metrics(window.View()->font());
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiii")),
             metrics.horizontalAdvance(QStringLiteral("WWWW")));
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("0000: ")),
             metrics.horizontalAdvance(QStringLiteral("FFFF F")));

    // The view fills the window whatever its size.
    window.resize(300, 120);
    window.show();
    QCOMPARE(window.View()->geometry(), window.rect());
    window.resize(90, 40);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(window.View()->geometry(), window.rect());
}

void TestViews::dumpLoadsLargeFileQuickly() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("avrhex.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(LargeDump());
    file.close();

    FrmDump window(core::DumpWindow::Program);
    window.resize(500, 300);
    window.show();
    QElapsedTimer timer;
    timer.start();
    QVERIFY(window.LoadFile(path));
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed < 200, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));

    const QPlainTextEdit* view = window.View();
    QCOMPARE(view->document()->findBlockByNumber(0).text(),
             QStringLiteral("0000: FFFF FFFF FFFF FFFF FFFF FFFF FFFF FFFF ････････････････"));
    QCOMPARE(view->document()->findBlockByNumber(4095).text().left(6), QStringLiteral("7FF8: "));
    // No stray carriage returns from the CR LF line ends.
    QVERIFY(!view->toPlainText().contains(QLatin1Char('\r')));
    QCOMPARE(view->document()->findBlockByNumber(4096).text(), QString());
    QVERIFY(view->updatesEnabled());

    // A second load replaces rather than appends.
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("0000: 940C \r\n");
    file.close();
    QVERIFY(window.LoadFile(path));
    QCOMPARE(view->toPlainText(), QStringLiteral("0000: 940C \n"));
}

void TestViews::dumpMissingFileEmptiesView() {
    FrmDump window(core::DumpWindow::Verify);
    window.View()->setPlainText(QStringLiteral("old log"));
    QVERIFY(!window.LoadFile(QStringLiteral("/nonexistent/avrvfy.txt")));
    QCOMPARE(window.View()->toPlainText(), QString());
}

void TestViews::helpMissingFile() {
    QTemporaryDir dir;
    HelpWindow help;
    const QString appDir = dir.path() + QStringLiteral("/<app>&/");
    QVERIFY(!help.ShowHelpFile(appDir));
    const QString shown = help.Browser()->toPlainText();
    QVERIFY2(shown.contains(QStringLiteral("ヘルプファイル")), qPrintable(shown));
    // The path is shown as text, markup characters included.
    QVERIFY2(shown.contains(appDir + QStringLiteral("zendra.hlp")), qPrintable(shown));
}

void TestViews::helpShowsFileAtTop() {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("zendra.hlp")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray html = "<html><body><h1>\xE7\x9B\xAE\xE6\xAC\xA1</h1>";  // "目次"
    for (int i = 0; i < 400; ++i) html += "<p>line " + QByteArray::number(i) + "</p>";
    html += "<p><a name=\"end\">end</a></p></body></html>";
    file.write(html);
    file.close();

    HelpWindow help;
    help.resize(400, 300);
    help.show();
    QVERIFY(help.ShowHelpFile(dir.path() + QLatin1Char('/')));
    QVERIFY(help.Browser()->toPlainText().startsWith(QStringLiteral("目次")));
    QCOMPARE(help.Browser()->verticalScrollBar()->value(), 0);
    QVERIFY(help.Browser()->verticalScrollBar()->maximum() > 0);
    // The contents' links jump inside the guide without reloading it.
    help.Browser()->setSource(QUrl(QStringLiteral("#end")));
    QVERIFY(help.Browser()->verticalScrollBar()->value() > 0);
    QVERIFY(help.Browser()->toPlainText().startsWith(QStringLiteral("目次")));
}

void TestViews::helpGuideCoversTheProgram_data() {
    // The guide must name what the user actually sees: exact captions and failure texts.
    QTest::addColumn<QString>("text");
    QTest::newRow("port dialog") << "通信ポート選択";
    QTest::newRow("port open failure") << "のオープンに失敗しました。";
    QTest::newRow("writer not found")
        << "ライターを検出できませんでした。使用可能な通信ポートを設定してください。";
    QTest::newRow("no communication") << "ライタと通信ができませんでした。";
    QTest::newRow("old firmware") << "ファームウエアバージョン６．３０以降にアップデートしてください。";
    QTest::newRow("communication error") << "通信エラーが発生しました。";
    QTest::newRow("not confirmed") << "ライター接続確認が終了していません。";
    QTest::newRow("buffer input") << "入力データに誤りがあります．";
    QTest::newRow("device index") << "デバイスインデックス";
    QTest::newRow("buffer panel") << "PCバッファメモリ修正";
    QTest::newRow("verify window") << "Verify Window";
    QTest::newRow("firmware update") << "ファームウエアのアップデート";
    QTest::newRow("settings file") << "New ZendraV6/New ZendraV6.ini";
    QTest::newRow("layout command") << "ウインドウの再整列";
    QTest::newRow("reset disable") << "RSTDISBL";
}

void TestViews::helpGuideCoversTheProgram() {
    QFETCH(QString, text);
    const QString appDir =
        QDir::cleanPath(QStringLiteral(ZENDRA_TEST_DATA_DIR "/../../../src/shell")) + QLatin1Char('/');
    HelpWindow help;
    QVERIFY2(help.ShowHelpFile(appDir), qPrintable(appDir));
    QVERIFY2(help.Browser()->toPlainText().contains(text), qPrintable(text));
}

QTEST_MAIN(TestViews)
#include "tst_windows_views.moc"
