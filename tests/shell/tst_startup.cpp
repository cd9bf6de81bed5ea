// Start-up and shutdown of the whole program: stored settings and places, first versus later starts,
// unusable stored values, the minimised exit, the scratch files and the single instance.

#include <QDir>
#include <QLockFile>
#include <QScopeGuard>
#include <QProcess>
#include <QStandardPaths>

#include "AppHarness.h"
#include "image/Dumps.h"
#include "shell/FrmIndex.h"

using namespace zendra;
using namespace zendra::test;
using core::DumpWindow;
using shell::TwipsRect;

const TwipsRect kMainPlace{100, 100, 11300, 7900}, kProgramPlace{50, 50, 5400, 4000};

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
    QRect Px(const TwipsRect& twips, AppHarness& h) { return Pixels(twips, &h.Main()); }
    QRect ProgramWindow(AppHarness& h) { return h.Main().DumpSubWindow(DumpWindow::Program)->geometry(); }

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }
    void init() { SetSettings({{"Index_Com_Flag", "1"}}); }

    void scratchDirFallsBackWhenTheProgramDirIsUnusable() {
        QCOMPARE(shell::ChooseScratchDir(m_env->AppDir()), m_env->AppDir());
        const QString scratch = shell::ChooseScratchDir(m_env->Root() + "/no-such-folder/");
        QVERIFY(scratch.startsWith(m_env->Root() + "/data/") && scratch.endsWith('/'));
        QVERIFY(QDir(scratch).exists());
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
        QCOMPARE(h.Main().geometry(), Px(kMainPlace, h));
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

    void unusableStoredValues_data() {
        QTest::addColumn<QString>("setting");
        for (const char* row :
             {"device=13", "device=-1", "device=abc", "device=", "MainWidth=wide", "MainWidth=10",
              "MainLeft=-900000", "MainTop=99000", "PgmWidth=0", "PgmHeight=300"})
            QTest::newRow(row) << QString(row);
    }
    void unusableStoredValues() {
        QFETCH(QString, setting);
        SetSettings({{setting.section('=', 0, 0), setting.section('=', 1)}}, false);
        auto h = Started();
        QCOMPARE(h->Panel().Combo_device->currentText(), QString("ATtiny12L"));
        QCOMPARE(h->Main().geometry(), Px(kMainPlace, *h));
        QCOMPARE(ProgramWindow(*h), Px(kProgramPlace, *h));
    }

    void minimisedExitStoresNoPlacesButDeletesScratchFiles() {
        auto h = Started();
        QFile log(h->ScratchFile(image::kVerifyLogFile));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.close();
        QVERIFY(h->port.Open("/dev/ttyFAKE0"));
        h->Main().DumpSubWindow(DumpWindow::Program)->setGeometry(Px({500, 500, 3000, 3000}, *h));
        h->app->IndexWindow()->move(40, 40);
        h->Main().showMinimized();
        h->Main().close();
        QCOMPARE(h->ended, 1);
        for (const char* key :
             {"MainLeft", "MainTop", "MainWidth", "MainHeight", "PgmLeft", "PgmWidth", "IndLeft"})
            QCOMPARE(ProgramSetting(key), QString("<absent>"));
        for (const QString& name : {image::kProgramDumpFile, image::kEepromDumpFile, image::kVerifyLogFile})
            QVERIFY2(!QFile::exists(h->ScratchFile(name)), qPrintable(name));
        QVERIFY(!h->port.IsOpen());
    }

    // A file named on the command line is opened as the open command would, its EEPROM file too; a
    // missing one is refused the same way.
    void fileFromTheCommandLine_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("result");
        const QString blink = QStringLiteral(ZENDRA_SOURCE_DIR "/tests/image/data/blink.hex");
        QTest::newRow("blink.hex") << blink << "Program : " + blink << QString("ファイルをオープンしました。");
        QTest::newRow("missing") << m_env->Root() + "/none.hex" << QString("Program : Not found HEX file") << QString();
    }
    void fileFromTheCommandLine() {
        QFETCH(QString, file);
        auto h = Started();
        h->app->OpenFile(file);
        QTEST(h->Main().DumpSubWindow(DumpWindow::Program)->windowTitle(), "title");
        QTEST(h->Result(), "result");
        QCOMPARE(h->fileRequests, 0);  // no chooser was shown
    }

    void exitWithoutScratchFilesCompletes() {
        auto h = Started();
        const QString lock =
            QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + "/New ZendraV6.lock";
        QVERIFY(QFile::exists(lock));
        QFile::remove(h->ScratchFile(image::kProgramDumpFile));
        QFile::remove(h->ScratchFile(image::kEepromDumpFile));
        h->Main().DumpSubWindow(DumpWindow::Program)->setGeometry(Px({600, 300, 4500, 2250}, *h));
        h->Main().Action("mnuFileExit")->trigger();
        QCOMPARE(h->ended, 1);
        QVERIFY(!h->Main().isVisible());
        QCOMPARE(ProgramSetting("PgmWidth"), QString("4500"));
        QVERIFY(!QFile::exists(lock));  // the next copy may start
    }

    // A running copy's lock ends a second start silently; a lock that cannot be taken at all is said, once,
    // and the program ends with a failure. Checked in-process and with the built program (offscreen: no box).
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

        const QString program = CopyOfProgram();
        if (program.isEmpty()) QSKIP("the program is not built");
        QProcess run;
        run.start(program, {});
        QVERIFY(run.waitForFinished(10000));
        const QStringList said = QString::fromLocal8Bit(run.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), silent ? 0 : 1);
        QCOMPARE(said.size(), silent ? 0 : 1);
        if (!silent) QCOMPARE(said[0], h.app->LockFailureText());
    }

    // The executable in a folder of its own, run twice by the same user.
    void secondProcessEndsSilently() {
        const QString program = CopyOfProgram();
        if (program.isEmpty()) QSKIP("the program is not built");
        QFile::remove(m_env->AppDir() + image::kProgramDumpFile);
        QProcess first, second;
        first.start(program, {});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_env->AppDir() + image::kProgramDumpFile), 10000);
        QTest::qWait(500);  // its settings reach the file once its event loop runs
        const auto settings = [] {
            QFile file(ProgramSettings().fileName());
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
        };
        const QByteArray before = settings();
        second.start(program, {QStringLiteral(ZENDRA_SOURCE_DIR "/tests/image/data/blink.hex")});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(settings(), before);
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        first.waitForFinished(5000);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
