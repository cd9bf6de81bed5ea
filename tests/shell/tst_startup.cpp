// Start-up and shutdown of the whole program: the settings it reads and writes, first versus later starts,
// stored values that cannot be used, the minimised exit, the scratch files and the single instance.

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLockFile>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include "AppHarness.h"
#include "TestEnvironment.h"
#include "image/Dumps.h"
#include "shell/FrmIndex.h"
#include "shell/FrmMain.h"
#include "shell/SettingsPanel.h"

using namespace zendra;
using namespace zendra::test;
using shell::TwipsRect;

Q_DECLARE_METATYPE(zendra::shell::TwipsRect)

namespace {

const QString kMainKeys[] = {QStringLiteral("MainLeft"), QStringLiteral("MainTop"),
                             QStringLiteral("MainWidth"), QStringLiteral("MainHeight")};
const QString kProgramKeys[] = {QStringLiteral("PgmLeft"), QStringLiteral("PgmTop"),
                                QStringLiteral("PgmWidth"), QStringLiteral("PgmHeight")};

QRect Pixels(const TwipsRect& twips, const QWidget* on) {
    return shell::TwipsToPixels(twips, shell::LogicalDpi(on));
}

TwipsRect StoredPlace(const QString (&keyNames)[4]) {
    return {ProgramSetting(keyNames[0]).toDouble(), ProgramSetting(keyNames[1]).toDouble(),
            ProgramSetting(keyNames[2]).toDouble(), ProgramSetting(keyNames[3]).toDouble()};
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void appDirSeparator_data();
    void appDirSeparator();
    void framePlace_data();
    void framePlace();
    void childPlace_data();
    void childPlace();
    void scratchDirFallsBackWhenProgramDirIsUnusable();

    void firstStart();
    void secondStartRemembersDeviceAndPlaces();
    void cancelledPortDialogStillMarksFirstStart();
    void unusableStoredValues_data();
    void unusableStoredValues();
    void minimisedExitKeepsGeometryButDeletesScratchFiles();
    void exitWithoutScratchFilesCompletes();
    void secondInstanceEndsSilently();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void TestStartup::initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

void TestStartup::init() { ClearProgramSettings(); }

void TestStartup::appDirSeparator_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("appDir");
    QTest::newRow("plain") << "/opt/zendra"
                           << "/opt/zendra/";
    QTest::newRow("already ends") << "/opt/zendra/"
                                  << "/opt/zendra/";
    QTest::newRow("doubled") << "/opt/zendra//"
                             << "/opt/zendra/";
    QTest::newRow("root") << "/"
                          << "/";
}

void TestStartup::appDirSeparator() {
    QFETCH(QString, folder);
    QFETCH(QString, appDir);
    QCOMPARE(shell::WithTrailingSeparator(folder), appDir);
}

void TestStartup::framePlace_data() {
    QTest::addColumn<TwipsRect>("stored");
    QTest::addColumn<bool>("kept");
    // Screen 0,0 800x600 pixels at 96 DPI: 12000 x 9000 twips.
    QTest::newRow("defaults") << TwipsRect{100, 100, 11300, 7900} << true;
    QTest::newRow("partly off to the right") << TwipsRect{10000, 100, 11300, 7900} << true;
    QTest::newRow("wholly right of the screen") << TwipsRect{13000, 100, 11300, 7900} << false;
    QTest::newRow("wholly above") << TwipsRect{100, -9000, 11300, 7900} << false;
    QTest::newRow("only a sliver visible") << TwipsRect{11700, 100, 11300, 7900} << false;
    QTest::newRow("too narrow") << TwipsRect{100, 100, 1500, 7900} << false;
    QTest::newRow("too low") << TwipsRect{100, 100, 11300, 300} << false;
    QTest::newRow("zero size") << TwipsRect{100, 100, 0, 0} << false;
    QTest::newRow("negative size") << TwipsRect{100, 100, -11300, 7900} << false;
}

void TestStartup::framePlace() {
    QFETCH(TwipsRect, stored);
    QFETCH(bool, kept);
    const TwipsRect fallback{100, 100, 11300, 7900};
    const TwipsRect restored = shell::RestoredFramePlace(stored, fallback, {QRect(0, 0, 800, 600)}, 96.0);
    QCOMPARE(restored, kept ? stored : fallback);
}

void TestStartup::childPlace_data() {
    QTest::addColumn<TwipsRect>("stored");
    QTest::addColumn<bool>("kept");
    QTest::newRow("defaults") << TwipsRect{50, 50, 5400, 4000} << true;
    QTest::newRow("smallest usable") << TwipsRect{50, 50, 1000, 500} << true;
    QTest::newRow("collapsed") << TwipsRect{50, 50, 0, 0} << false;
    QTest::newRow("icon size") << TwipsRect{50, 50, 2400, 300} << false;
}

void TestStartup::childPlace() {
    QFETCH(TwipsRect, stored);
    QFETCH(bool, kept);
    const TwipsRect fallback{50, 50, 5400, 4000};
    QCOMPARE(shell::RestoredChildPlace(stored, fallback), kept ? stored : fallback);
}

void TestStartup::scratchDirFallsBackWhenProgramDirIsUnusable() {
    QCOMPARE(shell::ChooseScratchDir(m_env->AppDir()), m_env->AppDir());
    const QString missing = m_env->Root() + QStringLiteral("/no-such-folder/");
    const QString scratch = shell::ChooseScratchDir(missing);
    QVERIFY(scratch != missing);
    QVERIFY(scratch.endsWith(QLatin1Char('/')));
    QVERIFY(scratch.startsWith(m_env->Root() + QStringLiteral("/data")));
    QVERIFY(QDir(scratch).exists());
}

void TestStartup::firstStart() {
    AppHarness h(m_env->AppDir());
    // The port dialog runs before the index window appears.
    bool indexShownAtDialog = true;
    h.answerModal = [&](QDialog& dialog) {
        indexShownAtDialog = h.app->IndexWindow() != nullptr && h.app->IndexWindow()->isVisible();
        qobject_cast<shell::FrmCom*>(&dialog)->Command_cancel->click();
    };
    QCOMPARE(h.Start(), shell::Application::StartResult::Started);
    shell::frmMain& main = h.app->MainWindow();

    QCOMPARE(h.modals, QStringList{QStringLiteral("frmCom")});
    QVERIFY(!indexShownAtDialog);
    QCOMPARE(ProgramSetting(QStringLiteral("Index_Com_Flag")), QStringLiteral("1"));

    QCOMPARE(main.windowTitle(), QStringLiteral("New Zendra Version 6.0.60"));
    QVERIFY(main.isVisible());
    QCOMPARE(main.geometry(), Pixels({100, 100, 11300, 7900}, &main));
    QCOMPARE(main.DumpSubWindow(core::DumpWindow::Program)->geometry(), Pixels({50, 50, 5400, 4000}, &main));
    QCOMPARE(main.DumpSubWindow(core::DumpWindow::Eeprom)->geometry(), Pixels({50, 4100, 5400, 2000}, &main));
    QCOMPARE(main.SettingWindow()->geometry(), Pixels(shell::kSettingWindowPlace, &main));
    QVERIFY(h.app->IndexWindow() && h.app->IndexWindow()->isVisible());
    QCOMPARE(h.app->IndexWindow()->pos(), QPoint(0, 0));

    shell::SettingsPanel* panel = main.Panel();
    QCOMPARE(panel->Combo_device->count(), 13);
    QCOMPARE(panel->Combo_device->currentText(), QStringLiteral("ATtiny12L"));
    QCOMPARE(panel->Label3->text(), QStringLiteral("ﾌﾟﾛｸﾞﾗﾑﾒﾓﾘ   :512 word"));
    QCOMPARE(panel->Label4->text(), QStringLiteral("EEPROMﾃﾞｰﾀﾒﾓﾘ:64 byte"));
    QCOMPARE(ProgramSetting(QStringLiteral("device")), QStringLiteral("0"));
    QVERIFY(panel->frmModify->isVisible());

    // Both images erased to their last cell, the dumps written for the device.
    const auto& images = h.app->Images();
    QVERIFY(std::all_of(images.ProgramImage.begin(), images.ProgramImage.end(),
                        [](quint8 b) { return b == 0xFF; }));
    QVERIFY(std::all_of(images.EepromImage.begin(), images.EepromImage.end(),
                        [](quint8 b) { return b == 0xFF; }));
    QVERIFY(QFile::exists(h.ScratchFile(image::kProgramDumpFile)));

    // The status bar as designed, the port dialog's own panel texts aside.
    QCOMPARE(main.StatusPanel(2)->text(), QStringLiteral("--:--:--"));
    QCOMPARE(main.StatusPanel(3)->text(), QStringLiteral("Firmware Version"));
    QCOMPARE(main.StatusPanel(4)->text(), QStringLiteral("COM?"));
    QCOMPARE(main.StatusPanel(5)->text(), QString());
    // Start-up never talks to the writer.
    QVERIFY(h.port.Writes().isEmpty());
}

void TestStartup::secondStartRemembersDeviceAndPlaces() {
    const TwipsRect programPlace{300, 600, 6000, 3000};
    {
        AppHarness h(m_env->AppDir());
        h.Start();
        shell::frmMain& main = h.app->MainWindow();
        Pick(main.Panel()->Combo_device, 7);
        main.DumpSubWindow(core::DumpWindow::Program)->setGeometry(Pixels(programPlace, &main));
        main.setGeometry(Pixels({1500, 1200, 9000, 7000}, &main));
        h.app->IndexWindow()->move(Pixels({750, 450, 0, 0}, &main).topLeft());
        main.close();
        QCOMPARE(h.ended, 1);
    }
    AppHarness h(m_env->AppDir());
    h.Start();
    shell::frmMain& main = h.app->MainWindow();
    QVERIFY(h.modals.isEmpty());
    QCOMPARE(main.Panel()->Combo_device->currentText(), QStringLiteral("AT90S2313"));
    QCOMPARE(main.Panel()->Label3->text(), QStringLiteral("ﾌﾟﾛｸﾞﾗﾑﾒﾓﾘ   :1024 word"));
    QCOMPARE(main.geometry(), Pixels({1500, 1200, 9000, 7000}, &main));
    QCOMPARE(main.DumpSubWindow(core::DumpWindow::Program)->geometry(), Pixels(programPlace, &main));
    QCOMPARE(h.app->IndexWindow()->pos(), Pixels({750, 450, 0, 0}, &main).topLeft());
}

void TestStartup::cancelledPortDialogStillMarksFirstStart() {
    {
        AppHarness h(m_env->AppDir());
        h.Start();
        QCOMPARE(h.modals.size(), 1);
        QCOMPARE(h.app->State().ErrorFlag, qint16(1));  // cancelled
        QCOMPARE(ProgramSetting(QStringLiteral("ComNox")), QStringLiteral("<absent>"));
        h.app->MainWindow().close();
    }
    AppHarness again(m_env->AppDir());
    again.Start();
    QVERIFY(again.modals.isEmpty());
}

void TestStartup::unusableStoredValues_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("device above the list") << "device"
                                           << "13";
    QTest::newRow("device negative") << "device"
                                     << "-1";
    QTest::newRow("device text") << "device"
                                 << "abc";
    QTest::newRow("device empty") << "device"
                                  << "";
    QTest::newRow("width text") << "MainWidth"
                                << "wide";
    QTest::newRow("width tiny") << "MainWidth"
                                << "10";
    QTest::newRow("left far off the screen") << "MainLeft"
                                             << "-900000";
    QTest::newRow("top below every screen") << "MainTop"
                                            << "99000";
}

void TestStartup::unusableStoredValues() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    WriteProgramSetting(QStringLiteral("Index_Com_Flag"), QStringLiteral("1"));
    WriteProgramSetting(key, value);
    AppHarness h(m_env->AppDir());
    h.Start();
    shell::frmMain& main = h.app->MainWindow();
    QCOMPARE(main.Panel()->Combo_device->currentText(), QStringLiteral("ATtiny12L"));
    QCOMPARE(main.geometry(), Pixels({100, 100, 11300, 7900}, &main));
}

void TestStartup::minimisedExitKeepsGeometryButDeletesScratchFiles() {
    WriteProgramSetting(QStringLiteral("Index_Com_Flag"), QStringLiteral("1"));
    AppHarness h(m_env->AppDir());
    h.Start();
    shell::frmMain& main = h.app->MainWindow();
    const QString verifyLog = h.ScratchFile(image::kVerifyLogFile);
    QFile log(verifyLog);
    QVERIFY(log.open(QIODevice::WriteOnly));
    log.close();
    QVERIFY(h.port.Open(QStringLiteral("/dev/ttyFAKE0")));
    main.DumpSubWindow(core::DumpWindow::Program)->setGeometry(Pixels({500, 500, 3000, 3000}, &main));
    h.app->IndexWindow()->move(40, 40);

    main.showMinimized();
    QVERIFY(main.isMinimized());
    main.close();

    QCOMPARE(h.ended, 1);
    for (const QString& key : kMainKeys) QCOMPARE(ProgramSetting(key), QStringLiteral("<absent>"));
    for (const QString& key : kProgramKeys) QCOMPARE(ProgramSetting(key), QStringLiteral("<absent>"));
    QCOMPARE(ProgramSetting(QStringLiteral("IndLeft")), QStringLiteral("<absent>"));
    for (const QString& name : {image::kProgramDumpFile, image::kEepromDumpFile, image::kVerifyLogFile})
        QVERIFY2(!QFile::exists(h.ScratchFile(name)), qPrintable(name));
    QVERIFY(!h.port.IsOpen());
}

void TestStartup::exitWithoutScratchFilesCompletes() {
    WriteProgramSetting(QStringLiteral("Index_Com_Flag"), QStringLiteral("1"));
    AppHarness h(m_env->AppDir());
    h.Start();
    shell::frmMain& main = h.app->MainWindow();
    for (const QString& name : {image::kProgramDumpFile, image::kEepromDumpFile})
        QFile::remove(h.ScratchFile(name));
    const TwipsRect programPlace{600, 300, 4500, 2250};
    main.DumpSubWindow(core::DumpWindow::Program)->setGeometry(Pixels(programPlace, &main));

    main.Action(QStringLiteral("mnuFileExit"))->trigger();

    QCOMPARE(h.ended, 1);
    QVERIFY(!main.isVisible());
    QCOMPARE(StoredPlace(kMainKeys), shell::PixelsToTwips(main.normalGeometry(), shell::LogicalDpi(&main)));
    QCOMPARE(StoredPlace(kProgramKeys), programPlace);
}

void TestStartup::secondInstanceEndsSilently() {
    WriteProgramSetting(QStringLiteral("Index_Com_Flag"), QStringLiteral("1"));
    AppHarness first(m_env->AppDir());
    QCOMPARE(first.Start(), shell::Application::StartResult::Started);
    const QString lockPath = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                             QStringLiteral("/New ZendraV6.lock");
    QVERIFY(QFile::exists(lockPath));
    QVERIFY(lockPath.startsWith(m_env->Root()));

    QSettings before = ProgramSettings();
    const QStringList keysBefore = before.allKeys();
    {
        AppHarness second(m_env->AppDir());
        QCOMPARE(second.Start(), shell::Application::StartResult::AlreadyRunning);
        QVERIFY(second.modals.isEmpty());
        QCOMPARE(second.ended, 0);
    }
    QCOMPARE(ProgramSettings().allKeys(), keysBefore);
    // The running copy is unaffected, and its lock goes with it.
    QVERIFY(first.app->MainWindow().isVisible());
    first.app->MainWindow().close();
    QVERIFY(!QFile::exists(lockPath));
    AppHarness third(m_env->AppDir());
    QCOMPARE(third.Start(), shell::Application::StartResult::Started);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
