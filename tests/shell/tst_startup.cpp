// Start-up and shutdown of the whole program: stored settings and places, first versus later starts,
// unusable stored values, the minimised exit, the scratch files, the single instance, the language
// (from the locale or stored, switched both ways, and nothing Japanese left in the English windows) and
// the help window.

#include <QDir>
#include <QGroupBox>
#include <QMdiArea>
#include <QMenu>
#include <QScreen>
#include <QListWidget>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QScopeGuard>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>

#include "AppHarness.h"
#include "core/Language.h"
#include "image/Dumps.h"
#include "shell/DialogCheck.h"
#include "shell/FrmAbout.h"
#include "shell/FrmDump.h"
#include "shell/FrmIndex.h"
#include "shell/FrmLog.h"
#include "shell/FrmMsg.h"
#include "shell/HelpWindow.h"

using namespace zendra;
using namespace zendra::test;
using core::DumpWindow;
using shell::TwipsRect;

const TwipsRect kMainPlace{100, 100, 11300, 7900}, kProgramPlace{50, 50, 5400, 4000};

namespace {

// Every text a window shows now: titles, captions, tool tips, list entries, menu items and views.
QStringList ShownTexts(QWidget* window) {
    QStringList texts;
    QList<QObject*> objects{window};
    objects += window->findChildren<QObject*>();
    for (QObject* object : objects) {
        if (auto* widget = qobject_cast<QWidget*>(object)) {
            if (widget->isWindow() || qobject_cast<QMdiSubWindow*>(widget)) texts << widget->windowTitle();
            texts << widget->toolTip();
        }
        if (auto* action = qobject_cast<QAction*>(object)) texts << action->text() << action->toolTip();
        if (auto* menu = qobject_cast<QMenu*>(object)) texts << menu->title();
        if (auto* button = qobject_cast<QAbstractButton*>(object)) texts << button->text();
        if (auto* label = qobject_cast<QLabel*>(object)) texts << label->text();
        if (auto* group = qobject_cast<QGroupBox*>(object)) texts << group->title();
        if (auto* combo = qobject_cast<QComboBox*>(object))
            for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
        if (auto* view = qobject_cast<QPlainTextEdit*>(object)) texts << view->toPlainText();
        if (auto* view = qobject_cast<QTextEdit*>(object)) texts << view->toPlainText();
        if (auto* list = qobject_cast<QListWidget*>(object))
            for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    }
    texts.removeAll(QString());
    return texts;
}

// The texts that hold Japanese, less the Japanese choice of the language menu (named in its own
// language) and the dumps' marker for a byte with no character.
QStringList JapaneseIn(const QStringList& texts) {
    QStringList found;
    for (QString text : texts) {
        text.remove(QStringLiteral("日本語"));
        text.remove(QChar(0xFF65));
        if (core::ContainsJapanese(text)) found << text;
    }
    return found;
}

// The modal dialog or box the next event-loop turn finds, read and closed.
void ReadNextModal(QStringList& texts) {
    QTimer::singleShot(0, [&texts] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        texts << ShownTexts(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(QDialog::Rejected);
    });
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<AppHarness> Started() {
        auto h = std::make_unique<AppHarness>();
        if (!h->Start(m_env->AppDir())) qFatal("the program did not start");
        return h;
    }
    // The built program in the test's own program folder, to run offscreen; empty when it is not built.
    QString CopyOfProgram() {
        const QString built = ZENDRA_BUILD_DIR "/zendra", program = m_env->AppDir() + "zendra";
        QFile::remove(program);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return QFile::copy(built, program) ? program : QString();
    }
    QRect Px(const TwipsRect& twips, AppHarness& h) { return shell::TwipsToPixels(twips, shell::LogicalDpi(&h.Main())); }
    // The frame at its default place, grown (as far as the screen allows) for the settings window.
    bool AtDefaultPlace(AppHarness& h) {
        const QRect frame = h.Main().geometry(), fixed = Px(kMainPlace, h);
        const QRect screen = h.Main().screen()->availableGeometry();
        const QRect settings = h.Main().SettingWindow()->geometry();
        const QRect area = h.Main().findChild<QMdiArea*>("MDIClient")->contentsRect();
        return frame.topLeft() == fixed.topLeft() && frame.width() >= fixed.width() &&
               frame.height() >= fixed.height() && settings.right() < area.width() &&
               (settings.bottom() < area.height() || frame.bottom() == screen.bottom());
    }
    QRect ProgramWindow(AppHarness& h) { return h.Main().DumpSubWindow(DumpWindow::Program)->geometry(); }

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }
    void init() { SetSettings({{"Index_Com_Flag", "1"}}); }

    void scratchDirFallsBackWhenTheProgramDirIsUnusable() {
        const QString app = m_env->AppDir(), missing = m_env->Root() + "/no-such-folder/";
        QCOMPARE(shell::ChooseScratchDir(app, app), app);
        // A writable folder that is not the build folder (an installation, even run as root) is left alone.
        for (const auto& [appDir, buildDir] : {std::pair{app, missing}, {missing, missing}, {app, QString()}}) {
            const QString scratch = shell::ChooseScratchDir(appDir, buildDir);
            QVERIFY(scratch.startsWith(m_env->Root() + "/data/") && scratch.endsWith('/'));
            QVERIFY(QDir(scratch).exists());
        }
    }

    void firstAndSecondStart() {
        SetSettings({});
        AppHarness h;
        bool indexShownAtDialog = true;
        h.answerModal = [&, cancel = h.answerModal](QDialog& dialog) {
            indexShownAtDialog = h.app->IndexWindow() && h.app->IndexWindow()->isVisible();
            cancel(dialog);
        };
        QVERIFY(h.Start(m_env->AppDir()));
        QCOMPARE(h.modals, QStringList{"frmCom"});
        QVERIFY(!indexShownAtDialog);
        QCOMPARE(ProgramSetting("Index_Com_Flag"), QString("1"));  // though cancelled
        QVERIFY(AtDefaultPlace(h));
        QCOMPARE(ProgramWindow(h), Px(kProgramPlace, h));
        QCOMPARE(h.Main().DumpSubWindow(DumpWindow::Eeprom)->geometry(), Px({50, 4100, 5400, 2000}, h));
        QVERIFY(h.app->IndexWindow()->isVisible());
        QCOMPARE(h.app->IndexWindow()->pos(), QPoint(0, 0));
        QCOMPARE(h.Panel().Combo_device->currentText(), QString("ATtiny12L"));
        QCOMPARE(h.Panel().Label3->text(), QString("ﾌﾟﾛｸﾞﾗﾑﾒﾓﾘ   :512 word"));
        QCOMPARE(h.Panel().Label4->text(), QString("EEPROMﾃﾞｰﾀﾒﾓﾘ:64 byte"));
        QCOMPARE(ProgramSetting("device"), QString("0"));
        QVERIFY(Erased(h.app->Images()) && QFile::exists(h.ScratchFile(image::kProgramDumpFile)));
        QVERIFY(h.port.Writes().isEmpty());  // start-up never talks to the writer
        QCOMPARE(QApplication::windowIcon().availableSizes().size(), 6);  // the program's own icon

        const TwipsRect program{300, 600, 6000, 3000}, frame{1500, 1200, 9000, 7000}, index{750, 450, 0, 0};
        Pick(h.Panel().Combo_device, 7);
        h.Main().DumpSubWindow(DumpWindow::Program)->setGeometry(Px(program, h));
        h.Main().setGeometry(Px(frame, h));
        h.app->IndexWindow()->move(Px(index, h).topLeft());
        h.Main().close();
        QCOMPARE(h.ended, 1);
        h.app.reset();
        auto again = Started();
        QVERIFY(again->modals.isEmpty());
        QCOMPARE(again->Panel().Combo_device->currentText(), QString("AT90S2313"));
        QCOMPARE(again->Panel().Label3->text(), QString("ﾌﾟﾛｸﾞﾗﾑﾒﾓﾘ   :1024 word"));
        QCOMPARE(again->Main().geometry(), Px(frame, *again));
        QCOMPARE(ProgramWindow(*again), Px(program, *again));
        QCOMPARE(again->app->IndexWindow()->pos(), Px(index, *again).topLeft());
    }

    // A minimised exit stores no places; the scratch files go, one already missing does not stop the exit,
    // and the instance lock is released.
    void minimisedExitStoresNoPlacesButDeletesScratchFiles() {
        auto h = Started();
        const QString lock =
            QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + "/New ZendraV6.lock";
        QVERIFY(QFile::exists(lock));
        QFile log(h->ScratchFile(image::kVerifyLogFile));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.close();
        QFile::remove(h->ScratchFile(image::kEepromDumpFile));
        QVERIFY(h->port.Open("/dev/ttyFAKE0"));
        h->Main().DumpSubWindow(DumpWindow::Program)->setGeometry(Px({500, 500, 3000, 3000}, *h));
        h->app->IndexWindow()->move(40, 40);
        h->Main().showMinimized();
        h->Main().Action("mnuFileExit")->trigger();
        QCOMPARE(h->ended, 1);
        for (const char* key :
             {"MainLeft", "MainTop", "MainWidth", "MainHeight", "PgmLeft", "PgmWidth", "IndLeft"})
            QCOMPARE(ProgramSetting(key), QString("<absent>"));
        for (const QString& name : {image::kProgramDumpFile, image::kEepromDumpFile, image::kVerifyLogFile})
            QVERIFY2(!QFile::exists(h->ScratchFile(name)), qPrintable(name));
        QVERIFY(!h->port.IsOpen() && !QFile::exists(lock));
    }

    // A running copy's lock ends a second start silently; a lock that cannot be taken at all is said, once,
    // and the program ends with a failure (also checked with the built program, offscreen: no box).
    void lockNotTaken_data() {
        QTest::addColumn<QString>("blocker");  // what stands where the lock file goes
        QTest::addColumn<bool>("silent");
        QTest::newRow("held by a running copy") << "lock" << true;
        QTest::newRow("a folder in its place") << "folder" << false;
    }
    void lockNotTaken() {
        QFETCH(QString, blocker);
        QFETCH(bool, silent);
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        const QString lockPath = runtime + "/New ZendraV6.lock";
        QLockFile held(lockPath);
        if (blocker == "lock") QVERIFY(held.tryLock(0));
        else QVERIFY(QDir().mkpath(lockPath + "/inside"));
        const auto cleanUp = qScopeGuard([&] { QDir(lockPath).removeRecursively(); });

        AppHarness h;
        QVERIFY(!h.Start(m_env->AppDir()));
        QCOMPARE(h.started, silent ? shell::Application::StartResult::AlreadyRunning
                                   : shell::Application::StartResult::LockFailed);
        QCOMPARE(h.app->LockFailureText().contains(lockPath), !silent);
        QVERIFY(h.modals.isEmpty() && h.boxes.isEmpty());
        if (silent) return;  // the built program's second start has a test of its own
        // The built program (C locale: English) says it once on stderr and ends 1.
        const QString program = CopyOfProgram();
        if (program.isEmpty()) QSKIP("the program is not built");
        QProcess run;
        run.start(program, {});
        QVERIFY(run.waitForFinished(10000));
        const QString said = QString::fromUtf8(run.readAllStandardError()).trimmed();
        QCOMPARE(run.exitCode(), 1);
        QVERIFY2(said.startsWith("Cannot start.") && said.contains(lockPath) && !said.contains('\n'),
                 qPrintable(said));
    }

    // The executable in a folder of its own, run twice by the same user.
    void secondProcessEndsSilently() {
        const QString program = CopyOfProgram();
        if (program.isEmpty()) QSKIP("the program is not built");
        // Outside its build folder the program writes its scratch files into the per-user data folder only.
        const QString dump = m_env->Root() + "/data/New ZendraV6/New ZendraV6/" + image::kProgramDumpFile;
        QFile::remove(dump);
        QProcess first, second;
        first.start(program, {});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dump), 10000);
        QVERIFY(!QFile::exists(m_env->AppDir() + image::kProgramDumpFile));
        QTest::qWait(500);  // its settings reach the file once its event loop runs
        const auto settings = [] { return ReadFile(ProgramSettings().fileName()); };
        const QByteArray before = settings();
        second.start(program, {QStringLiteral(ZENDRA_SOURCE_DIR "/tests/image/data/blink.hex")});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(second.readAllStandardError(), QByteArray());
        QCOMPARE(settings(), before);
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        first.waitForFinished(5000);
    }
    // Both ways at once and stored; back in Japanese every text is again exactly what it was.
    void languageSwitchedAndStored() {
        auto h = Started();
        QTest::mouseClick(h->Panel().Cmd_btn_program, Qt::LeftButton);  // a result and a notice to switch
        const QStringList japanese = ShownTexts(&h->Main());
        const QString result = h->Result(), message = h->Message();
        QVERIFY(!JapaneseIn(japanese).isEmpty() && core::ContainsJapanese(result));

        h->Main().Action("mnuLanguageEn")->trigger();
        QCOMPARE(ProgramSetting("Language"), QString("en"));
        const QStringList english = ShownTexts(&h->Main());
        QVERIFY2(JapaneseIn(english).isEmpty(), qPrintable(JapaneseIn(english).join(" | ")));
        QVERIFY(!core::ContainsJapanese(h->Result()) && !core::ContainsJapanese(h->Message()));
        QVERIFY(h->Main().Action("mnuLanguageEn")->isChecked() && !h->Main().Action("mnuLanguageJa")->isChecked());
        QVERIFY(AtDefaultPlace(*h));  // the other words still fit

        h->Main().Action("mnuLanguageJa")->trigger();
        QCOMPARE(ProgramSetting("Language"), QString("ja"));
        QCOMPARE(ShownTexts(&h->Main()), japanese);
        QVERIFY(AtDefaultPlace(*h));
        QCOMPARE(h->Result().toUtf8(), result.toUtf8());
        QCOMPARE(h->Message().toUtf8(), message.toUtf8());

        h->Main().Action("mnuLanguageEn")->trigger();
        h->Main().close();
        h.reset();
        AppHarness again;
        again.locale = QStringLiteral("ja_JP");  // the stored choice outweighs the locale
        QVERIFY(again.Start(m_env->AppDir()));
        QCOMPARE(core::CurrentLanguage(), core::Language::English);
    }

    // The English program through every window it has: nothing Japanese anywhere.
    void englishWindowsShowNoJapanese() {
        SetSettings({{"Index_Com_Flag", "1"}, {"Language", "en"}});
        QFile::copy(QStringLiteral(ZENDRA_SOURCE_DIR "/src/shell/zendra_en.hlp"), m_env->AppDir() + "zendra_en.hlp");
        AppHarness h;
        h.UseVirtualWriter();
        QStringList texts;
        h.answerModal = [&texts, cancel = h.answerModal](QDialog& dialog) {
            texts << ShownTexts(&dialog);
            cancel(dialog);
        };
        QVERIFY(h.Start(m_env->AppDir()));
        shell::FrmMain& main = h.Main();
        main.Action("mmuCominucation")->trigger();  // the port dialog
        QCOMPARE(h.modals, QStringList{"frmCom"});
        ReadNextModal(texts);
        main.Action("mnuHelpAbout")->trigger();
        ReadNextModal(texts);
        main.Action("mnuProductionSetup")->trigger();
        main.Action("mnuFirmwareUpdate")->trigger();
        main.Action("mnuConnectionCheck")->trigger();
        QVERIFY(texts.contains("✓ Chip signature: ATtiny12L (signature 1E:90:05)"));
        main.Action("mnuHelpSub")->trigger();
        texts << ShownTexts(h.app->Help());
        QVERIFY(h.app->Help()->Browser()->toPlainText().startsWith("New ZendraV6 User Guide"));
        texts << ShownTexts(h.app->IndexWindow()) << shell::FrmIndex::Words();

        // Every device's panel, then each writer command on the last one and what it left.
        for (int device = 0; device < h.Panel().Combo_device->count(); ++device) {
            Pick(h.Panel().Combo_device, device);
            texts << ShownTexts(&main);
        }
        Pick(h.Panel().Combo_device, 0);
        for (QPushButton* button : {h.Panel().Cmd_btn_program, h.Panel().Cmd_btn_verify, h.Panel().Cmd_btn_read,
                                    h.Panel().cmdFuseRead, h.Panel().Cmd_btn_erase}) {
            QTest::mouseClick(button, Qt::LeftButton);
            texts << h.Result() << h.Message();
        }
        main.Action("mmuOpenLogWindow")->trigger();
        main.Action("mnuProductionHistory")->trigger();
        texts << ShownTexts(&main) << main.Log()->Text();
        // A listing that cannot be saved says so in a box.
        h.app->Ui().fileHook = [](auto&, bool) { return std::optional<QString>("/no-such-folder/list.txt"); };
        main.Log()->Buttons()->cmdSaveList->click();
        QCOMPARE(h.boxes.size(), 1);
        texts << h.boxes;

        QVERIFY(texts.size() > 500);
        QVERIFY2(JapaneseIn(texts).isEmpty(), qPrintable(JapaneseIn(texts).join(" | ")));
    }

    // Help's connection check walks the chain to the chip in the socket; a check again sees the chip gone.
    void connectionCheck() {
        AppHarness h;
        h.UseVirtualWriter();
        QStringList first, again;
        h.answerModal = [&](QDialog& dialog) {
            auto& check = dynamic_cast<shell::DialogCheck&>(dialog);
            first = check.Lines();
            h.model.SetEmptySocket(true);
            check.findChild<QPushButton*>("cmdRecheck")->click();
            again = check.Lines();
            dialog.reject();
        };
        QVERIFY(h.Start(m_env->AppDir()));
        h.Main().Action("mnuConnectionCheck")->trigger();
        QCOMPARE(h.modals, QStringList{"dlgConnectionCheck"});
        QCOMPARE(first.size(), 8);
        QCOMPARE(first.first(), QString("✓ ポート: ポートがあります: /dev/ttyFAKE0"));
        QCOMPARE(first.last(), QString("✓ チップの署名: ATtiny12L (署名 1E:90:05)"));
        QVERIFY2(again.at(7).startsWith("✗ チップの署名: チップが応答しません (署名 FF:FF:FF)"), qPrintable(again.join('\n')));
        QVERIFY(again.at(8).startsWith("    → "));  // the advice below the step
        QVERIFY(h.Result().contains("チップが応答しません"));
    }

    void helpWindow() {
        QVERIFY(core::UseLanguage(core::Language::Japanese));  // whatever the tests before left
        shell::HelpWindow help;
        help.resize(400, 300);
        help.show();
        QTemporaryDir dir;
        const QString missing = dir.path() + QStringLiteral("/<app>&/");  // shown as text, markup and all
        QVERIFY(!help.ShowHelpFile(missing));
        QTextBrowser* browser = help.Browser();
        QVERIFY2(browser->toPlainText().contains("ヘルプファイル「" + missing + "zendra.hlp」"), qPrintable(missing));

        QVERIFY(help.ShowHelpFile(ZENDRA_SOURCE_DIR "/src/shell/"));
        QVERIFY(browser->toPlainText().startsWith(QStringLiteral("New ZendraV6 ユーザーガイド")));
        QCOMPARE(browser->verticalScrollBar()->value(), 0);
        browser->setSource(QUrl(QStringLiteral("#files")));  // contents links jump inside the guide
        QVERIFY(browser->verticalScrollBar()->value() > 0);
        for (const QString& text : {shell::kComCaption, shell::kComNotConfirmed, shell::kIndexCaption,
                                    shell::kVerifyWindowTitle})  // named
            QVERIFY2(browser->toPlainText().contains(text), qPrintable(text));

        // In English, without an English guide beside it, the Japanese one rather than none.
        QVERIFY(core::UseLanguage(core::Language::English));
        const auto japanese = qScopeGuard([] { core::UseLanguage(core::Language::Japanese); });
        QVERIFY(QFile::copy(ZENDRA_SOURCE_DIR "/src/shell/zendra.hlp", dir.filePath(QStringLiteral("zendra.hlp"))));
        QVERIFY(help.ShowHelpFile(dir.path() + '/'));
        QVERIFY(browser->toPlainText().startsWith(QStringLiteral("New ZendraV6 ユーザーガイド")));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
