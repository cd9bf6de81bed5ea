// The port dialog against a scripted serial port: preselection, OK / CANCEL outcomes, path assignment.

#include <QtTest>
#include <QtWidgets>

#include "FakeTiming.h"
#include "MemorySettings.h"
#include "RecordingUi.h"
#include "ScriptedPort.h"
#include "link/PortMap.h"
#include "shell/FrmCom.h"
#include "shell/PortRow.h"

using namespace zendra;
using namespace zendra::test;

namespace {

const QString kNoPort = QStringLiteral("ポートが選ばれていません。");
// Why the scripted port refuses to open, as the system would say it.
const QString kWhy = QStringLiteral("in use");
QString Failed(const char* com) {
    return com + QStringLiteral(" のオープンに失敗しました。\rポート番号を再設定してください。");
}

// Detected ports "/dev/ttyS0".."/dev/ttyS3"; "ComNox" as given ("-": absent); an earlier connection open.
struct Rig {
    FakeTiming timing;
    ScriptedPort port{timing};
    RecordingUi ui;
    core::SharedState state;
    MemorySettings settings;
    QList<link::DetectedPort> detected;
    link::PortMap ports{settings, [this] { return detected; }};
    shell::WriterContext ctx{port, timing, ui, state, settings, ports};
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

// "ComNox" before and after ("-": absent); pick -1 keeps the preselection; refused: a path whose open fails;
// press: ok, cancel or esc; box: the one critical box (empty: none, the dialog closes); assign: a path for
// the pick.
struct Case {
    QString stored = "-";
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

}  // namespace

Q_DECLARE_METATYPE(Adapter)
Q_DECLARE_METATYPE(Case)

class TestPortDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opening_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("device");  // Label_device
        QTest::newRow("absent") << "-" << 0 << kNoPort;
        QTest::newRow("three") << "3" << 3 << "接続先: /dev/ttyS2 (serial 2)";
        QTest::newRow("twenty, nothing behind it") << "20" << 20 << "接続先: 未接続";
        QTest::newRow("above twenty") << "25" << 0 << kNoPort;
    }
    void opening() {
        QFETCH(QString, stored);
        QFETCH(int, selected);
        QFETCH(QString, device);
        Rig rig(stored);
        shell::FrmCom dialog(rig.ctx);
        QCOMPARE(dialog.Combo_com->count(), 21);
        QCOMPARE(dialog.Combo_com->itemText(0), QStringLiteral("????"));
        QCOMPARE(dialog.Combo_com->currentIndex(), selected);
        QCOMPARE(dialog.portRow->Label_device->text(), device);
        QCOMPARE(dialog.portRow->Command_assign->isEnabled(), selected != 0);  // "????" takes no path
        QVERIFY(!rig.port.IsOpen());
        QCOMPARE(rig.state.ErrorFlag, qint16(1));
        QCOMPARE(rig.ui.panels[1], QString());
        QCOMPARE(dialog.portRow->Combo_path->count(), 4);  // the detected ports are offered for assignment
    }

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
        row("port not there", {.stored = "3", .pick = 12, .comNox = "3", .box = Failed("COM12")});
        row("port in use",
            {.stored = "1", .pick = 2, .refused = "/dev/ttyS1", .comNox = "1", .box = Failed("COM2") + "\r" + kWhy});
        row("working port, writer silent", {.pick = 2, .comNox = "2", .panel1 = cmdA});
        row("assigned path", {.pick = 7, .comNox = "7", .panel1 = cmdA, .assign = "  /tmp/kxwrt-sim  "});
        row("cancel", {.stored = "3", .pick = 1, .press = "cancel", .comNox = "3", .panel1 = unconfirmed});
        row("closed by the frame", {.stored = "3", .pick = 1, .press = "esc", .comNox = "3"});
        // clang-format on
    }
    void confirm() {
        QFETCH(Case, c);
        Rig rig(c.stored);
        rig.port.unopenablePaths = {c.refused};
        rig.port.openFailureReason = kWhy;
        shell::FrmCom dialog(rig.ctx);
        dialog.show();
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
};

QTEST_MAIN(TestPortDialog)
#include "tst_windows_com.moc"
