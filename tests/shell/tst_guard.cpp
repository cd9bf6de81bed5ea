// One operation at a time: while a command waits for a silent writer, everything that would put bytes
// between its bytes, or change what it works on, is refused with the busy text and leaves no trace;
// window work still runs; a close asked for meanwhile waits until the operation has ended.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTest>

#include "AppHarness.h"
#include "TestEnvironment.h"
#include "core/OperationGuard.h"
#include "image/Dumps.h"
#include "shell/FrmMain.h"
#include "shell/FrmMsg.h"
#include "shell/SettingsPanel.h"

using namespace zendra;
using namespace zendra::test;
using core::PanelControl;

namespace {

using Action = std::function<void(shell::frmMain&)>;

Action ClickButton(QPushButton* shell::SettingsPanel::*button) {
    return [button](shell::frmMain& main) { QTest::mouseClick(main.Panel()->*button, Qt::LeftButton); };
}

Action TriggerItem(const char* name) {
    return [name](shell::frmMain& main) { main.Action(QString::fromLatin1(name))->trigger(); };
}

Action PickDevice(int index) {
    return [index](shell::frmMain& main) { Pick(main.Panel()->Combo_device, index); };
}

Action PickChoice(PanelControl control, int index) {
    return [control, index](shell::frmMain& main) { Pick(main.Panel()->Panel(control), index); };
}

// Everything a refused command could have changed.
struct Trace {
    int writes = 0;
    int modals = 0;
    int fileRequests = 0;
    int boxes = 0;
    QString deviceText;
    QList<int> choices;
    QByteArray program;
    QByteArray eeprom;
    QString storedDevice;
    bool messageOpen = false;

    static Trace Of(AppHarness& h) {
        Trace t;
        t.writes = int(h.port.Writes().size());
        t.modals = int(h.modals.size());
        t.fileRequests = int(h.fileRequests.size());
        t.boxes = int(h.boxes.size());
        shell::frmMain& main = h.app->MainWindow();
        t.deviceText = main.Panel()->Combo_device->currentText();
        for (int c = 0; c < core::kPanelControlCount; ++c)
            t.choices << main.Panel()->Panel(PanelControl(c))->currentIndex();
        const auto& images = h.app->Images();
        t.program = QByteArray(reinterpret_cast<const char*>(images.ProgramImage.data()),
                               int(images.ProgramImage.size()));
        t.eeprom = QByteArray(reinterpret_cast<const char*>(images.EepromImage.data()),
                              int(images.EepromImage.size()));
        t.storedDevice = ProgramSetting(QStringLiteral("device"));
        t.messageOpen = h.app->Ui().Messages().Window() != nullptr &&
                        h.app->Ui().Messages().Window()->txtMsg->text().startsWith(QStringLiteral("ＰＢ５"));
        return t;
    }
};

}  // namespace

Q_DECLARE_METATYPE(Action)

class TestOperationGuard : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void refusedWhileAnOperationWaits_data();
    void refusedWhileAnOperationWaits();
    void windowWorkRunsWhileAnOperationWaits();
    void commandsRunAgainOnceTheOperationEnded();
    void closeWaitsForTheRunningOperation_data();
    void closeWaitsForTheRunningOperation();
    void closeWaitsForAGuardHeldOutsideTheMainWindow();

private:
    // Starts `operation` against a writer that never answers and runs `during` at its first wait.
    void DuringOperation(const Action& operation, const std::function<void()>& during);

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<AppHarness> m_h;
};

void TestOperationGuard::initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

void TestOperationGuard::init() {
    ClearProgramSettings();
    WriteProgramSetting(QStringLiteral("Index_Com_Flag"), QStringLiteral("1"));
    WriteProgramSetting(QStringLiteral("ComNox"), QStringLiteral("1"));
    WriteProgramSetting(QStringLiteral("device"), QStringLiteral("0"));
    m_h = std::make_unique<AppHarness>(m_env->AppDir());
    QCOMPARE(m_h->Start(), shell::Application::StartResult::Started);
}

void TestOperationGuard::cleanup() { m_h.reset(); }

void TestOperationGuard::DuringOperation(const Action& operation, const std::function<void()>& during) {
    bool ran = false;
    m_h->timing.onAdvance = [&] {
        if (ran) return;
        ran = true;
        QVERIFY(m_h->app->Guard().IsBusy());
        during();
    };
    operation(m_h->app->MainWindow());
    m_h->timing.onAdvance = nullptr;
    QVERIFY2(ran, "the operation never waited for the writer");
    QVERIFY(!m_h->app->Guard().IsBusy());
}

void TestOperationGuard::refusedWhileAnOperationWaits_data() {
    QTest::addColumn<Action>("operation");
    QTest::addColumn<Action>("attempt");
    using P = shell::SettingsPanel;
    const Action program = ClickButton(&P::Cmd_btn_program);
    const Action fuseRead = ClickButton(&P::cmdFuseRead);

    QTest::newRow("program, program") << program << program;
    QTest::newRow("program, read") << program << ClickButton(&P::Cmd_btn_read);
    QTest::newRow("program, verify") << program << ClickButton(&P::Cmd_btn_verify);
    QTest::newRow("program, erase") << program << ClickButton(&P::Cmd_btn_erase);
    QTest::newRow("program, lock/fuse read") << program << fuseRead;
    QTest::newRow("program, lock/fuse write") << program << ClickButton(&P::cmdFuseWrite);
    QTest::newRow("program, port button") << program << ClickButton(&P::Cmd_btn_comselect);
    QTest::newRow("program, port menu") << program << TriggerItem("mmuCominucation");
    QTest::newRow("program, port panel")
        << program
        << Action([](shell::frmMain& main) { QTest::mouseClick(main.StatusPanel(4), Qt::LeftButton); });
    QTest::newRow("program, firmware update") << program << TriggerItem("mnuFirmwareUpdate");
    QTest::newRow("program, open button") << program << ClickButton(&P::Cmd_btn_open);
    QTest::newRow("program, save button") << program << ClickButton(&P::Cmd_btn_save);
    QTest::newRow("program, reload button") << program << ClickButton(&P::Cmd_btn_reload);
    QTest::newRow("program, open code") << program << TriggerItem("mnuFileOpenCode");
    QTest::newRow("program, open data") << program << TriggerItem("mnuFileOpenData");
    QTest::newRow("program, overwrite") << program << TriggerItem("mnuFileSave");
    QTest::newRow("program, save code as") << program << TriggerItem("mnuFileSaveAsCode");
    QTest::newRow("program, reload item") << program << TriggerItem("mnuReLoad");
    QTest::newRow("program, buffer clear") << program << TriggerItem("mnuPC_buffer_clear");
    QTest::newRow("program, buffer write") << program << Action([](shell::frmMain& main) {
        main.Panel()->txtAddress->setText(QStringLiteral("0"));
        main.Panel()->txtData->setText(QStringLiteral("1234"));
        QTest::mouseClick(main.Panel()->CmdWrite, Qt::LeftButton);
    });
    QTest::newRow("program, other device") << program << PickDevice(8);
    QTest::newRow("program, same device again") << program << PickDevice(0);
    QTest::newRow("program, clock choice") << program << PickChoice(PanelControl::CKSEL, 7);
    QTest::newRow("program, lock choice") << program << PickChoice(PanelControl::LockBit, 0);
    QTest::newRow("program, reset pin to I/O") << program << PickChoice(PanelControl::RSTDISABL, 0);
    QTest::newRow("read, device") << ClickButton(&P::Cmd_btn_read) << PickDevice(2);
    QTest::newRow("verify, buffer clear")
        << ClickButton(&P::Cmd_btn_verify) << TriggerItem("mnuPC_buffer_clear");
    QTest::newRow("erase, program") << ClickButton(&P::Cmd_btn_erase) << program;
    QTest::newRow("lock/fuse read, lock choice") << fuseRead << PickChoice(PanelControl::LockBit, 1);
    QTest::newRow("lock/fuse write, clock choice")
        << ClickButton(&P::cmdFuseWrite) << PickChoice(PanelControl::CKSEL, 3);
    QTest::newRow("lock/fuse read, open") << fuseRead << TriggerItem("mnuFileOpen");
}

void TestOperationGuard::refusedWhileAnOperationWaits() {
    QFETCH(Action, operation);
    QFETCH(Action, attempt);
    shell::frmMain& main = m_h->app->MainWindow();
    m_h->app->Images().ProgramImage[4] = 0x42;
    m_h->app->Images().EepromImage[1] = 0x24;

    DuringOperation(operation, [&] {
        main.StatusPanel(1)->clear();
        const Trace before = Trace::Of(*m_h);
        attempt(main);
        const Trace after = Trace::Of(*m_h);
        QCOMPARE(main.StatusPanel(1)->text(), core::kBusyText);
        QCOMPARE(after.writes, before.writes);
        QCOMPARE(after.modals, before.modals);
        QCOMPARE(after.fileRequests, before.fileRequests);
        QCOMPARE(after.boxes, before.boxes);
        QCOMPARE(after.deviceText, before.deviceText);
        QCOMPARE(after.choices, before.choices);
        QVERIFY(after.program == before.program);
        QVERIFY(after.eeprom == before.eeprom);
        QCOMPARE(after.storedDevice, before.storedDevice);
        QVERIFY(!after.messageOpen);
    });
}

void TestOperationGuard::windowWorkRunsWhileAnOperationWaits() {
    shell::frmMain& main = m_h->app->MainWindow();
    QMdiSubWindow* program = main.DumpSubWindow(core::DumpWindow::Program);
    m_h->app->Images().ProgramImage[0] = 0x12;
    m_h->app->Images().ProgramImage[1] = 0x34;
    DuringOperation(ClickButton(&shell::SettingsPanel::Cmd_btn_program), [&] {
        main.StatusPanel(1)->clear();
        program->showMinimized();
        main.Action(QStringLiteral("mmuOpenProgramWindow"))->trigger();
        QVERIFY(!program->isMinimized());
        // Reading a cell of the buffer changes nothing and is allowed.
        main.Panel()->txtAddress->setText(QStringLiteral("0"));
        QTest::mouseClick(main.Panel()->CmdRead, Qt::LeftButton);
        QCOMPARE(main.Panel()->txtData->text(), QStringLiteral("1234"));
        QVERIFY(main.StatusPanel(1)->text() != core::kBusyText);
    });
}

void TestOperationGuard::commandsRunAgainOnceTheOperationEnded() {
    shell::frmMain& main = m_h->app->MainWindow();
    DuringOperation(ClickButton(&shell::SettingsPanel::Cmd_btn_verify), [&] {
        main.Action(QStringLiteral("mnuPC_buffer_clear"))->trigger();
        QCOMPARE(main.StatusPanel(1)->text(), core::kBusyText);
    });
    main.Action(QStringLiteral("mnuPC_buffer_clear"))->trigger();
    QCOMPARE(main.StatusPanel(1)->text(), QStringLiteral("バッファーをクリアしました。"));
    Pick(main.Panel()->Combo_device, 9);
    QCOMPARE(main.Panel()->Combo_device->currentText(), QStringLiteral("AT90S4414"));
    QCOMPARE(ProgramSetting(QStringLiteral("device")), QStringLiteral("9"));
}

void TestOperationGuard::closeWaitsForTheRunningOperation_data() {
    QTest::addColumn<Action>("closing");
    QTest::newRow("close box") << Action([](shell::frmMain& main) { main.close(); });
    QTest::newRow("exit item") << TriggerItem("mnuFileExit");
}

void TestOperationGuard::closeWaitsForTheRunningOperation() {
    QFETCH(Action, closing);
    shell::frmMain& main = m_h->app->MainWindow();
    const QString dump = m_h->ScratchFile(image::kProgramDumpFile);
    QVERIFY(QFile::exists(dump));
    int writesAfterClose = -1;
    DuringOperation(ClickButton(&shell::SettingsPanel::Cmd_btn_program), [&] {
        closing(main);
        QCOMPARE(main.StatusPanel(1)->text(), QStringLiteral("処理の終了を待っています。"));
        QVERIFY(main.isVisible());
        QCOMPARE(m_h->ended, 0);
        QVERIFY(QFile::exists(dump));
        writesAfterClose = int(m_h->port.Writes().size());
    });
    // The operation carried on to its own end with the windows in place.
    QVERIFY(m_h->port.Writes().size() > writesAfterClose);
    // Then the normal shutdown.
    QTRY_COMPARE(m_h->ended, 1);
    QVERIFY(!main.isVisible());
    QVERIFY(!QFile::exists(dump));
    QVERIFY(!m_h->port.IsOpen());
    QVERIFY(ProgramSetting(QStringLiteral("MainWidth")) != QStringLiteral("<absent>"));
}

void TestOperationGuard::closeWaitsForAGuardHeldOutsideTheMainWindow() {
    // As the update dialog does during a transfer.
    auto hold = m_h->app->Guard().TryEnter();
    QVERIFY(hold);
    shell::frmMain& main = m_h->app->MainWindow();
    main.close();
    QTest::qWait(250);
    QVERIFY(main.isVisible());
    QCOMPARE(m_h->ended, 0);
    hold.reset();
    QTRY_COMPARE(m_h->ended, 1);
    QVERIFY(!main.isVisible());
}

QTEST_MAIN(TestOperationGuard)
#include "tst_guard.moc"
