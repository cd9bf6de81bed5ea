// The port dialog against a scripted serial port: what it selects on opening, what OK and CANCEL leave
// behind (ErrorFlag, "ComNox", the port, the status panels, the boxes), and the port assignment.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "FakeTiming.h"
#include "MemorySettings.h"
#include "RecordingUi.h"
#include "ScriptedPort.h"
#include "link/PortMap.h"
#include "shell/FrmCom.h"

using namespace zendra;
using namespace zendra::test;

namespace {

const QString kComNoxKey = QStringLiteral("Settings/ComNox");
const QString kBoxTitle = QStringLiteral("ポートオープン失敗");
const QString kSecondLine = QStringLiteral("ポート番号を再設定してください。");

// Everything one dialog run needs; the detected ports are "/dev/ttyS0".."/dev/ttyS<n-1>".
struct Rig {
    FakeTiming timing;
    ScriptedPort port{timing};
    RecordingUi ui;
    core::SharedState state;
    MemorySettings settings;
    QList<link::DetectedPort> detected;
    link::PortMap ports{settings, [this] { return detected; }};
    link::LinkContext ctx{port, timing, ui, state, settings, ports};

    explicit Rig(int detectedCount) {
        for (int i = 0; i < detectedCount; ++i)
            detected.append({QStringLiteral("/dev/ttyS%1").arg(i), QStringLiteral("serial %1").arg(i)});
    }
};

}  // namespace

class TestPortDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opening_data();
    void opening();
    void confirm_data();
    void confirm();
    void assignedPathIsOpenedAndShown();
    void failedOpenThenGoodChoiceConfirms();
};

void TestPortDialog::opening_data() {
    QTest::addColumn<QString>("stored");  // "ComNox" text; "-" for absent
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("device");  // what Label_device shows

    QTest::newRow("absent") << "-" << 0 << "ポートが選ばれていません。";
    QTest::newRow("zero") << "0" << 0 << "ポートが選ばれていません。";
    QTest::newRow("three") << "3" << 3 << "接続先: /dev/ttyS2 (serial 2)";
    QTest::newRow("twenty, nothing behind it") << "20" << 20 << "接続先: 未接続";
    QTest::newRow("above twenty") << "25" << 0 << "ポートが選ばれていません。";
    QTest::newRow("negative") << "-4" << 0 << "ポートが選ばれていません。";
    QTest::newRow("not a number") << "COM3" << 0 << "ポートが選ばれていません。";
}

void TestPortDialog::opening() {
    QFETCH(QString, stored);
    QFETCH(int, selected);
    QFETCH(QString, device);

    Rig rig(4);
    if (stored != QLatin1String("-")) rig.settings.values.insert(kComNoxKey, stored);
    // A connection from an earlier operation is still open.
    QVERIFY(rig.port.Open(QStringLiteral("/dev/ttyS0")));
    rig.ui.SetStatusPanel(1, QStringLiteral("old"));

    shell::FrmCom dialog(rig.ctx);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("通信ポート選択"));
    QCOMPARE(dialog.Combo_com->count(), 21);
    QCOMPARE(dialog.Combo_com->itemText(0), QStringLiteral("????"));
    QCOMPARE(dialog.Combo_com->itemText(20), QStringLiteral("COM20"));
    QCOMPARE(dialog.Combo_com->currentIndex(), selected);
    QCOMPARE(dialog.Label_device->text(), device);
    QVERIFY(!rig.port.IsOpen());
    QCOMPARE(rig.state.ErrorFlag, qint16(1));
    QCOMPARE(rig.ui.panels[1], QString());
    // Opening never touches the writer or the saved choice.
    QVERIFY(rig.port.AllWritten().isEmpty());
    QCOMPARE(rig.settings.values.value(kComNoxKey, QStringLiteral("-")), stored);
}

void TestPortDialog::confirm_data() {
    QTest::addColumn<QString>("stored");       // "ComNox" before; "-" absent
    QTest::addColumn<int>("choose");           // index picked by the user; -1: keep the preselection
    QTest::addColumn<QStringList>("refused");  // paths whose open fails
    QTest::addColumn<bool>("openBefore");      // a connection from earlier is open
    QTest::addColumn<QString>("button");       // "ok", "cancel", or "escape"
    // Expected:
    QTest::addColumn<bool>("stillOpen");  // the dialog
    QTest::addColumn<int>("errorFlag");
    QTest::addColumn<QString>("comNox");  // "-" absent
    QTest::addColumn<QString>("box");     // text of the one critical box, empty: none
    QTest::addColumn<QString>("panel1");
    QTest::addColumn<QString>("panel4");
    QTest::addColumn<QString>("portAfter");  // path open after, empty: closed
    QTest::addColumn<bool>("writerAsked");   // the communication check ran

    const QString none;
    QTest::newRow("first start, OK on ????")
        << "-" << -1 << QStringList{} << false << "ok" << true << 1 << "-"
        << "COM? のオープンに失敗しました。\r" + kSecondLine << none << none << none << false;
    QTest::newRow("port that is not there")
        << "3" << 12 << QStringList{} << false << "ok" << true << 1 << "3"
        << "COM12 のオープンに失敗しました。\r" + kSecondLine << none << none << none << false;
    QTest::newRow("port in use") << "1" << 2 << QStringList{"/dev/ttyS1"} << false << "ok" << true << 1 << "1"
                                 << "COM2 のオープンに失敗しました。\r" + kSecondLine << none << none << none
                                 << false;
    QTest::newRow("working port, writer silent") << "-" << 2 << QStringList{} << false << "ok" << false << 0
                                                 << "2" << none << "ｺﾏﾝﾄﾞ送信 : Avr Extend command A"
                                                 << "COM2" << none << true;
    QTest::newRow("preselected port confirmed") << "4" << -1 << QStringList{} << true << "ok" << false << 0
                                                << "4" << none << "ｺﾏﾝﾄﾞ送信 : Avr Extend command A"
                                                << "COM4" << none << true;
    QTest::newRow("cancel after an earlier connection")
        << "3" << 1 << QStringList{} << true << "cancel" << false << 1 << "3" << none
        << "ライター接続確認が終了していません。" << none << none << false;
    QTest::newRow("closed by the frame") << "3" << 1 << QStringList{} << true << "escape" << false << 1 << "3"
                                         << none << none << none << none << false;
}

void TestPortDialog::confirm() {
    QFETCH(QString, stored);
    QFETCH(int, choose);
    QFETCH(QStringList, refused);
    QFETCH(bool, openBefore);
    QFETCH(QString, button);
    QFETCH(bool, stillOpen);
    QFETCH(int, errorFlag);
    QFETCH(QString, comNox);
    QFETCH(QString, box);
    QFETCH(QString, panel1);
    QFETCH(QString, panel4);
    QFETCH(QString, portAfter);
    QFETCH(bool, writerAsked);

    Rig rig(4);
    if (stored != QLatin1String("-")) rig.settings.values.insert(kComNoxKey, stored);
    rig.port.unopenablePaths = refused;
    if (openBefore) QVERIFY(rig.port.Open(QStringLiteral("/dev/ttyS0")));

    shell::FrmCom dialog(rig.ctx);
    dialog.show();
    if (choose >= 0) dialog.Combo_com->setCurrentIndex(choose);
    if (button == QLatin1String("ok"))
        QTest::mouseClick(dialog.Command_ok, Qt::LeftButton);
    else if (button == QLatin1String("cancel"))
        QTest::mouseClick(dialog.Command_cancel, Qt::LeftButton);
    else
        QTest::keyClick(&dialog, Qt::Key_Escape);

    QCOMPARE(dialog.isVisible(), stillOpen);
    if (!stillOpen)
        QCOMPARE(dialog.result(),
                 button == QLatin1String("ok") ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(rig.state.ErrorFlag, qint16(errorFlag));
    QCOMPARE(rig.settings.values.value(kComNoxKey, QStringLiteral("-")), comNox);
    if (box.isEmpty()) {
        QVERIFY(rig.ui.boxes.isEmpty());
    } else {
        QCOMPARE(rig.ui.boxes.size(), 1);
        QCOMPARE(rig.ui.boxes[0].icon, core::MessageIcon::Critical);
        QCOMPARE(rig.ui.boxes[0].title, kBoxTitle);
        QCOMPARE(rig.ui.boxes[0].text, box);
    }
    QCOMPARE(rig.ui.panels[1], panel1);
    QCOMPARE(rig.ui.panels[4], panel4);
    QCOMPARE(rig.port.IsOpen() ? rig.port.PortPath() : QString(), portAfter);
    QCOMPARE(rig.port.AllWritten().contains('?'), writerAsked);
    if (writerAsked) {
        // The path it opened is pinned to the number.
        const int number = comNox.toInt();
        QCOMPARE(rig.settings.values.value(QStringLiteral("Ports/COM%1").arg(number)),
                 QStringLiteral("/dev/ttyS%1").arg(number - 1));
        QCOMPARE(rig.port.LastLineSettings(), QStringLiteral("57600,n,8,1"));
    } else {
        for (auto it = rig.settings.values.cbegin(); it != rig.settings.values.cend(); ++it)
            QVERIFY2(!it.key().startsWith(QLatin1String("Ports/")), qPrintable(it.key()));
    }
}

void TestPortDialog::assignedPathIsOpenedAndShown() {
    Rig rig(2);
    shell::FrmCom dialog(rig.ctx);
    dialog.show();
    dialog.Combo_com->setCurrentIndex(7);
    QCOMPARE(dialog.Label_device->text(), QStringLiteral("接続先: 未接続"));
    // The detected ports are offered for assignment.
    QCOMPARE(dialog.Combo_path->count(), 2);
    QCOMPARE(dialog.Combo_path->itemText(1), QStringLiteral("/dev/ttyS1"));

    dialog.Combo_path->setEditText(QStringLiteral("  /tmp/kxwrt-sim  "));
    QTest::mouseClick(dialog.Command_assign, Qt::LeftButton);
    QCOMPARE(rig.settings.values.value(QStringLiteral("Ports/COM7")), QStringLiteral("/tmp/kxwrt-sim"));
    QCOMPARE(dialog.Label_device->text(), QStringLiteral("接続先: /tmp/kxwrt-sim"));
    // Nothing is saved as the chosen port before OK.
    QVERIFY(!rig.settings.values.contains(kComNoxKey));

    QTest::mouseClick(dialog.Command_ok, Qt::LeftButton);
    QCOMPARE(rig.port.PortPath(), QStringLiteral("/tmp/kxwrt-sim"));
    QCOMPARE(rig.settings.values.value(kComNoxKey), QStringLiteral("7"));
    QCOMPARE(rig.ui.panels[4], QStringLiteral("COM7"));
    QCOMPARE(rig.state.ErrorFlag, qint16(0));

    // "????" cannot be given a path.
    shell::FrmCom again(rig.ctx);
    again.Combo_com->setCurrentIndex(0);
    QVERIFY(!again.Command_assign->isEnabled());
}

void TestPortDialog::failedOpenThenGoodChoiceConfirms() {
    Rig rig(3);
    rig.port.unopenablePaths = {QStringLiteral("/dev/ttyS0")};
    shell::FrmCom dialog(rig.ctx);
    dialog.show();
    dialog.Combo_com->setCurrentIndex(1);
    QTest::mouseClick(dialog.Command_ok, Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QCOMPARE(rig.state.ErrorFlag, qint16(1));
    QCOMPARE(rig.ui.panels[4], QString());

    dialog.Combo_com->setCurrentIndex(3);
    QTest::mouseClick(dialog.Command_ok, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(rig.ui.boxes.size(), 1);
    QCOMPARE(rig.settings.values.value(kComNoxKey), QStringLiteral("3"));
    QCOMPARE(rig.state.ErrorFlag, qint16(0));
}

QTEST_MAIN(TestPortDialog)
#include "tst_windows_com.moc"
