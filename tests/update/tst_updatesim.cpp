// A whole firmware update against kxwrt-sim over a real pseudo-terminal, through the QSerialPort adapter:
// the firmware the virtual writer ends up with is exactly the file's words in the loader ranges.
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "TestEnvironment.h"
#include "UpdateTestSupport.h"
#include "core/Timing.h"
#include "link/PortMap.h"
#include "link/QtSerialPortAdapter.h"
#include "update/Dialog_Update.h"
#include "update/UpdateFile.h"
#include "update/UpdateProtocol.h"

using namespace zendra;
using update::TransferResult;

Q_DECLARE_METATYPE(update::TransferResult)

namespace {

const QString kSimulator = QStringLiteral(ZENDRA_BUILD_DIR "/kxwrt-sim");

// A running kxwrt-sim that dumps its state on exit; stopped with SIGTERM.
class Simulator {
public:
    Simulator(const QString& dumpPath, const QStringList& extra = {}) : m_dump(dumpPath) {
        m_process.start(kSimulator, QStringList{QStringLiteral("--dump"), dumpPath} + extra);
        if (!m_process.waitForStarted(5000)) return;
        while (!m_process.canReadLine() && m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(5000);
        m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~Simulator() { Stop(); }
    QString Path() const { return m_path; }

    // The firmware words (address -> word) of the dump the writer writes after a completed update; waits
    // up to five seconds for it, since the end mark may still be on its way.
    QMap<quint32, quint16> WaitForFirmware() {
        QElapsedTimer clock;
        clock.start();
        QMap<quint32, quint16> words;
        while (words.isEmpty() && clock.elapsed() < 5000) {
            QTest::qWait(50);
            words = ReadDump();
        }
        return words;
    }
    // Stops the writer (it dumps on exit) and returns the firmware words of the dump.
    QMap<quint32, quint16> StopAndReadFirmware() {
        Stop();
        return ReadDump();
    }

private:
    QMap<quint32, quint16> ReadDump() const {
        QFile file(m_dump);
        QMap<quint32, quint16> words;
        if (!file.open(QIODevice::ReadOnly)) return words;
        const QJsonObject firmware =
            QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("firmware")).toObject();
        for (auto it = firmware.begin(); it != firmware.end(); ++it)
            words.insert(it.key().toUInt(nullptr, 16), quint16(it.value().toString().toUInt(nullptr, 16)));
        return words;
    }
    void Stop() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    QProcess m_process;
    QString m_path;
    QString m_dump;
};

QMap<quint32, quint16> Firmware(quint32 first, quint32 last) {
    QMap<quint32, quint16> words;
    for (quint32 w = first; w <= last; ++w) words.insert(w, quint16(w * 0x3B1Du + 0x1234u));
    return words;
}

QMap<quint32, quint16> SentPart(const QMap<quint32, quint16>& words) {
    QMap<quint32, quint16> sent;
    for (auto it = words.cbegin(); it != words.cend(); ++it)
        if (update::IsSentWord(it.key())) sent.insert(it.key(), it.value());
    return sent;
}

QString WriteFile(const QTemporaryDir& dir, const QByteArray& text) {
    const QString path = dir.filePath(QStringLiteral("kxfw700.hex"));
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text);
    return path;
}

}  // namespace

class UpdateSimTest : public QObject {
    Q_OBJECT

private:
    test::TestEnvironment m_env;

private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFile::exists(kSimulator), "kxwrt-sim is built beside the tests"); }

    void theWriterHoldsTheFileAfterAFullUpdate() {
        QTemporaryDir dir;
        Simulator sim(dir.filePath(QStringLiteral("state.json")));
        QVERIFY(!sim.Path().isEmpty());
        core::SystemTiming timing;
        link::QtSerialPortAdapter port;
        test::RecordingDisplay display(timing);
        update::UpdateLink link{port, timing, display};
        update::PrepareUpdatePort(port, QStringLiteral("57600"));
        QVERIFY(port.Open(sim.Path()));

        QCOMPARE(update::ReadFirmwareVersion(link).value_or(QString()), QStringLiteral("KX-WRT540 V6.35"));
        // Words 0x0000-0x21FF: the configuration words and the data words above must stay out.
        const auto words = Firmware(0x0000, 0x21FF);
        QCOMPARE(update::File_Load(link, WriteFile(dir, test::WordsFile(words))), TransferResult::Completed);
        QVERIFY2(display.status.startsWith(QStringLiteral("アップデート完了。  ")),
                 qPrintable(display.status));
        // The port stays open until the writer has taken the end mark: a pseudo-terminal drops what its
        // far side has not read yet when it closes.
        const auto firmware = sim.WaitForFirmware();
        port.Close();
        QCOMPARE(firmware.size(), 0x1F00 + 0x1F);
        QCOMPARE(firmware, SentPart(words));
    }

    // Chip operations leave the writer in its AVR command set, where it ignores 'U'.
    void anUpdateAfterAChipOperationStillStarts() {
        QTemporaryDir dir;
        Simulator sim(dir.filePath(QStringLiteral("state.json")));
        QVERIFY(!sim.Path().isEmpty());
        core::SystemTiming timing;
        link::QtSerialPortAdapter port;
        test::RecordingDisplay display(timing);
        update::UpdateLink link{port, timing, display};
        update::PrepareUpdatePort(port, QStringLiteral("57600"));
        QVERIFY(port.Open(sim.Path()));
        QVERIFY(port.Write(QByteArray("A")));
        for (int i = 0; i < 50 && port.BytesWaiting() < 1; ++i) port.WaitForMoreBytes(std::chrono::milliseconds(20));
        QCOMPARE(port.ReadAll(), QByteArray("\r"));

        const auto words = Firmware(0x0000, 0x003F);
        QCOMPARE(update::File_Load(link, WriteFile(dir, test::WordsFile(words))), TransferResult::Completed);
        const auto firmware = sim.WaitForFirmware();
        port.Close();
        QCOMPARE(firmware, SentPart(words));
    }

    void wrongAndMissingEchoesOverThePty_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<TransferResult>("result");
        QTest::newRow("every answer wrong") << QStringList{"--wrong-from", "1"} << TransferResult::Failed;
        QTest::newRow("writer hangs after U")
            << QStringList{"--silent-after", "1"} << TransferResult::TimedOut;
    }
    void wrongAndMissingEchoesOverThePty() {
        QFETCH(QStringList, options);
        QFETCH(TransferResult, result);
        QTemporaryDir dir;
        Simulator sim(dir.filePath(QStringLiteral("state.json")), options);
        QVERIFY(!sim.Path().isEmpty());
        core::SystemTiming timing;
        link::QtSerialPortAdapter port;
        test::RecordingDisplay display(timing);
        update::UpdateLink link{port, timing, display};
        update::PrepareUpdatePort(port, QStringLiteral("57600"));
        QVERIFY(port.Open(sim.Path()));
        // Word 0x0010 = 0x3FFF: sum 0x4E, its complement 0xB1.
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(
            update::File_Load(link, WriteFile(dir, test::Record(0x0020, 0, QByteArray::fromHex("FF3F")))),
            result);
        if (result == TransferResult::Failed) {
            QVERIFY2(display.failureText.endsWith(QStringLiteral("error data = 0xB1")),
                     qPrintable(display.failureText));
        } else {
            QCOMPARE(display.status, QStringLiteral("***　アップデート失敗　*** Address=0x10 Data=0x3FFF"));
            QVERIFY(clock.elapsed() >= 3000);  // 1 s after 'U', then more than 2 s for the echo
        }
        port.Close();
        QVERIFY(sim.StopAndReadFirmware().isEmpty());
    }

    void theDialogUpdatesTheWriterOnItsMappedPort() {
        QTemporaryDir dir;
        Simulator sim(dir.filePath(QStringLiteral("state.json")));
        QVERIFY(!sim.Path().isEmpty());
        core::SystemTiming timing;
        test::RecordingUi ui;
        test::MemorySettings settings;
        core::SharedState state;
        state.ScratchDir = m_env.AppDir();
        link::PortMap ports(settings, [] { return QList<link::DetectedPort>(); });
        link::QtSerialPortAdapter mainPort;
        link::LinkContext main{mainPort, timing, ui, state, settings, ports};
        core::OperationGuard guard;
        settings.Write(core::kSectionUpdate, QStringLiteral("Com"), QStringLiteral("3"));
        // COM3 is the writer; the main link is saved on it too and must come back when the dialog closes.
        ports.Assign(3, sim.Path());
        settings.Write(core::kSectionMain, QStringLiteral("ComNox"), QStringLiteral("3"));

        update::Dialog_Update dialog(nullptr, main, guard,
                                     [] { return std::make_unique<link::QtSerialPortAdapter>(); });
        dialog.show();
        QTest::mouseClick(dialog.CmdVersion, Qt::LeftButton);
        QCOMPARE(dialog.Text_FirmwareVersion->text(), QStringLiteral("KX-WRT540 V6.35"));
        const auto words = Firmware(0x0000, 0x00FF);
        ui.fileAnswers.enqueue(WriteFile(dir, test::WordsFile(words)));
        QTest::mouseClick(dialog.CmdOpen, Qt::LeftButton);
        QTest::mouseClick(dialog.CmdUpdate, Qt::LeftButton);
        QVERIFY2(dialog.StatusPanel1->text().startsWith(QStringLiteral("アップデート完了。  ")),
                 qPrintable(dialog.StatusPanel1->text()));
        QCOMPARE(sim.WaitForFirmware(), words);
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        QVERIFY(!dialog.MSComm100().IsOpen());
        QVERIFY(mainPort.IsOpen());
        QVERIFY2(sim.Path().endsWith(mainPort.PortPath()), qPrintable(mainPort.PortPath()));
        mainPort.Close();
    }
};

QTEST_MAIN(UpdateSimTest)
#include "tst_updatesim.moc"
