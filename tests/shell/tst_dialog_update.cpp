// The firmware update dialog offscreen against a scripted writer on a fake clock: its port choice and row,
// the version read, the file choice, refusals while the writer is busy, and closing back to the main link.
#include <QtTest>
#include <QtWidgets>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "TestEnvironment.h"
#include "UpdateWriter.h"
#include "link/PortMap.h"
#include "link/LinkTexts.h"
#include "shell/DialogUpdate.h"
#include "shell/PortRow.h"
#include "update/UpdateTexts.h"

using namespace zendra;
using namespace zendra::test;
using shell::DialogUpdate;

namespace {

const TestEnvironment kEnv;
QString AppDir() { return kEnv.AppDir(); }
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

struct Bench {
    explicit Bench(const QString& com = "1") {
        writer.Attach(port), mainPort.Open("/dev/ttyMAIN");
        state.AppDir = state.ScratchDir = AppDir();
        if (com != "-") settings.values.insert("Settings6/Com", com);
    }
    FakeTiming timing;
    UpdateWriter writer;
    std::unique_ptr<ScriptedPort> owned = std::make_unique<ScriptedPort>(timing);
    ScriptedPort& port = *owned;  // the dialog's own port once it is opened
    ScriptedPort mainPort{timing};
    RecordingUi ui;
    MemorySettings settings;
    core::SharedState state;
    link::PortMap ports{settings, [] { return QList<link::DetectedPort>{{kUart1, ""}, {kUart0, "UART"}}; }};
    shell::WriterContext main{mainPort, timing, ui, state, settings, ports};
    core::OperationGuard guard;
    std::unique_ptr<DialogUpdate> dialog;

    DialogUpdate& Open() {
        dialog = std::make_unique<DialogUpdate>(nullptr, main, guard, [this] { return std::move(owned); });
        dialog->show();
        return *dialog;
    }
    QString Status() const { return dialog->StatusPanel1->text(); }
    QString Box() const { return ui.boxes.size() == 1 ? ui.boxes[0].text : QString::number(ui.boxes.size()); }
    void ChooseFirmware() {
        ui.fileAnswers.enqueue(WriteFile(AppDir() + "kxfw635.hex", WordsFile(kFirmware)));
        QTest::mouseClick(dialog->CmdOpen, Qt::LeftButton);
    }
};

bool IsRed(const QLabel* label) {
    return label->autoFillBackground() && label->palette().color(QPalette::Window) == QColor(255, 0, 0);
}

}  // namespace

Q_DECLARE_METATYPE(Version)
Q_DECLARE_METATYPE(Closing)

class UpdateDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openingAndChoosingAPort() {
        Bench b("-");
        b.settings.values.insert("Settings6/Speed", " 9600");
        auto& dialog = b.Open();
        QCOMPARE(QFile(AppDir() + "LOG.txt").size(), 2);  // opening writes a fresh log: CR LF
        QCOMPARE(dialog.ComPortText(), "?");
        QCOMPARE(dialog.Combo_speed->currentText(), "57600");  // the loader's own speed
        QVERIFY(!dialog.Combo_speed->isEnabled() && !dialog.CmdUpdate->isEnabled());
        QVERIFY(b.mainPort.IsOpen() && !b.port.IsOpen());  // opening touches no port
        dialog.Combo_ComPort->setCurrentIndex(1);
        Q_EMIT dialog.Combo_ComPort->activated(1);
        QCOMPARE(b.settings.values.value("Settings6/Com"), "2");
        // Detected ports are numbered in path order.
        QCOMPARE(dialog.portRow->Label_device->text(), link::texts::kPortDeviceCaption + kUart1);
    }

    void aMissingPortStopsBeforeAnyByte_data() {
        QTest::addColumn<int>("command");  // 0 Version Read and 1 UPDATE with port "?", 2 OPEN with none
        QTest::newRow("Version Read") << 0;
        QTest::newRow("UPDATE") << 1;
        QTest::newRow("OPEN") << 2;
    }
    void aMissingPortStopsBeforeAnyByte() {
        QFETCH(int, command);
        Bench b(command == 2 ? "" : "?");
        auto& dialog = b.Open();
        if (command == 1) b.ChooseFirmware();
        QTest::mouseClick(QList{dialog.CmdVersion, dialog.CmdUpdate, dialog.CmdOpen}[command],
                          Qt::LeftButton);
        QCOMPARE(b.Box(), update::kSetPortNumber);
        QVERIFY(b.port.Writes().isEmpty() && !b.port.IsOpen());
        QCOMPARE(b.ui.fileRequests.size(), command == 1 ? 1 : 0);
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
        b.port.unopenablePaths << (c.refuse ? kUart0 : QString());
        auto& dialog = b.Open();
        QTest::mouseClick(dialog.CmdVersion, Qt::LeftButton);
        const bool opened = c.shown != update::kPortOpenFailed, box = c.shown == update::kVersionCommFailed;
        QVERIFY(!b.mainPort.IsOpen() && b.mainPort.DiscardCount() == 1 && !b.guard.IsBusy());
        QCOMPARE(b.port.AllWritten(), opened ? "?" : "");
        // Read off the windows' thread.
        if (opened) QVERIFY(b.port.Writes()[0].thread != QThread::currentThread());
        QCOMPARE(b.port.LastLineSettings(), "57600,n,8,1");
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
        QCOMPARE(b.settings.values.value("Settings6/OPEN_DIR0") + '/', AppDir());
        QCOMPARE(b.Status(), update::FileChosenText("kxfw635.hex"));
        QTest::mouseClick(dialog.CmdUpdate, Qt::LeftButton);
        QVERIFY(IsRed(dialog.Label3) && dialog.Label3->text().endsWith("\n　　　　　　　error data = 0xA7"));
        QCOMPARE(b.Status(), update::kUpdateFailed);
        QVERIFY(b.ui.boxes.isEmpty() && dialog.CmdUpdate->isEnabled() && !b.writer.ended);
        b.writer = UpdateWriter(), b.port.ClearWrites();  // the writer, power-cycled, answers properly now
        bool tried = false, refused = false, offWindowsThread = false;
        // The bar moves on the windows' thread while the transfer waits for echoes on its own.
        QObject::connect(dialog.ProgressBar1, &QProgressBar::valueChanged, &dialog, [&] {
            if (tried || b.writer.packets < 1) return;
            tried = true;
            offWindowsThread = b.port.Writes().last().thread != QThread::currentThread();
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
        QCOMPARE(b.port.Writes().size(), 2 + 0x24 + 1);  // no '?' from Version Read, no second 'U'
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
        QVERIFY(!dialog.isVisible() && !b.port.IsOpen());
        QCOMPARE(b.mainPort.IsOpen() ? b.mainPort.PortPath() : QString(), c.mainPath);
        QCOMPARE(b.mainPort.OpenCount(), c.mainPath == kMain2 ? 2 : 1);
        QVERIFY(b.mainPort.Writes().isEmpty());  // no writer detection on the main link
    }
};

QTEST_MAIN(UpdateDialogTest)
#include "tst_dialog_update.moc"
