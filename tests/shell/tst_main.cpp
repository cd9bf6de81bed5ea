// The main window driven like a user; one operation at a time, a refused command leaving no trace; and
// the whole program against the virtual writer on a pseudo-terminal.

#include <QPlainTextEdit>
#include <QProcess>

#include "AppHarness.h"
#include "DeviceFacts.h"
#include "image/Dumps.h"
#include "operations/Texts.h"
#include "shell/FrmDump.h"
#include "shell/FrmIndex.h"

using namespace zendra;
using namespace zendra::test;
using core::DumpWindow;
using core::PanelControl;
using shell::Socket;
using Act = std::function<void(AppHarness&)>;

namespace {
const QString kBusy = "他の処理を実行中です。", kClosed = "<closed>";

struct Edit {  // an address typed key by key; with data, a write and the (low) byte's cell read back
    bool eeprom = false;
    QString typed, shown, message = kClosed, data = {}, back = {};
    int cell = 0;
};

Act Do(const char* name) {  // clicks the button, or triggers the menu item, of that name
    return [name](AppHarness& h) {
        auto* button = h.Main().findChild<QPushButton*>(name);
        button ? QTest::mouseClick(button, Qt::LeftButton) : h.Main().Action(name)->trigger();
    };
}
Act Choose(PanelControl control, int index) {
    return [=](AppHarness& h) { Pick(h.Panel().Panel(control), index); };
}
QString Dump(AppHarness& h, DumpWindow which) { return h.Main().Dump(which)->View()->toPlainText(); }
QString Hex(quint8 b) { return QString("%1").arg(b, 2, 16, QChar('0')).toUpper(); }

// Everything a command could change that a refused one must leave alone.
QString Trace(AppHarness& h) {
    QString t;
    const auto& image = h.app->Images();
    QDebug(&t) << h.port.Writes().size() << h.modals << h.fileRequests << h.boxes << h.Message()
               << ProgramSetting("device") << h.Panel().txtData->text()
               << qHashBits(image.ProgramImage.data(), image.ProgramImage.size())
               << qHashBits(image.EepromImage.data(), image.EepromImage.size())
               << h.Main().DumpSubWindow(DumpWindow::Program)->geometry().size();
    for (auto* box : h.Panel().findChildren<QComboBox*>()) QDebug(&t) << box->currentText();
    return t;
}
}  // namespace

Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(Act)

class TestMainWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<AppHarness> m_h;
    shell::SettingsPanel& Panel() { return m_h->Panel(); }
    shell::FrmMain& Main() { return m_h->Main(); }

    // Starts `operation` against a writer that never answers and runs `during` at its first wait.
    void DuringOperation(const Act& operation, const std::function<void()>& during) {
        bool ran = false;
        m_h->timing.onAdvance = [&] {
            if (std::exchange(ran, true)) return;
            QVERIFY(m_h->app->Guard().IsBusy());
            during();
        };
        operation(*m_h);
        m_h->timing.onAdvance = nullptr;
        QVERIFY2(ran, "the operation never waited for the writer");
        QVERIFY(!m_h->app->Guard().IsBusy());
    }

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }
    void init() {
        SetSettings({{"Index_Com_Flag", "1"}, {"ComNox", "1"}, {"device", "0"}});
        m_h = std::make_unique<AppHarness>();
        QVERIFY(m_h->Start(m_env->AppDir()));
    }
    void cleanup() { m_h.reset(); }

    void deviceProfiles_data() {
        QTest::addColumn<int>("index");  // in the selector
        for (int i = 0; i < kDeviceFacts.size(); ++i)
            QTest::newRow(qUtf8Printable(kDeviceFacts[i].name)) << i;
    }
    void deviceProfiles() {
        QFETCH(int, index);
        const DeviceFacts& d = kDeviceFacts[index];
        Pick(Panel().Combo_device, index == 12 ? 0 : 12);  // from another device, so every value changes
        Pick(Panel().Combo_device, index);
        QCOMPARE(Panel().Combo_device->currentText(), d.name);
        QCOMPARE(m_h->Message(), kClosed);  // filling the panel is no choice of the user: no warning
        QCOMPARE(Panel().Label3->text(), QString("ﾌﾟﾛｸﾞﾗﾑﾒﾓﾘ   :%1 word").arg(d.words));
        QCOMPARE(Panel().Label4->text(), QString("EEPROMﾃﾞｰﾀﾒﾓﾘ:%1 byte").arg(d.eeprom));
        QCOMPARE(ProgramSetting("device"), QString::number(index));
        QCOMPARE(Dump(*m_h, DumpWindow::Program).count('\n'), d.words / 8);  // a line per 16 bytes
        QCOMPARE(Dump(*m_h, DumpWindow::Eeprom).count('\n'), d.eeprom / 16);
        for (int s = 0; s < shell::kSocketCount; ++s)
            QCOMPARE(m_h->app->IndexWindow()->FillColour(Socket(s)),
                     Socket(s) == d.socket ? shell::kSocketSelected : shell::kSocketIdle);
    }

    void resetDisableWarningOnlyOnTheUsersChoice() {
        Pick(Panel().Panel(PanelControl::RSTDISABL), 1);
        QCOMPARE(m_h->Message(), kClosed);
        Pick(Panel().Panel(PanelControl::RSTDISABL), 0);  // the pin as I/O
        QCOMPARE(m_h->Message(), operations::texts::kResetDisableWarning);
    }
    void panelAndImagesReset_data() {
        QTest::addColumn<Act>("reset");
        QTest::addColumn<QString>("result");
        QTest::newRow("same device again")
            << Act([](AppHarness& h) { Pick(h.Panel().Combo_device, 2); }) << "";
        QTest::newRow("buffer clear") << Do("mnuPC_buffer_clear") << "バッファーをクリアしました。";
    }
    void panelAndImagesReset() {
        QFETCH(Act, reset);
        QFETCH(QString, result);
        Pick(Panel().Combo_device, 2);
        QComboBox* clock = Panel().Panel(PanelControl::CKSEL);
        const int defaultClock = clock->currentIndex();
        Pick(clock, 9);
        Pick(Panel().Combo_LockBit, 0);
        auto& image = m_h->app->Images();
        image.ProgramImage[0] = image.ProgramImage[65536] = image.EepromImage[2048] = 0x12;
        SetSettings({{"device", "3"}}, false);
        reset(*m_h);
        QCOMPARE(clock->currentIndex(), defaultClock);
        QCOMPARE(Panel().Combo_LockBit->currentText(), QString("プロテクトなし"));
        QVERIFY(Erased(image));
        QVERIFY(Dump(*m_h, DumpWindow::Program).startsWith("0000: FFFF"));
        QCOMPARE(ProgramSetting("device"), QString("2"));  // the selection is applied again
        QCOMPARE(m_h->Result(), result);
    }
    void bufferEdit_data() {
        QTest::addColumn<Edit>("e");
        const auto row = [](const char* tag, const Edit& e) { QTest::newRow(tag) << e; };
        const QString flash = "Flash アドレスが範囲を超えています．";
        // ATtiny12L: 512 words, 64 bytes.
        // clang-format off
        row("flash 200", {.typed = "200", .shown = "200", .message = flash});
        row("five digits", {.typed = "12345", .shown = "1234", .message = flash});
        row("eeprom 40", {.eeprom = true, .typed = "40", .shown = "40", .message = "EEPROM アドレスが範囲を超えています．"});
        row("bad digit", {.typed = "1G", .shown = "1G", .message = "入力データに誤りがあります．"});
        row("word 5", {.typed = "10", .shown = "10", .data = "5", .back = "0005", .cell = 0x21});
        row("last word", {.typed = "1FF", .shown = "1FF", .data = "1234", .back = "1234", .cell = 0x3FF});
        row("eeprom low byte",
            {.eeprom = true, .typed = "3", .shown = "3", .data = "1AB", .back = "AB", .cell = 3});
        // clang-format on
    }
    void bufferEdit() {
        QFETCH(Edit, e);
        (e.eeprom ? Panel().OptionEeprom : Panel().OptionProgram)->setChecked(true);
        Panel().txtAddress->clear();
        QTest::keyClicks(Panel().txtAddress, e.typed);
        QCOMPARE(Panel().txtAddress->text(), e.shown);
        QCOMPARE(m_h->Message(), e.message);  // checked at each keystroke, no button pressed
        if (e.data.isEmpty()) return;
        Panel().txtData->clear();
        QTest::keyClicks(Panel().txtData, e.data);
        QTest::mouseClick(Panel().CmdWrite, Qt::LeftButton);
        const auto& image = m_h->app->Images();
        QCOMPARE(e.eeprom ? Hex(image.EepromImage[e.cell])
                          : Hex(image.ProgramImage[e.cell - 1]) + Hex(image.ProgramImage[e.cell]),
                 e.back);
        Panel().txtData->clear();
        QTest::mouseClick(Panel().CmdRead, Qt::LeftButton);
        QCOMPARE(Panel().txtData->text(), e.back);
    }

    void windowLayout_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<int>>("windows");  // 0 settings, 1 program, 2 EEPROM
        QTest::newRow("settings") << "mmuOpenSettingWindow" << QList{0};
        QTest::newRow("program") << "mmuOpenProgramWindow" << QList{1};
        QTest::newRow("eeprom") << "mmuOpenEEpromWindow" << QList{2};
        QTest::newRow("all three") << "mmuWindowReDrow" << QList{0, 1, 2};
    }
    void windowLayout() {
        QFETCH(QString, command);
        QFETCH(QList<int>, windows);
        const QList<QMdiSubWindow*> all{Main().SettingWindow(), Main().DumpSubWindow(DumpWindow::Program),
                                        Main().DumpSubWindow(DumpWindow::Eeprom)};
        const QList<shell::TwipsRect> places{
            {7000, 50, 4100, 6050}, {50, 50, 6900, 4000}, {50, 4100, 6900, 2000}};
        all[windows[0]]->showMinimized();  // out of place first: minimised, closed, moved
        if (windows.size() > 1) all[1]->close(), all[2]->setGeometry(1, 1, 30, 30);
        Main().Action(command)->trigger();
        for (int w : windows) {
            QVERIFY(all[w]->isVisible() && !all[w]->isMinimized());
            QCOMPARE(all[w]->geometry(), Pixels(places[w], &Main()));
        }
    }
    void portPanelClick_data() {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("opens");
        QTest::newRow("COM3") << 4 << "COM3" << true;
        QTest::newRow("start-up text") << 4 << "COM?" << true;
        QTest::newRow("panel 2") << 2 << "--:--:--" << false;
        QTest::newRow("panel 1 showing COM") << 1 << "COMポート" << true;  // the rule is the text
    }
    void portPanelClick() {
        QFETCH(int, panel);
        QFETCH(QString, text);
        QFETCH(bool, opens);
        Main().StatusPanel(panel)->setText(text);
        QTest::mouseClick(Main().StatusPanel(panel), Qt::LeftButton);
        QCOMPARE(m_h->modals, opens ? QStringList{"frmCom"} : QStringList{});
    }
    void indexWindowReopenedAtItsStoredPlace() {
        SetSettings({{"IndLeft", "1500"}, {"IndTop", "750"}}, false);
        QPointer<shell::FrmIndex> first = m_h->app->IndexWindow();
        first->close();
        QTRY_VERIFY(first.isNull());
        Pick(Panel().Combo_device, 8);  // reaches no deleted window
        Main().Action("mmudeviceIndex")->trigger();
        shell::FrmIndex* again = m_h->app->IndexWindow();
        QVERIFY(again && again->isVisible());
        QCOMPARE(again->pos(), shell::TwipsToPixels(1500, 750, shell::LogicalDpi(&Main())));
        QCOMPARE(again->FillColour(Socket::DUT_28), shell::kSocketSelected);
    }

    void onlyOneOperationAtATime_data() {
        QTest::addColumn<Act>("operation");
        QTest::addColumn<Act>("attempt");
        QTest::addColumn<bool>("refused");
        const Act program = Do("Cmd_btn_program"), fuseRead = Do("cmdFuseRead");
        QTest::newRow("writer command") << program << Do("Cmd_btn_verify") << true;
        QTest::newRow("port dialog") << program << Do("Cmd_btn_comselect") << true;
        QTest::newRow("update dialog") << fuseRead << Do("mnuFirmwareUpdate") << true;
        QTest::newRow("device selector")
            << Do("Cmd_btn_read") << Act([](AppHarness& h) { Pick(h.Panel().Combo_device, 8); }) << true;
        QTest::newRow("file command") << program << Do("Cmd_btn_open") << true;
        QTest::newRow("buffer clear") << Do("Cmd_btn_verify") << Do("mnuPC_buffer_clear") << true;
        QTest::newRow("buffer write") << program << Do("CmdWrite") << true;
        QTest::newRow("lock choice") << fuseRead << Choose(PanelControl::LockBit, 0) << true;
        QTest::newRow("reset pin choice") << program << Choose(PanelControl::RSTDISABL, 0) << true;
        QTest::newRow("buffer read runs") << program << Do("CmdRead") << false;
        QTest::newRow("window layout runs") << program << Do("mmuWindowReDrow") << false;
    }
    void onlyOneOperationAtATime() {
        QFETCH(Act, operation);
        QFETCH(Act, attempt);
        QFETCH(bool, refused);
        Panel().txtAddress->setText("0");
        m_h->app->Images().ProgramImage[4] = 0x42;
        DuringOperation(operation, [&] {
            Panel().txtData->setText("1234");
            Main().StatusPanel(1)->clear();
            const QString before = Trace(*m_h);
            attempt(*m_h);
            QCOMPARE(m_h->Result(), refused ? kBusy : QString());
            QCOMPARE(Trace(*m_h) == before, refused);
        });
    }
    void closeWaitsForTheRunningOperation_data() {
        QTest::addColumn<Act>("closing");
        QTest::newRow("close box") << Act([](AppHarness& h) { h.Main().close(); });
        QTest::newRow("exit item") << Do("mnuFileExit");
    }
    void closeWaitsForTheRunningOperation() {
        QFETCH(Act, closing);
        const QString dump = m_h->ScratchFile(image::kProgramDumpFile);
        qsizetype writesAtClose = -1;
        DuringOperation(Do("Cmd_btn_program"), [&] {
            closing(*m_h);
            QCOMPARE(m_h->Result(), QString("処理の終了を待っています。"));
            QVERIFY(Main().isVisible() && QFile::exists(dump));
            QCOMPARE(m_h->ended, 0);
            writesAtClose = m_h->port.Writes().size();
        });
        QVERIFY(m_h->port.Writes().size() > writesAtClose);  // the operation ran to its own end
        QTRY_COMPARE(m_h->ended, 1);
        QVERIFY(!Main().isVisible() && !QFile::exists(dump) && !m_h->port.IsOpen());
    }
    void closeWaitsForAGuardHeldOutsideTheMainWindow() {
        auto hold = m_h->app->Guard().TryEnter();  // as the update dialog does during a transfer
        QVERIFY(hold);
        Main().close();
        QTest::qWait(250);
        QVERIFY(Main().isVisible());
        hold.reset();
        QTRY_COMPARE(m_h->ended, 1);
    }

    // Through the program's own serial adapter and clock; a click while the read waits is refused.
    void programVerifyAndReadOnTheVirtualWriter() {
        QProcess writer;
        writer.start(ZENDRA_BUILD_DIR "/kxwrt-sim", {"--chip", "ATtiny12L"});
        if (!writer.waitForStarted(5000)) QSKIP("kxwrt-sim is not built");
        QTRY_VERIFY_WITH_TIMEOUT(writer.canReadLine(), 5000);
        m_h->app.reset();
        ProgramSettings().setValue("Ports/COM1", QString::fromLocal8Bit(writer.readLine()).trimmed());
        m_h->realPort = true;
        QVERIFY(m_h->Start(m_env->AppDir()));
        auto& image = m_h->app->Images();
        image.ProgramImage[0x3FE] = 0x94, image.ProgramImage[0x3FF] = 0x0C, image.EepromImage[0x3F] = 0x5A;
        QTest::mouseClick(Panel().Cmd_btn_program, Qt::LeftButton);
        QCOMPARE(m_h->Result(), QString("ベリファイ　FLASH : OK / EEPROM : OK 　プログラミング正常終了。"));
        Main().Action("mnuPC_buffer_clear")->trigger();
        QVERIFY(Erased(image));
        QString resultAtClick;
        QTimer::singleShot(30, &Main(), [&] {  // fires inside the read's waits
            QTest::mouseClick(Panel().Cmd_btn_erase, Qt::LeftButton);
            resultAtClick = m_h->Result();
        });
        QTest::mouseClick(Panel().Cmd_btn_read, Qt::LeftButton);
        QCOMPARE(resultAtClick, kBusy);
        QCOMPARE(m_h->Result(),
                 QString("プログラム・データメモリ、Ｆｕｓｅ・Ｌｏｃｋビットのリード終了しました。"));
        QCOMPARE((QList<int>{image.ProgramImage[0x3FE], image.ProgramImage[0x3FF], image.EepromImage[0x3F]}),
                 (QList<int>{0x94, 0x0C, 0x5A}));
        QCOMPARE(Panel().Lbl_READCALIB->text().size(), 2);  // the lock/fuse read inside shows the calibration
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main.moc"
