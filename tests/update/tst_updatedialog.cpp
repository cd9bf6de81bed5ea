// The update dialog, offscreen: its controls, settings, ports, file choice, a transfer, and what it refuses
// while the writer is being talked to. Boxes and the file chooser are answered by the recorder.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "TestEnvironment.h"
#include "UpdateTestSupport.h"
#include "core/Settings.h"
#include "link/PortMap.h"
#include "update/Dialog_Update.h"
#include "update/UpdateFile.h"

using namespace zendra;
using update::Dialog_Update;

namespace {

const QString kPortBox = QStringLiteral("ポート番号を設定してください。");
const QString kUart0 = QStringLiteral("/dev/ttyFAKE0");
const QString kUart1 = QStringLiteral("/dev/ttyFAKE1");

struct DialogBench {
    explicit DialogBench(const QString& appDir) {
        state.AppDir = appDir;
        state.ScratchDir = appDir;
        mainPort.Open(QStringLiteral("/dev/ttyMAIN"));
    }
    ~DialogBench() { dialog.reset(); }

    test::FakeTiming timing;
    test::ScriptedPort mainPort{timing};
    test::RecordingUi ui;
    test::MemorySettings settings;
    core::SharedState state;
    link::PortMap ports{
        settings, [] {
            return QList<link::DetectedPort>{{kUart1, QString()}, {kUart0, QStringLiteral("Fake UART")}};
        }};
    link::LinkContext main{mainPort, timing, ui, state, settings, ports};
    core::OperationGuard guard;
    test::UpdateWriterScript writer;
    test::ScriptedPort* updatePort = nullptr;
    std::unique_ptr<Dialog_Update> dialog;

    void SetCom(const QString& text) { settings.values.insert(QStringLiteral("Settings6/Com"), text); }

    Dialog_Update& Open() {
        dialog = std::make_unique<Dialog_Update>(nullptr, main, guard, [this] {
            auto port = std::make_unique<test::ScriptedPort>(timing);
            updatePort = port.get();
            writer.Attach(*port);
            return port;
        });
        dialog->show();
        return *dialog;
    }

    QString Status() const { return dialog->StatusPanel1->text(); }
    QStringList BoxTexts() const {
        QStringList texts;
        for (const auto& box : ui.boxes) texts << box.text;
        return texts;
    }
    void ChooseFile(const QString& path) {
        ui.fileAnswers.enqueue(path);
        QTest::mouseClick(dialog->CmdOpen, Qt::LeftButton);
    }
};

QString WriteUpdateFile(const QString& dir, const QByteArray& text) {
    const QString path = dir + QStringLiteral("kxfw635.hex");
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text);
    return path;
}

QMap<quint32, quint16> SomeFirmware() {
    QMap<quint32, quint16> words;
    for (quint32 w = 0; w < 0x40; ++w) words.insert(w, quint16(0x9400 + w));
    words.insert(0x1F00, 0x1111);  // configuration word: never sent
    words.insert(0x1FE0, 0x2222);
    return words;
}

bool IsRed(const QLabel* label) {
    return label->autoFillBackground() && label->palette().color(QPalette::Window) == QColor(255, 0, 0);
}

}  // namespace

class UpdateDialogTest : public QObject {
    Q_OBJECT

private:
    test::TestEnvironment m_env;

private Q_SLOTS:
    void controlsCarryTheirCaptionsAndTips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        QTest::newRow("CmdVersion") << "CmdVersion"
                                    << "Version Read"
                                    << "";
        QTest::newRow("CmdOpen") << "CmdOpen"
                                 << "OPEN"
                                 << "新しいファームウエアファイル(*.hex)を設定します。";
        QTest::newRow("CmdUpdate") << "CmdUpdate"
                                   << "UPDATE"
                                   << "ファームウエアの更新を実行します。";
        QTest::newRow("OKButton") << "OKButton"
                                  << "閉じる"
                                  << "";
        QTest::newRow("Label1") << "Label1"
                                << "通信ポート Com　："
                                << "";
        QTest::newRow("Label2") << "Label2"
                                << "通信スピード bps　："
                                << "";
    }
    void controlsCarryTheirCaptionsAndTips() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        DialogBench bench(m_env.AppDir());
        auto& dialog = bench.Open();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ファームウエアアップデート"));
        QVERIFY(dialog.isModal());
        auto* widget = dialog.findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable(name));
        if (auto* button = qobject_cast<QPushButton*>(widget))
            QCOMPARE(button->text(), caption);
        else
            QCOMPARE(qobject_cast<QLabel*>(widget)->text(), caption);
        QCOMPARE(widget->toolTip(), tip);
        for (const char* other : {"Combo_ComPort", "Combo_speed", "Text_FirmwareVersion", "Text_File",
                                  "Label3", "ProgressBar1", "StatusBar1", "Line1"})
            QVERIFY2(dialog.findChild<QWidget*>(QString::fromLatin1(other)), other);
    }

    void openingState_data() {
        QTest::addColumn<QString>("storedCom");  // "-": none stored
        QTest::addColumn<QString>("storedSpeed");
        QTest::addColumn<QString>("shownCom");
        QTest::newRow("first use") << "-"
                                   << "-"
                                   << "?";
        QTest::newRow("port 5, speed 9600 stored") << "5"
                                                   << " 9600"
                                                   << "5";
        QTest::newRow("port 20") << "20"
                                 << "19200"
                                 << "20";
        QTest::newRow("a text that is no entry") << "abc"
                                                 << "?"
                                                 << "abc";
    }
    void openingState() {
        QFETCH(QString, storedCom);
        QFETCH(QString, storedSpeed);
        QFETCH(QString, shownCom);
        DialogBench bench(m_env.AppDir());
        if (storedCom != QLatin1String("-")) bench.SetCom(storedCom);
        if (storedSpeed != QLatin1String("-"))
            bench.settings.values.insert(QStringLiteral("Settings6/Speed"), storedSpeed);
        QFile old(m_env.AppDir() + QStringLiteral("LOG.txt"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("left over from last time\r\n");
        old.close();

        auto& dialog = bench.Open();
        QCOMPARE(dialog.Combo_ComPort->count(), 20);
        QCOMPARE(dialog.Combo_ComPort->itemText(0), QStringLiteral("1"));
        QCOMPARE(dialog.Combo_ComPort->itemText(19), QStringLiteral("20"));
        QCOMPARE(dialog.ComPortText(), shownCom);
        QCOMPARE(dialog.Combo_speed->count(), 3);
        QCOMPARE(dialog.Combo_speed->itemText(0), QStringLiteral(" 9600"));
        QCOMPARE(dialog.Combo_speed->currentText(), QStringLiteral("57600"));
        QVERIFY(!dialog.Combo_speed->isEnabled());
        QVERIFY(!dialog.CmdUpdate->isEnabled());
        QVERIFY(dialog.UpdateFileName().isEmpty());
        QCOMPARE(
            dialog.Label3->text().split(QLatin1Char('\n')),
            (QStringList{"１．通信ポートを指定してください。",
                         "２．[Version Read]ボタンを押して、バージョンが表示されると通信確認完了です。",
                         "３．[OPEN]ボタンを押して、アップデートファイルを指定してください。 [kxfwxxx.hex]",
                         "４．[UPDATE]ボタンを押してください。ファイルのアップデータが開始されます。"}));
        QVERIFY(!IsRed(dialog.Label3));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("\r\n"));
        // Opening touches no port.
        QVERIFY(bench.mainPort.IsOpen());
        QVERIFY(!bench.updatePort->IsOpen());
    }

    void pickingAPortStoresItAndShowsItsDevice_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("device");
        // Detected ports are taken in path order: COM1 is ttyFAKE0 although it was listed second.
        QTest::newRow("COM1") << 0 << "/dev/ttyFAKE0 (Fake UART)";
        QTest::newRow("COM2") << 1 << "/dev/ttyFAKE1";
        QTest::newRow("COM3 leads nowhere") << 2 << "未接続";
    }
    void pickingAPortStoresItAndShowsItsDevice() {
        QFETCH(int, index);
        QFETCH(QString, device);
        DialogBench bench(m_env.AppDir());
        auto& dialog = bench.Open();
        dialog.Combo_ComPort->setCurrentIndex(index);
        Q_EMIT dialog.Combo_ComPort->activated(index);
        QCOMPARE(bench.settings.values.value(QStringLiteral("Settings6/Com")), QString::number(index + 1));
        QCOMPARE(dialog.Label_device->text(), device);
    }

    void assigningATypedPath() {
        DialogBench bench(m_env.AppDir());
        bench.SetCom(QStringLiteral("2"));
        auto& dialog = bench.Open();
        QCOMPARE(dialog.Label_device->text(), kUart1);
        dialog.Combo_path->setEditText(QStringLiteral(" /tmp/pty-writer "));
        QTest::mouseClick(dialog.Command_assign, Qt::LeftButton);
        QCOMPARE(bench.settings.values.value(QStringLiteral("Ports/COM2")),
                 QStringLiteral("/tmp/pty-writer"));
        QCOMPARE(dialog.Label_device->text(), QStringLiteral("/tmp/pty-writer"));
        QVERIFY(!bench.settings.values.contains(QStringLiteral("Ports/COM1")));
    }

    void aMissingPortStopsBeforeAnyByte_data() {
        QTest::addColumn<QString>("storedCom");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("mainClosed");
        QTest::newRow("Version Read with ?") << "?"
                                             << "version" << true;
        QTest::newRow("UPDATE with ? and a file") << "?"
                                                  << "update" << true;
        QTest::newRow("UPDATE with an empty choice") << ""
                                                     << "update" << false;
        QTest::newRow("OPEN with an empty choice") << ""
                                                   << "open" << false;
    }
    void aMissingPortStopsBeforeAnyByte() {
        QFETCH(QString, storedCom);
        QFETCH(QString, command);
        QFETCH(bool, mainClosed);
        DialogBench bench(m_env.AppDir());
        bench.SetCom(storedCom);
        auto& dialog = bench.Open();
        if (command == QLatin1String("update")) {
            // "?" is a text, so OPEN takes a file; an empty choice is refused there already.
            bench.ChooseFile(WriteUpdateFile(m_env.AppDir(), test::WordsFile(SomeFirmware())));
            QCOMPARE(dialog.UpdateFileName().isEmpty(), storedCom.isEmpty());
            dialog.CmdUpdate_Click();
        } else if (command == QLatin1String("version")) {
            QTest::mouseClick(dialog.CmdVersion, Qt::LeftButton);
        } else {
            QTest::mouseClick(dialog.CmdOpen, Qt::LeftButton);
            QVERIFY(bench.ui.fileRequests.isEmpty());
            QVERIFY(dialog.UpdateFileName().isEmpty());
        }
        QVERIFY(!bench.ui.boxes.isEmpty());
        QCOMPARE(bench.BoxTexts().last(), kPortBox);
        QCOMPARE(bench.ui.boxes.last().icon, core::MessageIcon::Information);
        QVERIFY(bench.updatePort->Writes().isEmpty());
        QVERIFY(!bench.updatePort->IsOpen());
        QCOMPARE(!bench.mainPort.IsOpen(), mainClosed);
    }

    void versionRead_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("shown");  // empty: the communication-failure box
        QTest::newRow("identification") << QByteArray("KX-WRT540 V6.35\r\n") << "KX-WRT540 V6.35";
        QTest::newRow("15 bytes only") << QByteArray("KX-WRT540 V6.35") << "";
    }
    void versionRead() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, shown);
        DialogBench bench(m_env.AppDir());
        bench.SetCom(QStringLiteral("1"));
        bench.writer.versionReply = reply;
        auto& dialog = bench.Open();
        QTest::mouseClick(dialog.CmdVersion, Qt::LeftButton);
        QVERIFY(!bench.mainPort.IsOpen());
        QCOMPARE(bench.updatePort->PortPath(), kUart0);
        QVERIFY(bench.updatePort->IsOpen());
        QCOMPARE(bench.updatePort->LastLineSettings(), QStringLiteral("57600,n,8,1"));
        QCOMPARE(bench.updatePort->AllWritten(), QByteArray("?"));
        // The device it resolved to is now the saved one.
        QCOMPARE(bench.settings.values.value(QStringLiteral("Ports/COM1")), kUart0);
        QCOMPARE(dialog.Text_FirmwareVersion->text(), shown);
        if (shown.isEmpty()) {
            QCOMPARE(
                bench.BoxTexts(),
                QStringList{QStringLiteral(
                    "　　***　ファームウエアアップデート　コミュニケーション失敗。　***　　　　　　\r\n　")});
        } else {
            QVERIFY(bench.ui.boxes.isEmpty());
            QCOMPARE(bench.Status(), QStringLiteral("ファームウエアバージョンをリードしました。"));
        }
        QVERIFY(!bench.guard.IsBusy());
    }

    void aPortThatCannotOpen_data() {
        QTest::addColumn<QString>("storedCom");
        QTest::addColumn<bool>("refuse");
        QTest::newRow("entry resolves to nothing") << "7" << false;
        QTest::newRow("device refuses to open") << "1" << true;
    }
    void aPortThatCannotOpen() {
        QFETCH(QString, storedCom);
        QFETCH(bool, refuse);
        DialogBench bench(m_env.AppDir());
        bench.SetCom(storedCom);
        auto& dialog = bench.Open();
        if (refuse) bench.updatePort->unopenablePaths << kUart0;
        QTest::mouseClick(dialog.CmdVersion, Qt::LeftButton);
        QCOMPARE(bench.Status(), QStringLiteral("通信ポートをオープンできませんでした。"));
        QVERIFY(bench.updatePort->Writes().isEmpty());
        QVERIFY(!bench.settings.values.contains(QStringLiteral("Ports/COM") + storedCom));
    }

    void choosingAFile_data() {
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("answer");
        QTest::newRow("cancelled") << false << "";
        QTest::newRow("empty name") << true << "";
        QTest::newRow("a file") << true << "/x/fw/kxfw635.HEX";
    }
    void choosingAFile() {
        QFETCH(bool, answered);
        QFETCH(QString, answer);
        DialogBench bench(m_env.AppDir());
        bench.SetCom(QStringLiteral("1"));
        bench.settings.values.insert(QStringLiteral("Settings6/OPEN_DIR0"), QStringLiteral("/old/dir"));
        auto& dialog = bench.Open();
        if (answered) bench.ui.fileAnswers.enqueue(answer);
        QTest::mouseClick(dialog.CmdOpen, Qt::LeftButton);
        QCOMPARE(bench.ui.fileRequests.size(), 1);
        const auto& request = bench.ui.fileRequests.first();
        QCOMPARE(request.title, QStringLiteral("アップデータを開く"));
        QCOMPARE(request.startDirectory, QStringLiteral("/old/dir"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("HEX"));
        QVERIFY(request.filter.contains(QStringLiteral("*.HEX")));
        const bool chosen = !answer.isEmpty();
        QCOMPARE(dialog.UpdateFileName(), answer);
        QCOMPARE(dialog.Text_File->text(), answer);
        QCOMPARE(dialog.CmdUpdate->isEnabled(), chosen);
        QCOMPARE(bench.settings.values.value(QStringLiteral("Settings6/OPEN_DIR0")),
                 chosen ? QStringLiteral("/x/fw") : QStringLiteral("/old/dir"));
        QCOMPARE(bench.Status(),
                 chosen ? QStringLiteral("ファイル名：kxfw635.HEXを指定しました。") : QString());
        // Choosing a file talks to no port.
        QVERIFY(bench.mainPort.IsOpen());
    }

    void aWholeUpdate() {
        DialogBench bench(m_env.AppDir());
        bench.SetCom(QStringLiteral("2"));
        auto& dialog = bench.Open();
        const auto firmware = SomeFirmware();
        bench.ChooseFile(WriteUpdateFile(m_env.AppDir(), test::WordsFile(firmware)));
        QTest::mouseClick(dialog.CmdUpdate, Qt::LeftButton);
        QVERIFY(bench.writer.ended);
        auto sent = firmware;
        sent.remove(0x1F00);
        QCOMPARE(bench.writer.words, sent);
        QCOMPARE(bench.updatePort->PortPath(), kUart1);
        QVERIFY(!bench.mainPort.IsOpen());
        QVERIFY(!dialog.CmdVersion->isEnabled());
        QCOMPARE(bench.Status(), QStringLiteral("アップデート完了。  1sec"));
        QCOMPARE(bench.ui.boxes.size(), 1);
        QCOMPARE(bench.ui.boxes.first().title, QStringLiteral("ファームウエアアップデート"));
        // The bar went back to its start at word 0x1F00 and stayed there.
        QCOMPARE(dialog.ProgressBar1->value(), dialog.ProgressBar1->minimum());
        QVERIFY(!bench.guard.IsBusy());
    }

    void aNoFileUpdateSaysSo() {
        DialogBench bench(m_env.AppDir());
        bench.SetCom(QStringLiteral("1"));
        auto& dialog = bench.Open();
        dialog.CmdUpdate_Click();  // the button itself is disabled until a file is chosen
        QCOMPARE(bench.Status(), QStringLiteral("アップデートファイルがロードされていません。"));
        QVERIFY(bench.mainPort.IsOpen());
        QVERIFY(bench.updatePort->Writes().isEmpty());
    }

    void aFailedUpdateCanBeStartedAgain() {
        DialogBench bench(m_env.AppDir());
        bench.SetCom(QStringLiteral("1"));
        bench.writer.wrongEchoFrom = 1;
        auto& dialog = bench.Open();
        bench.ChooseFile(WriteUpdateFile(m_env.AppDir(), test::WordsFile(SomeFirmware())));
        QTest::mouseClick(dialog.CmdUpdate, Qt::LeftButton);
        QVERIFY(IsRed(dialog.Label3));
        QVERIFY(dialog.Label3->text().startsWith(
            QStringLiteral("途中でファームウエアアップデートが失敗しました。\n")));
        QVERIFY(dialog.Label3->text().endsWith(QStringLiteral("\n　　　　　　　error data = 0xA7")));
        QCOMPARE(bench.Status(), QStringLiteral("***　アップデート失敗　***"));
        QVERIFY(bench.ui.boxes.isEmpty());
        QVERIFY(dialog.CmdUpdate->isEnabled());
        QVERIFY(!bench.writer.ended);

        // The writer is power-cycled and answers properly now.
        bench.writer = test::UpdateWriterScript();
        bench.writer.Attach(*bench.updatePort);
        QTest::mouseClick(dialog.CmdUpdate, Qt::LeftButton);
        QVERIFY(bench.writer.ended);
        QCOMPARE(bench.Status(), QStringLiteral("アップデート完了。  1sec"));
        QVERIFY(!IsRed(dialog.Label3));
        QVERIFY(dialog.Label3->text().startsWith(QStringLiteral("１．")));
    }

    void aDamagedFileIsRefusedBeforeTheWriterIsTouched() {
        DialogBench bench(m_env.AppDir());
        bench.SetCom(QStringLiteral("1"));
        auto& dialog = bench.Open();
        QByteArray text = test::WordsFile(SomeFirmware());
        text.replace(":10", ":11");  // every data record now claims a byte it does not have
        bench.ChooseFile(WriteUpdateFile(m_env.AppDir(), text));
        QTest::mouseClick(dialog.CmdUpdate, Qt::LeftButton);
        QVERIFY(bench.updatePort->Writes().isEmpty());
        QCOMPARE(bench.writer.entries, 0);
        QVERIFY(IsRed(dialog.Label3));
        QVERIFY(dialog.Label3->text().endsWith(QStringLiteral("error data = 0x--")));
        QVERIFY(bench.Status().startsWith(QStringLiteral("***　アップデート失敗　*** 1行目：")));
    }

    void commandsAndClosingAreRefusedDuringATransfer() {
        DialogBench bench(m_env.AppDir());
        bench.SetCom(QStringLiteral("1"));
        auto& dialog = bench.Open();
        bench.ChooseFile(WriteUpdateFile(m_env.AppDir(), test::WordsFile(SomeFirmware())));
        const int requestsBefore = bench.ui.fileRequests.size();
        QStringList attempts;
        bool tried = false;
        bench.ui.onPump = [&] {
            if (tried || bench.writer.packets < 5) return;
            tried = true;
            QVERIFY(dialog.IsWorking());
            QTest::mouseClick(dialog.CmdUpdate, Qt::LeftButton);
            QTest::mouseClick(dialog.CmdOpen, Qt::LeftButton);
            dialog.CmdVersion_Click();
            QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
            QTest::keyClick(&dialog, Qt::Key_Escape);
            attempts << (dialog.close() ? QStringLiteral("closed") : QStringLiteral("refused"));
            attempts << (dialog.isVisible() ? QStringLiteral("visible") : QStringLiteral("hidden"));
        };
        QTest::mouseClick(dialog.CmdUpdate, Qt::LeftButton);
        QVERIFY(tried);
        QCOMPARE(attempts, (QStringList{"refused", "visible"}));
        QVERIFY(bench.writer.ended);
        QCOMPARE(bench.writer.entries, 1);
        QStringList singleBytes;  // ESC and 'U' once; no '?' from a Version Read, no second 'U'
        for (const auto& write : bench.updatePort->Writes())
            if (write.bytes.size() == 1) singleBytes << QString::fromLatin1(write.bytes);
        QCOMPARE(singleBytes, (QStringList{"\x1b", "U"}));
        QCOMPARE(bench.ui.fileRequests.size(), requestsBefore);
        QCOMPARE(bench.ui.boxes.size(), 1);  // the completion box only
        QVERIFY(bench.updatePort->IsOpen());
        QVERIFY(dialog.isVisible());
        // Once the transfer has ended, closing works.
        bench.ui.onPump = nullptr;
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
    }

    void closingReopensTheMainLink_data() {
        QTest::addColumn<QString>("comNox");    // "-": never saved
        QTest::addColumn<QString>("mainPath");  // empty: stays closed
        QTest::addColumn<int>("how");           // 0 OKButton, 1 Escape, 2 close box
        QTest::newRow("saved port, 閉じる") << "2"
                                            << "/dev/ttyMAIN2" << 0;
        QTest::newRow("saved port, Escape") << "2"
                                            << "/dev/ttyMAIN2" << 1;
        QTest::newRow("saved port, close box") << "2"
                                               << "/dev/ttyMAIN2" << 2;
        QTest::newRow("no port saved") << "-"
                                       << "" << 0;
        QTest::newRow("saved port gone") << "9"
                                         << "" << 0;
    }
    void closingReopensTheMainLink() {
        QFETCH(QString, comNox);
        QFETCH(QString, mainPath);
        QFETCH(int, how);
        DialogBench bench(m_env.AppDir());
        bench.SetCom(QStringLiteral("1"));
        if (comNox != QLatin1String("-"))
            bench.settings.values.insert(QStringLiteral("Settings/ComNox"), comNox);
        bench.settings.values.insert(QStringLiteral("Ports/COM2"), QStringLiteral("/dev/ttyMAIN2"));
        auto& dialog = bench.Open();
        QTest::mouseClick(dialog.CmdVersion, Qt::LeftButton);
        QVERIFY(!bench.mainPort.IsOpen());
        QVERIFY(bench.updatePort->IsOpen());
        if (how == 0) QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        if (how == 1) QTest::keyClick(&dialog, Qt::Key_Escape);
        if (how == 2) QVERIFY(dialog.close());
        QVERIFY(!dialog.isVisible());
        QVERIFY(!bench.updatePort->IsOpen());
        QCOMPARE(bench.mainPort.IsOpen(), !mainPath.isEmpty());
        if (!mainPath.isEmpty()) {
            QCOMPARE(bench.mainPort.PortPath(), mainPath);
            QCOMPARE(bench.mainPort.LastLineSettings(), QStringLiteral("57600,n,8,1"));
        }
        // Nothing is sent on the main link: no writer detection.
        QVERIFY(bench.mainPort.Writes().isEmpty());
    }

    void closingLeavesAnOpenMainLinkAlone() {
        DialogBench bench(m_env.AppDir());
        bench.settings.values.insert(QStringLiteral("Settings/ComNox"), QStringLiteral("2"));
        auto& dialog = bench.Open();
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        QVERIFY(bench.mainPort.IsOpen());
        QCOMPARE(bench.mainPort.OpenCount(), 1);
        QCOMPARE(bench.mainPort.PortPath(), QStringLiteral("/dev/ttyMAIN"));
    }

    void runIsRefusedWhileAnOperationRuns() {
        DialogBench bench(m_env.AppDir());
        auto hold = bench.guard.TryEnter();
        bool made = false;
        const int result = Dialog_Update::Run(nullptr, bench.main, bench.guard, [&] {
            made = true;
            return std::make_unique<test::ScriptedPort>(bench.timing);
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(!made);
        QCOMPARE(bench.ui.panels[1], core::kBusyText);
        QVERIFY(bench.mainPort.IsOpen());
    }
};

QTEST_MAIN(UpdateDialogTest)
#include "tst_updatedialog.moc"
