// The device index drawing, the About box, the dump views and the help window.

#include <QtTest>
#include <QtWidgets>

#include "DeviceFacts.h"
#include "core/Language.h"
#include "shell/FrmAbout.h"
#include "shell/FrmCom.h"
#include "shell/FrmDump.h"
#include "shell/FrmIndex.h"
#include "shell/HelpWindow.h"

using namespace zendra;
using namespace zendra::shell;

namespace {
const QColor kGrey(128, 128, 128), kRed(192, 0, 0);
const QString kSupport = QStringLiteral("https://www.example.com/kx-wrt540/support/");
}  // namespace

class TestViews : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void socketColours_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("socket");  // -1: none
        for (const auto& d : test::kDeviceFacts)
            QTest::newRow(qUtf8Printable(d.name)) << d.name << int(d.socket);
        QTest::newRow("no device") << "" << -1;
    }
    void socketColours() {
        QFETCH(QString, device);
        QFETCH(int, socket);
        const auto row = [](const QString& name) {
            return devices::DeviceAt(devices::FindDevice(name).value_or(-1));
        };
        FrmIndex opened(row(device)), changed(row(QStringLiteral("AT90S4433")));
        changed.DUT_COLOR_CHANGE(row(device));  // the earlier selection goes back to grey
        for (FrmIndex* index : {&opened, &changed}) {
            index->resize(index->sizeHint());
            const QImage picture = index->grab().toImage();
            for (int s = 0; s < kSocketCount; ++s) {
                QCOMPARE(index->FillColour(Socket(s)), s == socket ? kRed : kGrey);
                QCOMPARE(picture.pixelColor(index->SocketRect(Socket(s)).center()),
                         s == socket ? kRed : kGrey);  // drawn
            }
        }
    }

    void aboutFirstAndLaterOpening() {
        QWidget main;
        main.show();
        QList<QUrl> opened;
        AboutBoxHost host(&main, [&opened](const QUrl& url) { return opened.append(url), false; });
        host.Prepare();
        QStringList shown;
        for (int i = 0; i < 2; ++i) {
            QTimer::singleShot(0, [&] {
                FrmAbout* box = host.Box();
                shown << box->lblDisclaimer->text();
                if (i == 1) QTest::mouseClick(box->Command1, Qt::LeftButton);
                QTest::mouseClick(box->cmdOK, Qt::LeftButton);
            });
            host.Open();
            QVERIFY(!host.Box());  // closed means gone
        }
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0], QStringLiteral("ｻﾎﾟｰﾄﾍﾟｰｼﾞ : ") + kSupport);
        QVERIFY(!shown[1].isEmpty() && !shown[1].contains(kSupport));
        QCOMPARE(opened, QList<QUrl>{QUrl(kSupport)});  // handed over; the opener's refusal is not fatal
    }

    void dumpLoadsPlainTextInFixedPitch() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("avrhex.txt"));
        const auto write = [&path](const QByteArray& t) {
            QFile f(path);
            return f.open(QFile::WriteOnly) && f.write(t) == t.size();
        };
        QByteArray dump;
        for (int line = 0; line < 4096; ++line)  // 32 K words, with the non-printable marker "･"
            dump += QByteArray::number(line * 8, 16).rightJustified(4, '0').toUpper() + ": " +
                    QByteArray("FFFF ").repeated(8) + QByteArray("\xEF\xBD\xA5").repeated(16) + "\r\n";
        QVERIFY(write(dump));
        FrmDump window(core::DumpWindow::Program);
        window.show();
        QVERIFY(window.LoadFile(path));  // its speed is measured by bench_files, not here
        QPlainTextEdit* view = window.View();
        QVERIFY(view->isReadOnly() && view->updatesEnabled() &&
                view->lineWrapMode() == QPlainTextEdit::NoWrap);
        const QStringList lines = view->toPlainText().split(QLatin1Char('\n'));  // no CR left from CR LF
        QCOMPARE(lines.size(), 4097);
        QCOMPARE(lines[0], QStringLiteral("0000: FFFF FFFF FFFF FFFF FFFF FFFF FFFF FFFF ････････････････"));
        QCOMPARE(lines[4095].left(6), QStringLiteral("7FF8: "));
        const QFontMetrics metrics(view->font());
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiii")),
                 metrics.horizontalAdvance(QStringLiteral("WWWW")));

        QVERIFY(write("0000: 940C \r\n"));
        QVERIFY(window.LoadFile(path));
        QCOMPARE(view->toPlainText(), QStringLiteral("0000: 940C \n"));  // replaced, not appended
        QVERIFY(!window.LoadFile(dir.filePath(QStringLiteral("missing.txt"))));
        QCOMPARE(view->toPlainText(), QString());
    }

    void helpWindow() {
        HelpWindow help;
        help.resize(400, 300);
        help.show();
        QTemporaryDir dir;
        const QString missing = dir.path() + QStringLiteral("/<app>&/");  // shown as text, markup and all
        QVERIFY(!help.ShowHelpFile(missing));
        QTextBrowser* browser = help.Browser();
        QVERIFY2(browser->toPlainText().contains("ヘルプファイル「" + missing + "zendra.hlp」"),
                 qPrintable(missing));

        QVERIFY(help.ShowHelpFile(
            QDir::cleanPath(QStringLiteral(ZENDRA_TEST_DATA_DIR "/../../../src/shell")) + '/'));
        QVERIFY(browser->toPlainText().startsWith(QStringLiteral("New ZendraV6 ユーザーガイド")));
        QCOMPARE(browser->verticalScrollBar()->value(), 0);
        browser->setSource(QUrl(QStringLiteral("#files")));  // contents links jump inside the guide
        QVERIFY(browser->verticalScrollBar()->value() > 0);
        for (const QString& text :
             {kComCaption, kComNotConfirmed, kIndexCaption, kVerifyWindowTitle})  // named
            QVERIFY2(browser->toPlainText().contains(text), qPrintable(text));

        // In English the English guide, where there is one; else the Japanese one rather than none.
        QVERIFY(core::UseLanguage(core::Language::English));
        const auto japanese = qScopeGuard([] { core::UseLanguage(core::Language::Japanese); });
        help.ShowInCurrentLanguage();
        QVERIFY(browser->toPlainText().startsWith(QStringLiteral("New ZendraV6 User Guide")));
        for (const QString& text : {kComCaption, kComNotConfirmed, kIndexCaption})
            QVERIFY2(browser->toPlainText().contains(core::Translate(text)), qPrintable(core::Translate(text)));
        QVERIFY(QFile::copy(QStringLiteral(ZENDRA_SOURCE_DIR "/src/shell/zendra.hlp"),
                            dir.filePath(QStringLiteral("zendra.hlp"))));
        QVERIFY(help.ShowHelpFile(dir.path() + '/'));
        QVERIFY(browser->toPlainText().startsWith(QStringLiteral("New ZendraV6 ユーザーガイド")));
        QVERIFY(!help.ShowHelpFile(missing));
        QVERIFY(!core::ContainsJapanese(browser->toPlainText().remove(missing)));
    }
};

QTEST_MAIN(TestViews)
#include "tst_windows_views.moc"
