// The port dialog and the firmware update dialog offscreen against scripted ports on a fake clock: the port
// dialog's preselection, OK / CANCEL outcomes and path assignment; the update dialog's port choice and row,
// the version read, the file choice, refusals while the writer is busy, and closing back to the main link.

#include <QtTest>
#include <QtWidgets>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "UpdateWriter.h"
#include "link/LinkTexts.h"
#include "link/PortMap.h"
#include "link/PortWatcher.h"
#include "shell/DialogUpdate.h"
#include "shell/FrmCom.h"
#include "shell/PortRow.h"
#include "update/UpdateTexts.h"

using namespace zendra;
using namespace zendra::test;
using shell::DialogUpdate;

namespace {

// The main link on a fake clock, the windows as a recorder, settings in memory and the ports detected.
struct Link {
    FakeTiming timing;
    ScriptedPort port{timing};
    RecordingUi ui;
    core::SharedState state;
    MemorySettings settings;
    QList<link::DetectedPort> detected;
    link::PortMap ports{settings, [this] { return detected; }};
    shell::WriterContext ctx{port, timing, ui, state, settings, ports};
};

const QString kNoPort = QStringLiteral("ポートが選ばれていません。");
// Why the scripted port refuses to open, as the system would say it.
const QString kWhy = QStringLiteral("in use");
QString Failed(const char* com) {
    return com + QStringLiteral(" のオープンに失敗しました。\rポート番号を再設定してください。");
}

// Detected ports "/dev/ttyS0".."/dev/ttyS3"; "ComNox" as given ("-": absent); an earlier connection open.
struct Rig : Link {
    explicit Rig(const QString& comNox) {
        for (int i = 0; i < 4; ++i)
            detected.append({QStringLiteral("/dev/ttyS%1").arg(i), QStringLiteral("serial %1").arg(i)});
        if (comNox != QLatin1String("-")) settings.values.insert(QStringLiteral("Settings/ComNox"), comNox);
        port.Open(QStringLiteral("/dev/ttyS0"));
        ui.Status(core::StatusField::Result, QStringLiteral("old"));
    }
    QString ComNox() const {
        return settings.values.value(QStringLiteral("Settings/ComNox"), QStringLiteral("-"));
    }
};

// "ComNox" before and after ("-": absent); the number preselected and the row's device text on opening;
// pick -1 keeps the preselection; refused: a path whose open fails; press: ok, cancel or esc; box: the one
// critical box (empty: none, the dialog closes); assign: a path for the pick.
struct Case {
    QString stored = "-";
    int selected = 0;
    QString device = kNoPort;
    int pick = -1;
    QString refused = {}, press = "ok", comNox, box = {}, panel1 = {}, assign = {};
};

// An adapter picked from the list (or a path typed), tied to its by-id link or not, with what the row
// shows and what COM1 is stored as ("<link>": the FTDI adapter's link; "<dev>/x": a device of the fake folder).
struct Adapter {
    int pick = -1;
    QString typed = {}, stored = {}, details = {};
    bool tie = false, tieOffered = false;
    QString before = {};  // Ports/COM1 when the dialog opens
};

const TestEnvironment kEnv;
const QString kUart0 = "/dev/ttyFAKE0", kUart1 = "/dev/ttyFAKE1", kMain2 = "/dev/ttyMAIN2";
const Words kFirmware = Firmware(0x1EDC, 0x1F00);  // the bar shows 7900, then goes back at 0x1F00

const QByteArray kVersion17 = "KX-WRT540 V6.35\r\n";

// `shown`: in the status panel, or in the one box.
struct Version {
    QString com = "1";
    bool refuse = false;  // the device refuses to open
    QByteArray reply = kVersion17;
    int delayMs = 0;
    QString shown;
};
// 閉じる after a version read, Escape, the close box, or 閉じる with nothing read.
enum How { CloseButton, Escape, CloseBox, CloseButtonOnly };
struct Closing {
    QString comNox = "2";
    How how = CloseButton;
    QString mainPath = kMain2;
};

// The main link on "/dev/ttyMAIN"; "Settings6/Com" as given ("-": absent).
struct Bench : Link {
    explicit Bench(const QString& com = "1") {
        detected = {{kUart1, ""}, {kUart0, "UART"}};
        writer.Attach(own), port.Open("/dev/ttyMAIN");
        state.AppDir = state.ScratchDir = kEnv.AppDir();
        if (com != "-") settings.values.insert("Settings6/Com", com);
    }
    UpdateWriter writer;
    std::unique_ptr<ScriptedPort> owned = std::make_unique<ScriptedPort>(timing);
    ScriptedPort& own = *owned;  // the dialog's own port once it is opened
    core::OperationGuard guard;
    std::unique_ptr<DialogUpdate> dialog;

    DialogUpdate& Open() {
        dialog = std::make_unique<DialogUpdate>(nullptr, ctx, guard, [this] { return std::move(owned); });
        dialog->show();
        return *dialog;
    }
    QString Status() const { return dialog->StatusPanel1->text(); }
    QString Box() const { return ui.boxes.size() == 1 ? ui.boxes[0].text : QString::number(ui.boxes.size()); }
    void ChooseFirmware() {
        ui.fileAnswers.enqueue(WriteFile(kEnv.AppDir() + "kxfw635.hex", WordsFile(kFirmware)));
        QTest::mouseClick(dialog->CmdOpen, Qt::LeftButton);
    }
};

bool IsRed(const QLabel* label) {
    return label->autoFillBackground() && label->palette().color(QPalette::Window) == QColor(255, 0, 0);
}

}  // namespace

Q_DECLARE_METATYPE(Adapter)
Q_DECLARE_METATYPE(Case)
Q_DECLARE_METATYPE(Version)
Q_DECLARE_METATYPE(Closing)

class TestPortDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void adapters_data() {
        QTest::addColumn<Adapter>("a");
        const auto row = [](const char* tag, const Adapter& a) { QTest::newRow(tag) << a; };
        const QString ftdi = "FT232R USB UART  USB 0403:6001  S/N A50285BI  応答待ち時間 (latency_timer) 16 ms";
        // clang-format off
        row("FTDI tied to its link", {.pick = 1, .stored = "<link>", .details = ftdi + "\n<link>", .tie = true, .tieOffered = true});
        row("no link: its path", {.pick = 2, .stored = "<dev>/ttyUSB1", .details = "CP2102 USB to UART  USB 10c4:ea60", .tie = true});
        row("typed path", {.typed = "/tmp/kxwrt-sim", .stored = "/tmp/kxwrt-sim", .tie = true});
        row("stored link names its adapter", {.stored = "<link>", .details = ftdi + "\n<link>", .tieOffered = true, .before = "<link>"});
        // clang-format on
    }
    void adapters() {
        QFETCH(Adapter, a);
        QTemporaryDir tmp;
        QDir root(tmp.path());
        root.mkpath("dev"), root.mkpath("by-id");
        const QString dev = root.filePath("dev"), link = root.filePath("by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
        for (const char* name : {"ttyUSB0", "ttyUSB1", "ttyS0"}) {
            QFile f(dev + "/" + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(dev + "/ttyUSB0", link));
        const auto expand = [&](QString t) { return t.replace("<link>", link).replace("<dev>", dev); };
        Rig rig("1");
        rig.detected = {{dev + "/ttyUSB1", "CP2102 USB to UART", "10c4:ea60"},
                        {dev + "/ttyS0", ""},
                        {dev + "/ttyUSB0", "FT232R USB UART", "0403:6001", "A50285BI", {}, 16}};
        rig.ctx.byIdFolder = root.filePath("by-id");
        if (!a.before.isEmpty()) rig.settings.values.insert("Ports/COM1", expand(a.before));
        shell::FrmCom dialog(rig.ctx);
        shell::PortRow& row = *dialog.portRow;
        // Every detected adapter with what tells it apart, ordered by path.
        QCOMPARE(row.Combo_path->itemText(0), dev + "/ttyS0");
        QCOMPARE(row.Combo_path->itemText(1),
                 dev + "/ttyUSB0  FT232R USB UART  USB 0403:6001  S/N A50285BI  応答待ち時間 (latency_timer) 16 ms");
        QCOMPARE(row.Combo_path->itemText(2), dev + "/ttyUSB1  CP2102 USB to UART  USB 10c4:ea60");
        // An adapter plugged in, then pulled out, while the dialog is open: the list follows, the entry stays.
        const QString entered = row.Combo_path->currentText();
        for (const bool plugged : {true, false}) {
            plugged ? rig.detected.append({dev + "/ttyACM0", "Plugged"}) : rig.detected.removeLast();
            Q_EMIT row.portWatcher->PortsChanged();
            QCOMPARE(row.Combo_path->itemText(0), plugged ? dev + "/ttyACM0  Plugged" : dev + "/ttyS0");
            QCOMPARE(row.Combo_path->currentText(), entered);
        }
        if (a.pick >= 0) {
            row.Combo_path->setCurrentIndex(a.pick);
            Q_EMIT row.Combo_path->activated(a.pick);
            QVERIFY(row.Combo_path->itemText(a.pick).startsWith(row.Combo_path->currentText() + "  ") ||
                    row.Combo_path->itemText(a.pick) == row.Combo_path->currentText());  // only the path goes in the box
            QVERIFY(row.Combo_path->currentText().startsWith(dev + "/tty"));
        }
        if (!a.typed.isEmpty()) row.Combo_path->setEditText(a.typed);
        QCOMPARE(row.Label_details->text(), expand(a.details));
        QCOMPARE(row.Check_byId->isEnabled(), a.tieOffered);
        row.Check_byId->setChecked(a.tie);
        if (!a.before.isEmpty()) {
            QCOMPARE(rig.ports.Resolve(1), expand(a.stored));
            return;
        }
        QTest::mouseClick(row.Command_assign, Qt::LeftButton);
        QCOMPARE(rig.settings.values.value("Ports/COM1"), expand(a.stored));
        if (a.stored != QLatin1String("<link>")) return;
        // Replugged: the adapter comes back under another name, another adapter took its old one.
        QVERIFY(QFile::remove(link) && QFile::link(dev + "/ttyUSB1", link));
        QCOMPARE(QFileInfo(rig.ports.Resolve(1)).canonicalFilePath(), QFileInfo(dev + "/ttyUSB1").canonicalFilePath());
    }

    void confirm_data() {
        QTest::addColumn<Case>("c");
        const auto row = [](const char* tag, const Case& c) { QTest::newRow(tag) << c; };
        const QString cmdA = QStringLiteral("ｺﾏﾝﾄﾞ送信 : Avr Extend command A");
        const QString unconfirmed = QStringLiteral("ライター接続確認が終了していません。");
        // clang-format off
        row("OK on ????", {.comNox = "-", .box = Failed("COM?")});
        row("OK on ???? above twenty", {.stored = "25", .comNox = "25", .box = Failed("COM?")});
        row("port not there", {.stored = "3", .selected = 3, .device = "接続先: /dev/ttyS2 (serial 2)", .pick = 12,
                               .comNox = "3", .box = Failed("COM12")});
        row("port in use", {.stored = "1", .selected = 1, .device = {}, .pick = 2, .refused = "/dev/ttyS1",
                            .comNox = "1", .box = Failed("COM2") + "\r" + kWhy});
        row("working port, writer silent", {.pick = 2, .comNox = "2", .panel1 = cmdA});
        row("assigned path", {.pick = 7, .comNox = "7", .panel1 = cmdA, .assign = "  /tmp/kxwrt-sim  "});
        row("cancel", {.stored = "3", .selected = 3, .device = {}, .pick = 1, .press = "cancel", .comNox = "3",
                       .panel1 = unconfirmed});
        row("twenty, nothing behind it, cancelled", {.stored = "20", .selected = 20, .device = "接続先: 未接続",
                                                      .press = "cancel", .comNox = "20", .panel1 = unconfirmed});
        row("closed by the frame",
            {.stored = "3", .selected = 3, .device = {}, .pick = 1, .press = "esc", .comNox = "3"});
        // clang-format on
    }
    void confirm() {
        QFETCH(Case, c);
        Rig rig(c.stored);
        rig.port.unopenablePaths = {c.refused};
        rig.port.openFailureReason = kWhy;
        shell::FrmCom dialog(rig.ctx);
        dialog.show();
        QCOMPARE(dialog.Combo_com->count(), 21);
        QCOMPARE(dialog.Combo_com->itemText(0), QStringLiteral("????"));
        QCOMPARE(dialog.Combo_com->currentIndex(), c.selected);
        if (!c.device.isEmpty()) QCOMPARE(dialog.portRow->Label_device->text(), c.device);
        QCOMPARE(dialog.portRow->Command_assign->isEnabled(), c.selected != 0);  // "????" takes no path
        QCOMPARE(dialog.portRow->Combo_path->count(), 4);  // the detected ports are offered for assignment
        if (c.pick >= 0) dialog.Combo_com->setCurrentIndex(c.pick);
        dialog.portRow->Combo_path->setEditText(c.assign);
        if (!c.assign.isEmpty()) QTest::mouseClick(dialog.portRow->Command_assign, Qt::LeftButton);
        if (!c.assign.isEmpty())
            QCOMPARE(rig.settings.values.value("Ports/COM" + c.comNox), c.assign.trimmed());
        if (c.press == QLatin1String("esc"))
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            QTest::mouseClick(c.press == QLatin1String("ok") ? dialog.Command_ok : dialog.Command_cancel,
                              Qt::LeftButton);

        const bool failed = !c.box.isEmpty(), confirmed = !failed && c.press == QLatin1String("ok");
        const QString path =
            c.assign.isEmpty() ? QStringLiteral("/dev/ttyS%1").arg(c.comNox.toInt() - 1) : c.assign.trimmed();
        QCOMPARE(dialog.isVisible(), failed);
        if (!failed) QCOMPARE(dialog.result(), int(confirmed ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(rig.state.ErrorFlag, qint16(confirmed ? 0 : 1));
        QCOMPARE(rig.ComNox(), c.comNox);
        QCOMPARE(rig.ui.boxes.size(), failed ? 1 : 0);
        if (failed) QCOMPARE(rig.ui.boxes[0].icon, core::MessageIcon::Critical);
        if (failed) QCOMPARE(rig.ui.boxes[0].text, c.box);
        QCOMPARE(rig.ui.panels[1], c.panel1);
        QCOMPARE(rig.ui.panels[4], confirmed ? QStringLiteral("COM") + c.comNox : QString());
        // Only a confirmed port is asked and pinned to its number; the silent writer leaves it closed.
        QVERIFY(!rig.port.IsOpen());
        QCOMPARE(rig.port.AllWritten().contains('?'), confirmed);
        // The check ran on an operation thread while the dialog's thread went on.
        for (const auto& sent : rig.port.Writes()) QVERIFY(sent.thread != QThread::currentThread());
        QCOMPARE(rig.settings.values.keys().filter("Ports/").join(' '),
                 confirmed ? "Ports/COM" + c.comNox : QString());
        if (confirmed) QCOMPARE(rig.settings.values.value("Ports/COM" + c.comNox), path);
        if (confirmed)
            QCOMPARE(rig.port.PortPath() + ' ' + rig.port.LastLineSettings(), path + " 57600,n,8,1");
    }

    // Opening touches no port; without a usable port number each command stops at the box before any byte.
    void aMissingPortStopsBeforeAnyByte_data() {
        QTest::addColumn<int>("command");  // Version Read, UPDATE, OPEN
        QTest::addColumn<QString>("com");  // as stored ("-": absent)
        QTest::newRow("Version Read, port ?") << 0 << "?";
        QTest::newRow("UPDATE, no port stored") << 1 << "-";
        QTest::newRow("OPEN, empty port") << 2 << "";
    }
    void aMissingPortStopsBeforeAnyByte() {
        QFETCH(int, command);
        QFETCH(QString, com);
        Bench b(com);
        b.settings.values.insert("Settings6/Speed", " 9600");
        auto& dialog = b.Open();
        QCOMPARE(QFile(kEnv.AppDir() + "LOG.txt").size(), 2);  // opening writes a fresh log: CR LF
        QCOMPARE(dialog.ComPortText(), com.isEmpty() ? "" : "?");
        QCOMPARE(dialog.Combo_speed->currentText(), "57600");  // the loader's own speed
        QVERIFY(!dialog.Combo_speed->isEnabled() && !dialog.CmdUpdate->isEnabled());
        QVERIFY(b.port.IsOpen() && !b.own.IsOpen());
        if (command == 1) b.ChooseFirmware();
        QTest::mouseClick(QList{dialog.CmdVersion, dialog.CmdUpdate, dialog.CmdOpen}[command],
                          Qt::LeftButton);
        QCOMPARE(b.Box(), update::kSetPortNumber);
        QVERIFY(b.own.Writes().isEmpty() && !b.own.IsOpen());
        QCOMPARE(b.ui.fileRequests.size(), command == 1 ? 1 : 0);
        // A port chosen then is stored; detected ports are numbered in path order.
        dialog.Combo_ComPort->setCurrentIndex(1);
        Q_EMIT dialog.Combo_ComPort->activated(1);
        QCOMPARE(b.settings.values.value("Settings6/Com"), "2");
        QCOMPARE(dialog.portRow->Label_device->text(), link::texts::kPortDeviceCaption + kUart1);
    }

    void versionRead_data() {
        QTest::addColumn<Version>("c");
        const auto row = [](const char* tag, const Version& v) { QTest::newRow(tag) << v; };
        const QString read = update::kVersionRead, failed = update::kVersionCommFailed;
        row("17 bytes", {.shown = read});
        row("16 bytes at 1 s", {.reply = kVersion17.left(16), .delayMs = 1000, .shown = read});
        row("16 bytes at 1.5 s", {.reply = kVersion17.left(16), .delayMs = 1500, .shown = failed});
        row("15 bytes", {.reply = kVersion17.left(15), .shown = failed});
        row("port 7 leads nowhere", {.com = "7", .shown = update::kPortOpenFailed});
        row("device refuses", {.refuse = true, .shown = update::kPortOpenFailed});
    }
    void versionRead() {
        QFETCH(Version, c);
        Bench b(c.com);
        b.writer.versionReply = c.reply, b.writer.versionDelay = std::chrono::milliseconds(c.delayMs);
        b.own.unopenablePaths << (c.refuse ? kUart0 : QString());
        auto& dialog = b.Open();
        QTest::mouseClick(dialog.CmdVersion, Qt::LeftButton);
        const bool opened = c.shown != update::kPortOpenFailed, box = c.shown == update::kVersionCommFailed;
        QVERIFY(!b.port.IsOpen() && b.port.DiscardCount() == 1 && !b.guard.IsBusy());
        QCOMPARE(b.own.AllWritten(), opened ? "?" : "");
        // Read off the windows' thread.
        if (opened) QVERIFY(b.own.Writes()[0].thread != QThread::currentThread());
        QCOMPARE(b.own.LastLineSettings(), "57600,n,8,1");
        QCOMPARE(b.settings.values.value("Ports/COM" + c.com), opened ? kUart0 : QString());
        QCOMPARE(dialog.Text_FirmwareVersion->text(), opened && !box ? "KX-WRT540 V6.35" : "");
        QCOMPARE(b.Box(), box ? c.shown : "0");
        QCOMPARE(b.Status(), box ? QString() : c.shown);
    }

    // A wrong echo leaves the dialog ready for another go; while that runs, nothing else is taken.
    void aFailedUpdateCanBeStartedAgain() {
        Bench b("2");
        b.writer.wrongFrom = 1;
        b.settings.values.insert("Settings6/OPEN_DIR0", "/old");
        auto& dialog = b.Open();
        dialog.CmdUpdate_Click();  // before a file is chosen
        QCOMPARE(b.Status(), update::kNoUpdateFile);
        b.ui.fileAnswers.enqueue(QString());  // an empty name is no choice
        QTest::mouseClick(dialog.CmdOpen, Qt::LeftButton);
        QVERIFY(dialog.UpdateFileName().isEmpty() && !dialog.CmdUpdate->isEnabled());
        b.ChooseFirmware();
        QCOMPARE(b.ui.fileRequests.at(1).startDirectory, "/old");
        QCOMPARE(b.settings.values.value("Settings6/OPEN_DIR0") + '/', kEnv.AppDir());
        QCOMPARE(b.Status(), update::FileChosenText("kxfw635.hex"));
        QTest::mouseClick(dialog.CmdUpdate, Qt::LeftButton);
        QVERIFY(IsRed(dialog.Label3) && dialog.Label3->text().endsWith("\n　　　　　　　error data = 0xA7"));
        QCOMPARE(b.Status(), update::kUpdateFailed);
        QVERIFY(b.ui.boxes.isEmpty() && dialog.CmdUpdate->isEnabled() && !b.writer.ended);
        b.writer = UpdateWriter(), b.own.ClearWrites();  // the writer, power-cycled, answers properly now
        bool tried = false, refused = false, offWindowsThread = false;
        // The bar moves on the windows' thread while the transfer waits for echoes on its own.
        QObject::connect(dialog.ProgressBar1, &QProgressBar::valueChanged, &dialog, [&] {
            if (tried || b.writer.packets < 1) return;
            tried = true;
            offWindowsThread = b.own.Writes().last().thread != QThread::currentThread();
            QVERIFY(dialog.IsWorking());
            dialog.CmdVersion_Click();  // disabled, so called directly
            for (auto* button : {dialog.CmdUpdate, dialog.CmdOpen, dialog.OKButton})
                QTest::mouseClick(button, Qt::LeftButton);
            QTest::keyClick(&dialog, Qt::Key_Escape);
            refused = !dialog.close() && dialog.isVisible();
        });
        QTest::mouseClick(dialog.CmdUpdate, Qt::LeftButton);
        QVERIFY(tried && refused && offWindowsThread);
        QCOMPARE(b.writer.words, Sent(kFirmware));
        QCOMPARE(b.own.Writes().size(), 2 + 0x24 + 1);  // no '?' from Version Read, no second 'U'
        QCOMPARE(b.ui.fileRequests.size(), 2);
        QCOMPARE(b.Box(), update::kUpdateDoneBox);
        QCOMPARE(b.Status(), update::UpdateDoneText(1));
        QVERIFY(!IsRed(dialog.Label3) && !dialog.CmdVersion->isEnabled() && !b.guard.IsBusy());
        QCOMPARE(dialog.ProgressBar1->value(), 0);  // the bar is back at its start
    }

    void closingReopensTheMainLink_data() {
        QTest::addColumn<Closing>("c");
        const auto row = [](const char* tag, const Closing& c) { QTest::newRow(tag) << c; };
        row("閉じる", {.how = CloseButton});
        row("Escape", {.how = Escape});
        row("close box", {.how = CloseBox});
        row("no port saved", {.comNox = "-", .mainPath = ""});
        row("saved port gone", {.comNox = "9", .mainPath = ""});
        row("main link left open", {.how = CloseButtonOnly, .mainPath = "/dev/ttyMAIN"});
    }
    void closingReopensTheMainLink() {
        QFETCH(Closing, c);
        Bench b;
        if (c.comNox != "-") b.settings.values.insert("Settings/ComNox", c.comNox);
        b.settings.values.insert("Ports/COM2", kMain2);
        auto& dialog = b.Open();
        if (c.how != CloseButtonOnly) QTest::mouseClick(dialog.CmdVersion, Qt::LeftButton);
        if (c.how == Escape) QTest::keyClick(&dialog, Qt::Key_Escape);
        if (c.how == CloseBox) QVERIFY(dialog.close());
        if (c.how == CloseButton || c.how == CloseButtonOnly)
            QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        QVERIFY(!dialog.isVisible() && !b.own.IsOpen());
        QCOMPARE(b.port.IsOpen() ? b.port.PortPath() : QString(), c.mainPath);
        QCOMPARE(b.port.OpenCount(), c.mainPath == kMain2 ? 2 : 1);
        QVERIFY(b.port.Writes().isEmpty());  // no writer detection on the main link
    }
};

QTEST_MAIN(TestPortDialogs)
#include "tst_port_dialogs.moc"
