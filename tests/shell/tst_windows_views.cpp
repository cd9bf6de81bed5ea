// The device index drawing, the About box, the dump views and the help window.

#include <QtTest>
#include <QtWidgets>

#include "core/Language.h"
#include "shell/FrmAbout.h"
#include "shell/FrmCom.h"
#include "shell/FrmDump.h"
#include "shell/FrmIndex.h"
#include "shell/HelpWindow.h"

using namespace zendra;
using namespace zendra::shell;

namespace {
const QString kSupport = QStringLiteral("https://www.example.com/kx-wrt540/support/");
}  // namespace

class TestViews : public QObject {
    Q_OBJECT

private Q_SLOTS:

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

        // In English, without an English guide beside it, the Japanese one rather than none.
        QVERIFY(core::UseLanguage(core::Language::English));
        const auto japanese = qScopeGuard([] { core::UseLanguage(core::Language::Japanese); });
        QVERIFY(QFile::copy(QStringLiteral(ZENDRA_SOURCE_DIR "/src/shell/zendra.hlp"),
                            dir.filePath(QStringLiteral("zendra.hlp"))));
        QVERIFY(help.ShowHelpFile(dir.path() + '/'));
        QVERIFY(browser->toPlainText().startsWith(QStringLiteral("New ZendraV6 ユーザーガイド")));
    }
};

QTEST_MAIN(TestViews)
#include "tst_windows_views.moc"
