// The main window driven like a user: the device selector through the real list, the buffer-edit panel,
// the buffer clear, the window-layout commands, the status bar's port panel and the menus.

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

#include "AppHarness.h"
#include "TestEnvironment.h"
#include "devices/LockFuse.h"
#include "shell/FrmDump.h"
#include "shell/FrmIndex.h"
#include "shell/FrmMain.h"
#include "shell/FrmMsg.h"
#include "shell/HelpWindow.h"
#include "shell/SettingsPanel.h"

using namespace zendra;
using namespace zendra::test;
using shell::Socket;
using shell::TwipsRect;

Q_DECLARE_METATYPE(zendra::shell::TwipsRect)

namespace {

// The open message window's text, or "<closed>".
QString MessageShown(shell::Application& app) {
    shell::FrmMsg* window = app.Ui().Messages().Window();
    if (window == nullptr || !window->isVisible()) return QStringLiteral("<closed>");
    return window->txtMsg->text();
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void captions_data();
    void captions();
    void menus_data();
    void menus();
    void deviceProfiles_data();
    void deviceProfiles();
    void reselectingTheDeviceResetsPanelAndImages();
    void resetDisableWarningOnlyOnTheUsersChoice_data();
    void resetDisableWarningOnlyOnTheUsersChoice();
    void bufferEdit_data();
    void bufferEdit();
    void bufferClear();
    void windowLayout_data();
    void windowLayout();
    void windowMenuListsOpenChildren();
    void portPanelClick_data();
    void portPanelClick();
    void portCommands_data();
    void portCommands();
    void arrangeCommands_data();
    void arrangeCommands();
    void indexWindowClosedThenReopenedAtItsStoredPlace_data();
    void indexWindowClosedThenReopenedAtItsStoredPlace();
    void helpShowsTheGuideBesideTheProgram();

private:
    shell::frmMain& Main() { return m_h->app->MainWindow(); }
    shell::SettingsPanel& Panel() { return *Main().Panel(); }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<AppHarness> m_h;
};

void TestMainWindow::initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

void TestMainWindow::init() {
    ClearProgramSettings();
    WriteProgramSetting(QStringLiteral("Index_Com_Flag"), QStringLiteral("1"));
    m_h = std::make_unique<AppHarness>(m_env->AppDir());
    QCOMPARE(m_h->Start(), shell::Application::StartResult::Started);
}

void TestMainWindow::cleanup() { m_h.reset(); }

void TestMainWindow::captions_data() {
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* object, const char* property, const QString& expected) {
        QTest::newRow((QByteArray(object) + ' ' + property).constData()) << object << property << expected;
    };
    row("Cmd_btn_open", "text", "開く(&O)");
    row("Cmd_btn_reload", "text", "再ロード(&L)");
    row("Cmd_btn_reload", "toolTip", "HEXファイルの再ロード");
    row("Cmd_btn_program", "text", "ﾌﾟﾛｸﾞﾗﾑ(&P)");
    row("Frame1", "title", "デバイス選択");
    row("frmModify", "title", "PCバッファメモリ修正");
    row("Label1", "text", "アドレス:        (Hex)");
    row("Label2", "text", "デ ー タ:        (Hex)");
    row("txtAddress", "text", "0");
    row("txtData", "text", "FF");
    row("OptionProgram", "text", "PROGRAM");
    row("CmdWrite", "text", "PCﾊﾞｯﾌｧライト");
    row("Label5", "text", "ﾊﾞｯﾌｧ修正のみ。ﾃﾞﾊﾞｲｽには書込みません。");
    row("Frame4", "title", "Lock/Fuse ビット ＆ Calib.データ");
    row("Lbl_RSTDISABL", "text", "RSTDISBL");
    row("Combo_RSTDISABL", "toolTip", "ＰＢ５端子、リセット機能無効ビット");
    row("Combo_CKSEL", "toolTip", "リセットディレイセレクト　CKS[ Msb...Lsb ]");
    row("Lbl_READCALIB", "toolTip", "キャリブレーションリードデータ　表示のみ");
    row("cmdFuseWrite", "text", "Lock＆Fuseライト");
    row("Panel1", "toolTip", "メッセージ");
    row("Panel2", "toolTip", "Device Signeture Vender : Famiry : Part Number");
    row("Panel5", "toolTip", "処理時間");
    row("SettingWindow", "windowTitle", "設定ウインドウ");
}

void TestMainWindow::captions() {
    QFETCH(QString, object);
    QFETCH(QString, property);
    QFETCH(QString, expected);
    QObject* found = Main().findChild<QObject*>(object);
    QVERIFY2(found, qPrintable(object));
    QCOMPARE(found->property(property.toLatin1().constData()).toString(), expected);
}

void TestMainWindow::menus_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("items");  // object names, "-" for a separator
    QTest::newRow("file")
        << "mnuFile"
        << "ファイル(&F)"
        << QStringList{"mnuFileOpen",   "mnuFileOpenCode",   "mnuFileOpenData",   "-", "mnuFileSave", "-",
                       "mnuFileSaveAs", "mnuFileSaveAsCode", "mnuFileSaveAsData", "-", "mnuFileExit"};
    QTest::newRow("options") << "mmuComCheck"
                             << "オプション(&T)" << QStringList{"mmuCominucation", "mnuPC_buffer_clear"};
    QTest::newRow("window") << "mnuWindow"
                            << "ウインドウ(&W)"
                            << QStringList{"mmudeviceIndex",
                                           "mmuWindowReDrow",
                                           "-",
                                           "mmuOpenSettingWindow",
                                           "mmuOpenProgramWindow",
                                           "mmuOpenEEpromWindow",
                                           "-",
                                           "mnuWindowCascade",
                                           "mnuWindowTileHorizontal",
                                           "mnuWindowTileVertical",
                                           "mnuWindowArrangeIcons"};
    QTest::newRow("help") << "mnuHelp"
                          << "ヘルプ(&H)" << QStringList{"mmuIndex", "-",          "mnuFirmwareUpdate",
                                                         "-",        "mnuHelpSub", "mnuHelpAbout"};
}

void TestMainWindow::menus() {
    QFETCH(QString, menu);
    QFETCH(QString, caption);
    QFETCH(QStringList, items);
    auto* found = Main().menuBar()->findChild<QMenu*>(menu);
    QVERIFY(found);
    QCOMPARE(found->title(), caption);
    QStringList actual;
    for (QAction* action : found->actions())
        actual << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    QCOMPARE(actual, items);

    // Captions taken literally, and the reload item standing on the bar itself.
    QCOMPARE(Main().Action(QStringLiteral("mnuPC_buffer_clear"))->text(),
             QStringLiteral("PCバッファのクリア(%T)"));
    QAction* reload = Main().Action(QStringLiteral("mnuReLoad"));
    QCOMPARE(reload->text(), QStringLiteral("【HEXファイルの再ロード】"));
    QVERIFY(Main().menuBar()->actions().contains(reload));
    QVERIFY(reload->menu() == nullptr);
}

void TestMainWindow::deviceProfiles_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("words");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<bool>("readEnabled");
    QTest::addColumn<QString>("calibration");
    QTest::addColumn<bool>("clockSelect");
    QTest::addColumn<int>("socket");
    const int d08 = int(Socket::DUT_08), d20 = int(Socket::DUT_20), d20a = int(Socket::DUT_20A),
              d28 = int(Socket::DUT_28), d40 = int(Socket::DUT_40);
    QTest::newRow("0") << 0 << "ATtiny12L" << 0x55 << 512 << 64 << true << "?" << true << d08;
    QTest::newRow("1") << 1 << "ATtiny15L" << 0x56 << 512 << 64 << true << "?" << true << d08;
    QTest::newRow("2") << 2 << "ATtiny26L" << 0x59 << 1024 << 128 << true << "?" << true << d20a;
    QTest::newRow("3") << 3 << "AT90S2323" << 0x48 << 1024 << 128 << true << "-" << false << d08;
    QTest::newRow("4") << 4 << "AT90S2343" << 0x4C << 1024 << 128 << true << "-" << false << d08;
    QTest::newRow("5") << 5 << "AT90S1200 (外部ｸﾛｯｸ)" << 0x13 << 512 << 64 << false << "-" << false << d20;
    QTest::newRow("6") << 6 << "AT90S1200A(内部RCｸﾛｯｸ1MHz)" << 0x13 << 512 << 64 << false << "-" << false
                       << d20;
    QTest::newRow("7") << 7 << "AT90S2313" << 0x20 << 1024 << 128 << false << "-" << false << d20;
    QTest::newRow("8") << 8 << "AT90S4433" << 0x30 << 2048 << 256 << true << "-" << true << d28;
    QTest::newRow("9") << 9 << "AT90S4414" << 0x28 << 2048 << 256 << false << "-" << false << d40;
    QTest::newRow("10") << 10 << "AT90S4434" << 0x6C << 2048 << 256 << true << "-" << false << d40;
    QTest::newRow("11") << 11 << "AT90S8515" << 0x38 << 4096 << 512 << false << "-" << false << d40;
    QTest::newRow("12") << 12 << "AT90S8535" << 0x68 << 4096 << 512 << true << "-" << false << d40;
}

void TestMainWindow::deviceProfiles() {
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(int, code);
    QFETCH(int, words);
    QFETCH(int, bytes);
    QFETCH(bool, readEnabled);
    QFETCH(QString, calibration);
    QFETCH(bool, clockSelect);
    QFETCH(int, socket);

    // Start from another device so every value has to change.
    Pick(Panel().Combo_device, index == 12 ? 0 : 12);
    Pick(Panel().Combo_device, index);

    QCOMPARE(Panel().Combo_device->currentText(), name);
    const core::SharedState& state = m_h->app->State();
    QCOMPARE(int(state.DeviceCode), code);
    QCOMPARE(state.ProgramMemoryWords, words);
    QCOMPARE(state.EepromBytes, bytes);
    QCOMPARE(Panel().Label3->text(), QStringLiteral("ﾌﾟﾛｸﾞﾗﾑﾒﾓﾘ   :%1 word").arg(words));
    QCOMPARE(Panel().Label4->text(), QStringLiteral("EEPROMﾃﾞｰﾀﾒﾓﾘ:%1 byte").arg(bytes));
    QCOMPARE(ProgramSetting(QStringLiteral("device")), QString::number(index));
    QCOMPARE(Panel().cmdFuseRead->isEnabled(), readEnabled);
    QVERIFY(Panel().cmdFuseWrite->isEnabled());
    QVERIFY(!Panel().Combo_LockBit->isHidden());
    QCOMPARE(Panel().Combo_LockBit->currentText(), QStringLiteral("プロテクトなし"));
    QCOMPARE(Panel().Lbl_READCALIB->text(), calibration);
    QCOMPARE(Panel().Panel(core::PanelControl::CKSEL)->isEnabled(), clockSelect);
    QVERIFY(Panel().frmModify->isVisible());

    // The dump windows follow the new size: one line per 16 bytes.
    const QString programDump = Main().Dump(core::DumpWindow::Program)->View()->toPlainText();
    QCOMPARE(programDump.count(QLatin1Char('\n')) + (programDump.endsWith(QLatin1Char('\n')) ? 0 : 1),
             words / 8);
    const QString eepromDump = Main().Dump(core::DumpWindow::Eeprom)->View()->toPlainText();
    QCOMPARE(eepromDump.count(QLatin1Char('\n')) + (eepromDump.endsWith(QLatin1Char('\n')) ? 0 : 1),
             bytes / 16);

    // The index window points at the socket.
    shell::FrmIndex* index_window = m_h->app->IndexWindow();
    QVERIFY(index_window);
    for (int s = 0; s < shell::kSocketCount; ++s)
        QCOMPARE(index_window->FillColour(Socket(s)),
                 s == socket ? shell::kSocketSelected : shell::kSocketIdle);
}

void TestMainWindow::reselectingTheDeviceResetsPanelAndImages() {
    Pick(Panel().Combo_device, 2);  // ATtiny26L
    QComboBox* clock = Panel().Panel(core::PanelControl::CKSEL);
    const int defaultClock = clock->currentIndex();
    Pick(clock, 9);
    Pick(Panel().Combo_LockBit, 0);
    m_h->app->Images().ProgramImage[0] = 0x12;
    m_h->app->Images().EepromImage[5] = 0x34;

    Pick(Panel().Combo_device, 2);

    QCOMPARE(clock->currentIndex(), defaultClock);
    QCOMPARE(Panel().Combo_LockBit->currentIndex(), 2);
    QCOMPARE(m_h->app->Images().ProgramImage[0], quint8(0xFF));
    QCOMPARE(m_h->app->Images().EepromImage[5], quint8(0xFF));
}

void TestMainWindow::resetDisableWarningOnlyOnTheUsersChoice_data() {
    QTest::addColumn<int>("device");
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("warned");
    QTest::newRow("ATtiny12L PB5:I/O") << 0 << 0 << true;
    QTest::newRow("ATtiny15L PB5:I/O") << 1 << 0 << true;
    QTest::newRow("ATtiny26L PB7:I/O") << 2 << 0 << true;
    QTest::newRow("ATtiny26L PB7:Reset") << 2 << 1 << false;
}

void TestMainWindow::resetDisableWarningOnlyOnTheUsersChoice() {
    QFETCH(int, device);
    QFETCH(int, choice);
    QFETCH(bool, warned);
    Pick(Panel().Combo_device, 7);
    Pick(Panel().Combo_device, device);
    // Filling the panel for the device is no choice of the user: no warning.
    QCOMPARE(MessageShown(*m_h->app), QStringLiteral("<closed>"));

    Pick(Panel().Panel(core::PanelControl::RSTDISABL), choice);
    QCOMPARE(MessageShown(*m_h->app), warned ? devices::kResetDisableWarning : QStringLiteral("<closed>"));
}

void TestMainWindow::bufferEdit_data() {
    QTest::addColumn<bool>("eeprom");
    QTest::addColumn<QString>("address");  // typed key by key
    QTest::addColumn<QString>("data");     // typed key by key; empty: no write
    QTest::addColumn<QString>("shownAddress");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("cell");   // image index checked; -1 none
    QTest::addColumn<int>("value");  // its byte
    const QString flashRange = QStringLiteral("Flash アドレスが範囲を超えています．");
    const QString eepromRange = QStringLiteral("EEPROM アドレスが範囲を超えています．");
    const QString closed = QStringLiteral("<closed>");
    // ATtiny12L: 512 words, 64 bytes.
    QTest::newRow("flash 200 refused as typed") << false << "200"
                                                << ""
                                                << "200" << flashRange << -1 << 0;
    QTest::newRow("flash 1FF accepted") << false << "1FF"
                                        << ""
                                        << "1FF" << closed << -1 << 0;
    QTest::newRow("five digits cannot be typed") << false << "12345"
                                                 << ""
                                                 << "1234" << flashRange << -1 << 0;
    QTest::newRow("word 5 written high byte") << false << "10"
                                              << "5"
                                              << "10" << closed << 0x20 << 0x00;
    QTest::newRow("word 5 written low byte") << false << "10"
                                             << "5"
                                             << "10" << closed << 0x21 << 0x05;
    QTest::newRow("word 1234 high byte") << false << "1FF"
                                         << "1234"
                                         << "1FF" << closed << 0x3FE << 0x12;
    QTest::newRow("eeprom 1AB keeps low byte") << true << "3"
                                               << "1AB"
                                               << "3" << closed << 3 << 0xAB;
    QTest::newRow("eeprom 40 refused") << true << "40"
                                       << ""
                                       << "40" << eepromRange << -1 << 0;
    QTest::newRow("bad digit") << false << "1G"
                               << ""
                               << "1G" << QStringLiteral("入力データに誤りがあります．") << -1 << 0;
}

void TestMainWindow::bufferEdit() {
    QFETCH(bool, eeprom);
    QFETCH(QString, address);
    QFETCH(QString, data);
    QFETCH(QString, shownAddress);
    QFETCH(QString, message);
    QFETCH(int, cell);
    QFETCH(int, value);

    (eeprom ? Panel().OptionEeprom : Panel().OptionProgram)->setChecked(true);
    Panel().txtAddress->clear();
    QTest::keyClicks(Panel().txtAddress, address);
    QCOMPARE(Panel().txtAddress->text(), shownAddress);
    // Validation runs at each keystroke, with no button pressed.
    QCOMPARE(MessageShown(*m_h->app), message);

    if (data.isEmpty()) return;
    Panel().txtData->clear();
    QTest::keyClicks(Panel().txtData, data);
    QTest::mouseClick(Panel().CmdWrite, Qt::LeftButton);
    const auto& images = m_h->app->Images();
    QCOMPARE(int(eeprom ? images.EepromImage[cell] : images.ProgramImage[cell]), value);

    // Reading the cell back shows it as the panel writes it.
    QTest::mouseClick(Panel().CmdRead, Qt::LeftButton);
    const QString expected = eeprom ? QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper()
                                    : QStringLiteral("%1%2")
                                          .arg(images.ProgramImage[cell & ~1], 2, 16, QLatin1Char('0'))
                                          .arg(images.ProgramImage[cell | 1], 2, 16, QLatin1Char('0'))
                                          .toUpper();
    QCOMPARE(Panel().txtData->text(), expected);
    // The dump window shows the change.
    const auto which = eeprom ? core::DumpWindow::Eeprom : core::DumpWindow::Program;
    QVERIFY(Main().Dump(which)->View()->toPlainText().contains(expected + QLatin1Char(' ')));
}

void TestMainWindow::bufferClear() {
    Pick(Panel().Combo_device, 8);
    m_h->app->Images().ProgramImage[10] = 0;
    m_h->app->Images().ProgramImage[65536] = 0;
    m_h->app->Images().EepromImage[2048] = 0;
    WriteProgramSetting(QStringLiteral("device"), QStringLiteral("3"));

    Main().Action(QStringLiteral("mnuPC_buffer_clear"))->trigger();

    const auto& images = m_h->app->Images();
    QVERIFY(std::all_of(images.ProgramImage.begin(), images.ProgramImage.end(),
                        [](quint8 b) { return b == 0xFF; }));
    QVERIFY(std::all_of(images.EepromImage.begin(), images.EepromImage.end(),
                        [](quint8 b) { return b == 0xFF; }));
    QCOMPARE(Main().StatusPanel(1)->text(), QStringLiteral("バッファーをクリアしました。"));
    // The selection is applied again, so the selector's device is stored once more.
    QCOMPARE(ProgramSetting(QStringLiteral("device")), QStringLiteral("8"));
    QVERIFY(Main()
                .Dump(core::DumpWindow::Program)
                ->View()
                ->toPlainText()
                .startsWith(QStringLiteral("0000: FFFF")));
}

void TestMainWindow::windowLayout_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("windows");
    QTest::addColumn<QList<TwipsRect>>("places");
    QTest::newRow("settings") << "mmuOpenSettingWindow" << QStringList{"SettingWindow"}
                              << QList<TwipsRect>{{7000, 50, 4100, 6050}};
    QTest::newRow("program") << "mmuOpenProgramWindow" << QStringList{"frmProgramWindow"}
                             << QList<TwipsRect>{{50, 50, 6900, 4000}};
    QTest::newRow("eeprom") << "mmuOpenEEpromWindow" << QStringList{"frmEEpromWindow"}
                            << QList<TwipsRect>{{50, 4100, 6900, 2000}};
    QTest::newRow("all three") << "mmuWindowReDrow"
                               << QStringList{"SettingWindow", "frmProgramWindow", "frmEEpromWindow"}
                               << QList<TwipsRect>{
                                      {7000, 50, 4100, 6050}, {50, 50, 6900, 4000}, {50, 4100, 6900, 2000}};
}

void TestMainWindow::windowLayout() {
    QFETCH(QString, command);
    QFETCH(QStringList, windows);
    QFETCH(QList<TwipsRect>, places);
    // Every window out of place first: moved, minimised or closed.
    QList<QMdiSubWindow*> children;
    for (const QString& name : windows) {
        auto* child = Main().findChild<QMdiSubWindow*>(name);
        QVERIFY2(child, qPrintable(name));
        children << child;
    }
    children[0]->showMinimized();
    if (children.size() > 1) children[1]->close();
    if (children.size() > 2) children[2]->setGeometry(1, 1, 30, 30);

    Main().Action(command)->trigger();

    const double dpi = shell::LogicalDpi(&Main());
    for (int i = 0; i < children.size(); ++i) {
        QVERIFY(children[i]->isVisible());
        QVERIFY(!children[i]->isMinimized());
        QCOMPARE(children[i]->geometry(), shell::TwipsToPixels(places[i], dpi));
    }
}

void TestMainWindow::windowMenuListsOpenChildren() {
    QMdiSubWindow* eeprom = Main().DumpSubWindow(core::DumpWindow::Eeprom);
    eeprom->close();
    auto* menu = Main().menuBar()->findChild<QMenu*>(QStringLiteral("mnuWindow"));
    Q_EMIT menu->aboutToShow();
    QStringList listed;
    QAction* programItem = nullptr;
    for (QAction* action : menu->actions()) {
        if (!action->objectName().isEmpty() || action->isSeparator()) continue;
        listed << action->text();
        if (action->text().endsWith(QStringLiteral("プログラムメモリ"))) programItem = action;
    }
    QCOMPARE(listed,
             (QStringList{QStringLiteral("&1 設定ウインドウ"), QStringLiteral("&2 プログラムメモリ")}));
    QVERIFY(programItem);
    Main().MdiArea()->setActiveSubWindow(Main().SettingWindow());
    programItem->trigger();
    QCOMPARE(Main().MdiArea()->activeSubWindow(), Main().DumpSubWindow(core::DumpWindow::Program));
}

void TestMainWindow::portPanelClick_data() {
    QTest::addColumn<int>("panel");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("opens");
    QTest::newRow("COM3") << 4 << "COM3" << true;
    QTest::newRow("COM12") << 4 << "COM12" << true;
    QTest::newRow("start-up text") << 4 << "COM?" << true;
    QTest::newRow("panel 1") << 1 << "" << false;
    QTest::newRow("panel 2") << 2 << "--:--:--" << false;
    QTest::newRow("panel 3") << 3 << "KX-WRT540 V6.35" << false;
    QTest::newRow("panel 5") << 5 << "12秒" << false;
    // The rule is the text, not the panel.
    QTest::newRow("panel 1 showing COM") << 1 << "COMポート" << true;
}

void TestMainWindow::portPanelClick() {
    QFETCH(int, panel);
    QFETCH(QString, text);
    QFETCH(bool, opens);
    Main().StatusPanel(panel)->setText(text);
    QTest::mouseClick(Main().StatusPanel(panel), Qt::LeftButton);
    QCOMPARE(m_h->modals, opens ? QStringList{QStringLiteral("frmCom")} : QStringList{});
}

void TestMainWindow::portCommands_data() {
    QTest::addColumn<bool>("button");
    QTest::addColumn<bool>("clearsPanel");
    QTest::newRow("button") << true << true;
    QTest::newRow("menu") << false << true;
}

void TestMainWindow::portCommands() {
    QFETCH(bool, button);
    QFETCH(bool, clearsPanel);
    QString panelAtDialog = QStringLiteral("<not shown>");
    m_h->answerModal = [&](QDialog& dialog) {
        panelAtDialog = Main().StatusPanel(1)->text();
        dialog.reject();
    };
    Main().StatusPanel(1)->setText(QStringLiteral("earlier result"));
    if (button)
        QTest::mouseClick(Panel().Cmd_btn_comselect, Qt::LeftButton);
    else
        Main().Action(QStringLiteral("mmuCominucation"))->trigger();
    QCOMPARE(m_h->modals, QStringList{QStringLiteral("frmCom")});
    QCOMPARE(panelAtDialog.isEmpty(), clearsPanel);
}

void TestMainWindow::arrangeCommands_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("cascade") << "mnuWindowCascade";
    QTest::newRow("one above the other") << "mnuWindowTileHorizontal";
    QTest::newRow("side by side") << "mnuWindowTileVertical";
}

void TestMainWindow::arrangeCommands() {
    QFETCH(QString, command);
    const QList<QMdiSubWindow*> children{Main().SettingWindow(),
                                         Main().DumpSubWindow(core::DumpWindow::Program),
                                         Main().DumpSubWindow(core::DumpWindow::Eeprom)};
    for (QMdiSubWindow* child : children) child->setGeometry(10, 10, 200, 150);
    Main().Action(command)->trigger();
    const QRect area = Main().MdiArea()->viewport()->rect();
    QList<QRect> places;
    for (QMdiSubWindow* child : children) places << child->geometry();
    if (command == QLatin1String("mnuWindowCascade")) {
        // Each window further right and lower than the one before it.
        QSet<int> lefts, tops;
        for (const QRect& r : places) lefts << r.left(), tops << r.top();
        QCOMPARE(lefts.size(), 3);
        QCOMPARE(tops.size(), 3);
        return;
    }
    const bool sideBySide = command == QLatin1String("mnuWindowTileVertical");
    int covered = 0;
    for (int i = 0; i < places.size(); ++i) {
        const QRect& r = places[i];
        QCOMPARE(sideBySide ? r.height() : r.width(), sideBySide ? area.height() : area.width());
        for (int j = i + 1; j < places.size(); ++j) QVERIFY(!r.intersects(places[j]));
        covered += sideBySide ? r.width() : r.height();
    }
    QCOMPARE(covered, sideBySide ? area.width() : area.height());
}

void TestMainWindow::indexWindowClosedThenReopenedAtItsStoredPlace_data() {
    QTest::addColumn<QString>("item");
    QTest::newRow("window menu") << "mmudeviceIndex";
    QTest::newRow("help menu") << "mmuIndex";
}

void TestMainWindow::indexWindowClosedThenReopenedAtItsStoredPlace() {
    QFETCH(QString, item);
    WriteProgramSetting(QStringLiteral("IndLeft"), QStringLiteral("1500"));
    WriteProgramSetting(QStringLiteral("IndTop"), QStringLiteral("750"));
    QPointer<shell::FrmIndex> first = m_h->app->IndexWindow();
    QVERIFY(first);
    first->move(300, 200);
    first->close();
    QTRY_VERIFY(first.isNull());
    // Selections while it is gone reach no deleted window.
    Pick(Panel().Combo_device, 8);

    Main().Action(item)->trigger();

    shell::FrmIndex* again = m_h->app->IndexWindow();
    QVERIFY(again && again->isVisible());
    QCOMPARE(again->pos(), shell::TwipsToPixels(1500, 750, shell::LogicalDpi(&Main())));
    QCOMPARE(again->FillColour(Socket::DUT_28), shell::kSocketSelected);
}

void TestMainWindow::helpShowsTheGuideBesideTheProgram() {
    const QString source =
        QDir::cleanPath(QStringLiteral(ZENDRA_TEST_DATA_DIR "/../../../src/shell/zendra.hlp"));
    QFile::remove(m_env->AppDir() + QStringLiteral("zendra.hlp"));
    QVERIFY(QFile::copy(source, m_env->AppDir() + QStringLiteral("zendra.hlp")));
    Main().Action(QStringLiteral("mnuHelpSub"))->trigger();
    shell::HelpWindow* help = m_h->app->Help();
    QVERIFY(help && help->isVisible());
    QFile file(source);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QTextDocument expected;
    expected.setHtml(QString::fromUtf8(file.readAll()));
    QCOMPARE(help->Browser()->toPlainText(), expected.toPlainText());
    QCOMPARE(help->Browser()->textCursor().position(), 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main.moc"
