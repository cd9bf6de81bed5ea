// The whole program against the virtual writer on a pseudo-terminal, through the real serial adapter and
// clock: a cell edited in the buffer is programmed and verified, read back into the cleared buffer, and
// a command clicked while the read waits for the writer is refused while the read carries on.

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "AppHarness.h"
#include "TestEnvironment.h"
#include "core/OperationGuard.h"
#include "shell/FrmMain.h"
#include "shell/SettingsPanel.h"

using namespace zendra;
using namespace zendra::test;

class TestMainWithWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void programVerifyAndReadBack_data();
    void programVerifyAndReadBack();
    void clickDuringReadIsRefusedAndReadCompletes();

private:
    shell::frmMain& Main() { return m_h->app->MainWindow(); }
    shell::SettingsPanel& Panel() { return *Main().Panel(); }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<QProcess> m_writer;
    QString m_pty;
    std::unique_ptr<AppHarness> m_h;
};

void TestMainWithWriter::initTestCase() {
    m_env = std::make_unique<TestEnvironment>();
    const QString simulator = QStringLiteral(ZENDRA_BUILD_DIR "/kxwrt-sim");
    if (!QFile::exists(simulator)) QSKIP("kxwrt-sim is not built");
    m_writer = std::make_unique<QProcess>();
    m_writer->start(simulator, {QStringLiteral("--chip"), QStringLiteral("ATtiny12L")});
    QVERIFY(m_writer->waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(m_writer->canReadLine(), 5000);
    m_pty = QString::fromLocal8Bit(m_writer->readLine()).trimmed();
    QVERIFY2(m_pty.startsWith(QStringLiteral("/dev/")), qPrintable(m_pty));
}

void TestMainWithWriter::cleanupTestCase() {
    if (m_writer) {
        m_writer->terminate();
        m_writer->waitForFinished(5000);
    }
}

void TestMainWithWriter::init() {
    ClearProgramSettings();
    WriteProgramSetting(QStringLiteral("Index_Com_Flag"), QStringLiteral("1"));
    WriteProgramSetting(QStringLiteral("ComNox"), QStringLiteral("1"));
    QSettings settings = ProgramSettings();
    settings.setValue(QStringLiteral("Ports/COM1"), m_pty);
    settings.sync();
    m_h = std::make_unique<AppHarness>(m_env->AppDir());
    m_h->realPort = true;
    QCOMPARE(m_h->Start(), shell::Application::StartResult::Started);
}

void TestMainWithWriter::cleanup() { m_h.reset(); }

void TestMainWithWriter::programVerifyAndReadBack_data() {
    QTest::addColumn<bool>("eeprom");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("value");
    QTest::newRow("flash word 0x1FF") << false << "1FF"
                                      << "940C" << 0x3FE << 0x94;
    QTest::newRow("eeprom byte 0x3F") << true << "3F"
                                      << "5A" << 0x3F << 0x5A;
}

void TestMainWithWriter::programVerifyAndReadBack() {
    QFETCH(bool, eeprom);
    QFETCH(QString, address);
    QFETCH(QString, data);
    QFETCH(int, cell);
    QFETCH(int, value);

    (eeprom ? Panel().OptionEeprom : Panel().OptionProgram)->setChecked(true);
    Panel().txtAddress->setText(address);
    Panel().txtData->setText(data);
    QTest::mouseClick(Panel().CmdWrite, Qt::LeftButton);

    QTest::mouseClick(Panel().Cmd_btn_program, Qt::LeftButton);
    QCOMPARE(Main().StatusPanel(1)->text(),
             QStringLiteral("ベリファイ　FLASH : OK / EEPROM : OK 　プログラミング正常終了。"));
    QVERIFY(Main().StatusPanel(5)->text().endsWith(QStringLiteral("秒")));
    QCOMPARE(Main().StatusPanel(4)->text(), QStringLiteral("COM1"));

    Main().Action(QStringLiteral("mnuPC_buffer_clear"))->trigger();
    const auto& images = m_h->app->Images();
    QCOMPARE(int(eeprom ? images.EepromImage[cell] : images.ProgramImage[cell]), 0xFF);

    QTest::mouseClick(Panel().Cmd_btn_read, Qt::LeftButton);
    QCOMPARE(Main().StatusPanel(1)->text(),
             QStringLiteral("プログラム・データメモリ、Ｆｕｓｅ・Ｌｏｃｋビットのリード終了しました。"));
    QCOMPARE(int(eeprom ? images.EepromImage[cell] : images.ProgramImage[cell]), value);
    // The nested lock/fuse read ran inside the read: the calibration byte is shown.
    QCOMPARE(Panel().Lbl_READCALIB->text().size(), 2);
    QVERIFY(Panel().Lbl_READCALIB->text() != QStringLiteral("?"));
}

void TestMainWithWriter::clickDuringReadIsRefusedAndReadCompletes() {
    QString panelAtClick;
    bool busyAtClick = false;
    // Fires inside the read's waits, where window events keep running.
    QTimer::singleShot(30, &Main(), [&] {
        busyAtClick = m_h->app->Guard().IsBusy();
        QTest::mouseClick(Panel().Cmd_btn_erase, Qt::LeftButton);
        panelAtClick = Main().StatusPanel(1)->text();
    });
    QTest::mouseClick(Panel().Cmd_btn_read, Qt::LeftButton);
    QVERIFY(busyAtClick);
    QCOMPARE(panelAtClick, core::kBusyText);
    QCOMPARE(Main().StatusPanel(1)->text(),
             QStringLiteral("プログラム・データメモリ、Ｆｕｓｅ・Ｌｏｃｋビットのリード終了しました。"));
}

QTEST_MAIN(TestMainWithWriter)
#include "tst_main_writer.moc"
