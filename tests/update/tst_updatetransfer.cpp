// The update on the wire: scripted writer, fake clock, every byte and every wait checked.
#include <QtTest>

#include "MemorySettings.h"
#include "RecordingUi.h"
#include "UpdateTestSupport.h"
#include "link/PortMap.h"
#include "update/UpdateFile.h"
#include "update/UpdateProtocol.h"
#include "update/UpdateTexts.h"

using namespace zendra;
using namespace std::chrono_literals;
using update::TransferResult;

Q_DECLARE_METATYPE(update::TransferResult)

namespace {

QMap<quint32, quint16> WordsFrom(quint32 first, quint32 last) {
    QMap<quint32, quint16> words;
    for (quint32 w = first; w <= last; ++w) words.insert(w, quint16((w * 0x9E37u) ^ (w >> 3)));
    return words;
}

QMap<quint32, quint16> SentPart(const QMap<quint32, quint16>& words) {
    QMap<quint32, quint16> sent;
    for (auto it = words.cbegin(); it != words.cend(); ++it)
        if (update::IsSentWord(it.key())) sent.insert(it.key(), it.value());
    return sent;
}

struct Bench {
    QTemporaryDir dir;
    test::FakeTiming timing;
    test::ScriptedPort port{timing};
    test::UpdateWriterScript writer;
    test::RecordingDisplay display{timing};
    update::UpdateLink link{port, timing, display};

    Bench() {
        writer.Attach(port);
        port.Open(QStringLiteral("/dev/ttyUPD"));
    }
    QString WriteFile(const QByteArray& text) {
        const QString path = dir.filePath(QStringLiteral("kxfw.hex"));
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text);
        return path;
    }
    // The four-byte packets between 'U' and the end mark.
    QList<QByteArray> Packets() const {
        QList<QByteArray> packets;
        for (const auto& w : port.Writes())
            if (w.bytes.size() == 4 && w.bytes != update::kEndMark) packets << w.bytes;
        return packets;
    }
};

}  // namespace

class UpdateTransferTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sendsTheLoaderRangesOfAFullFile() {
        Bench b;
        const auto words = WordsFrom(0x0000, 0x1FFF);
        QCOMPARE(b.writer.entries, 0);
        QCOMPARE(update::File_Load(b.link, b.WriteFile(test::WordsFile(words))), TransferResult::Completed);

        const auto& writes = b.port.Writes();
        // ESC first: a writer left in its AVR command set would ignore 'U'.
        QCOMPARE(writes.at(0).bytes, QByteArray("\x1b"));
        QCOMPARE(writes.at(1).bytes, QByteArray("U"));
        QCOMPARE(b.Packets().size(), 0x1F00 + 0x1F);
        QCOMPARE(writes.size(), 2 + 0x1F00 + 0x1F + 1);
        QCOMPARE(writes.last().bytes, QByteArray::fromHex("FFFFFFFF"));
        QVERIFY(b.writer.ended);
        QCOMPARE(b.writer.words, SentPart(words));
        // The writer gets a full second after 'U' before the first word.
        QVERIFY(writes.at(2).at - writes.at(1).at >= 1000ms);
        // Every word, sent or not, steps the bar: shows at multiples of 79, resets from 0x1F00 on.
        QCOMPARE(b.display.shows, 7936 / 79 + 1);
        QCOMPARE(b.display.lastShown, 7900);
        QCOMPARE(b.display.resets, 0x2000 - 0x1F00);
        QCOMPARE(b.display.status, QStringLiteral("アップデート完了。  1sec"));
        QCOMPARE(b.display.boxes,
                 QStringList{QStringLiteral(
                     "ファームウエアアップデート|　　　 ファームウエアアップデートが完了しました。  "
                     "電源を再投入してください。  　　　　　　　\r\n　")});
        QVERIFY(b.display.failureText.isEmpty());
        // The input is emptied before ESC, 'U', every word and the end mark.
        QCOMPARE(b.port.DiscardCount(), 2 + 0x1F00 + 0x1F + 1);
    }

    void packetLayout_data() {
        QTest::addColumn<quint16>("byteAddress");
        QTest::addColumn<QByteArray>("fileBytes");
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<int>("echo");
        QTest::newRow("word 0x0010 = 0x3FFF")
            << quint16(0x0020) << QByteArray::fromHex("FF3F") << QByteArray::fromHex("00103FFF") << 0x4E;
        QTest::newRow("word 0x1FFE, last loader word")
            << quint16(0x3FFC) << QByteArray::fromHex("3412") << QByteArray::fromHex("1FFE1234") << 0x63;
        QTest::newRow("word 0x1FE0") << quint16(0x3FC0) << QByteArray::fromHex("0C94")
                                     << QByteArray::fromHex("1FE0940C") << 0x9F;
    }
    void packetLayout() {
        QFETCH(quint16, byteAddress);
        QFETCH(QByteArray, fileBytes);
        QFETCH(QByteArray, packet);
        QFETCH(int, echo);
        Bench b;
        QCOMPARE(update::File_Load(b.link, b.WriteFile(test::Record(byteAddress, 0, fileBytes))),
                 TransferResult::Completed);
        QCOMPARE(b.Packets(), QList<QByteArray>{packet});
        QCOMPARE(int(update::WordEcho(quint8(packet[0]) << 8 | quint8(packet[1]), quint8(packet[2]),
                                      quint8(packet[3]))),
                 echo);
        QCOMPARE(b.port.Writes().size(), 4);
    }

    void echoDeadline_data() {
        QTest::addColumn<int>("delayMs");  // -1: never
        QTest::addColumn<TransferResult>("result");
        QTest::newRow("at once") << 0 << TransferResult::Completed;
        QTest::newRow("1.9 s") << 1900 << TransferResult::Completed;
        QTest::newRow("exactly 2 s is in time") << 2000 << TransferResult::Completed;
        QTest::newRow("2.5 s is late") << 2500 << TransferResult::TimedOut;
        QTest::newRow("silent writer") << -1 << TransferResult::TimedOut;
    }
    void echoDeadline() {
        QFETCH(int, delayMs);
        QFETCH(TransferResult, result);
        Bench b;
        b.writer.silent = delayMs < 0;
        b.writer.echoDelay = std::chrono::milliseconds(std::max(delayMs, 0));
        const auto path = b.WriteFile(test::Record(0x0034, 0, QByteArray::fromHex("940C")) + "\r\n" +
                                      test::Record(0x0036, 0, QByteArray::fromHex("0000")));
        QCOMPARE(update::File_Load(b.link, path), result);
        if (result == TransferResult::Completed) {
            QCOMPARE(b.Packets().size(), 2);
            QCOMPARE(b.port.Writes().last().bytes, update::kEndMark);
            return;
        }
        // The first word fails just after two seconds; nothing more is sent, not even the end mark.
        QCOMPARE(b.Packets().size(), 1);
        QCOMPARE(b.port.Writes().size(), 3);  // ESC, U, the first word
        const auto waited = b.display.statusAt - b.port.Writes().last().at;
        QVERIFY(waited > 2s);
        QVERIFY(waited < 2100ms);
        QCOMPARE(b.display.status, QStringLiteral("***　アップデート失敗　*** Address=0x1A Data=0xC94"));
        QCOMPARE(b.display.boxes,
                 QStringList{QStringLiteral(
                     "ファームウエアアップデート|　　　***　アップデート失敗　***　　　　　　\r\n　")});
        QCOMPARE(b.display.calls.mid(b.display.calls.size() - 2), (QStringList{"reset", "pump"}));
        QVERIFY(b.display.failureText.isEmpty());
    }

    void wrongEchoStopsWithTheReceivedByte_data() {
        QTest::addColumn<int>("badPacket");
        QTest::addColumn<int>("wrongEcho");
        QTest::addColumn<QString>("shown");
        QTest::newRow("third word, 0xA7") << 2 << 0xA7 << "A7";
        QTest::newRow("first word, 0x05") << 0 << 0x05 << "5";
    }
    void wrongEchoStopsWithTheReceivedByte() {
        QFETCH(int, badPacket);
        QFETCH(int, wrongEcho);
        QFETCH(QString, shown);
        Bench b;
        b.writer.wrongEchoFrom = badPacket;
        b.writer.wrongEcho = quint8(wrongEcho);
        QCOMPARE(update::File_Load(b.link, b.WriteFile(test::WordsFile(WordsFrom(0x100, 0x10F)))),
                 TransferResult::Failed);
        QCOMPARE(b.Packets().size(), badPacket + 1);
        QVERIFY(!b.port.Writes().last().bytes.startsWith(char(0xFF)));
        QCOMPARE(b.display.failureText, update::TransferFailedText(shown));
        QVERIFY(b.display.failureText.endsWith(QStringLiteral("　error data = 0x") + shown));
        QCOMPARE(b.display.status, QStringLiteral("***　アップデート失敗　***"));
        QVERIFY(b.display.boxes.isEmpty());
        // The bar is left where it was: no reset.
        QCOMPARE(b.display.resets, 0);
    }

    void aVanishedPortFailsWithoutAnEcho() {
        Bench b;
        int packets = 0;
        b.port.responder = [&](test::ScriptedPort& port, const QByteArray& bytes) {
            if (bytes.size() == 4 && ++packets == 2)
                port.Vanish();
            else if (bytes.size() == 4)
                port.QueueReply(QByteArray(1, char(update::WordEcho(quint8(bytes[0]) << 8 | quint8(bytes[1]),
                                                                    quint8(bytes[2]), quint8(bytes[3])))));
        };
        QCOMPARE(update::File_Load(b.link, b.WriteFile(test::WordsFile(WordsFrom(0, 7)))),
                 TransferResult::Failed);
        QVERIFY(b.display.failureText.endsWith(QStringLiteral("error data = 0x--")));
        QVERIFY(b.display.boxes.isEmpty());
        // Failed at once, not after the echo time-out.
        QVERIFY(b.timing.WaitedTotal() < 100ms);
    }

    void damagedFilesSendNothing_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("reason");
        QByteArray good = test::Record(0x0000, 0, QByteArray::fromHex("0C94"));
        QByteArray badSum = good;
        badSum[badSum.size() - 1] = badSum.endsWith('0') ? '1' : '0';
        QTest::newRow("bad checksum on line 2")
            << good + "\r\n" + badSum << "2行目：チェックサムが一致しません。";
        QTest::newRow("odd byte count") << test::Record(0x0000, 0, QByteArray::fromHex("0C9400"))
                                        << "1行目：データのバイト数が奇数です。";
        QTest::newRow("odd address") << test::Record(0x0003, 0, QByteArray::fromHex("0C94"))
                                     << "1行目：アドレスが奇数です。";
        QTest::newRow("bad digit") << QByteArray(":02000000ZZ9466") << "1行目：16進数でない文字があります。";
        QTest::newRow("nothing to send") << QByteArray(":00000001FF\r\n") << "書き込むデータがありません。";
    }
    void damagedFilesSendNothing() {
        QFETCH(QByteArray, text);
        QFETCH(QString, reason);
        Bench b;
        // Not even 'U': a damaged file must not leave the writer in its loader.
        QCOMPARE(update::File_Load(b.link, b.WriteFile(text)), TransferResult::Refused);
        QVERIFY(b.port.Writes().isEmpty());
        QCOMPARE(b.display.failureText, update::TransferFailedText(QStringLiteral("--")));
        QCOMPARE(b.display.status, QStringLiteral("***　アップデート失敗　*** ") + reason);
    }

    void aMissingFileSendsNothing() {
        Bench b;
        QCOMPARE(update::File_Load(b.link, b.dir.filePath(QStringLiteral("none.hex"))),
                 TransferResult::Refused);
        QVERIFY(b.port.Writes().isEmpty());
        QVERIFY(b.display.failureText.endsWith(QStringLiteral("0x--")));
    }

    void versionRead_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<QString>("version");  // empty: communication failure
        QTest::newRow("17 bytes at once") << QByteArray("KX-WRT540 V6.35\r\n") << 0 << "KX-WRT540 V6.35";
        QTest::newRow("16 bytes within the second")
            << QByteArray("KX-WRT540 V6.30\r") << 900 << "KX-WRT540 V6.30";
        QTest::newRow("exactly one second") << QByteArray("KX-WRT540 V6.30\r") << 1000 << "KX-WRT540 V6.30";
        QTest::newRow("15 bytes are not enough") << QByteArray("KX-WRT540 V6.3") + "5" << 0 << "";
        QTest::newRow("16 bytes too late") << QByteArray("KX-WRT540 V6.35\r") << 1500 << "";
    }
    void versionRead() {
        QFETCH(QByteArray, reply);
        QFETCH(int, delayMs);
        QFETCH(QString, version);
        Bench b;
        b.writer.versionReply = reply;
        b.writer.versionDelay = std::chrono::milliseconds(delayMs);
        const auto read = update::ReadFirmwareVersion(b.link);
        QCOMPARE(read.value_or(QString()), version);
        QCOMPARE(b.port.AllWritten(), QByteArray("?"));
        QCOMPARE(b.port.DiscardCount(), 1);
        if (version.isEmpty()) QVERIFY(b.timing.Now() - b.port.Writes().last().at > 1s);
    }

    void releasingTheMainLink() {
        test::FakeTiming timing;
        test::ScriptedPort mainPort(timing);
        test::RecordingUi ui;
        test::MemorySettings settings;
        core::SharedState state;
        link::PortMap ports(settings, [] { return QList<link::DetectedPort>(); });
        link::LinkContext main{mainPort, timing, ui, state, settings, ports};
        mainPort.Open(QStringLiteral("/dev/ttyMAIN"));
        bool openDuringPauses = true;
        ui.onPump = [&] { openDuringPauses = openDuringPauses && mainPort.IsOpen(); };
        update::COM_PortOff(main);
        QVERIFY(!mainPort.IsOpen());
        QVERIFY(openDuringPauses);
        QCOMPARE(mainPort.DiscardCount(), 1);
        QCOMPARE(ui.pumps, 3);
        QCOMPARE(timing.SleptTotal(), core::Duration(400ms));
        // A closed link stays closed and nothing fails.
        update::COM_PortOff(main);
        QVERIFY(!mainPort.IsOpen());
    }

    void updatePortSettings_data() {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("line");
        QTest::newRow("57600") << "57600"
                               << "57600,n,8,1";
        QTest::newRow("19200") << "19200"
                               << "19200,n,8,1";
        QTest::newRow(" 9600 with its blank") << " 9600"
                                              << "9600,n,8,1";
    }
    void updatePortSettings() {
        QFETCH(QString, speed);
        QFETCH(QString, line);
        test::FakeTiming timing;
        test::ScriptedPort port(timing);
        port.Open(QStringLiteral("/dev/ttyUPD"));
        update::PrepareUpdatePort(port, speed);
        QVERIFY(!port.IsOpen());
        QCOMPARE(port.LastLineSettings(), line);
    }
};

QTEST_GUILESS_MAIN(UpdateTransferTest)
#include "tst_updatetransfer.moc"
