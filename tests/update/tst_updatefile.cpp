// The update file checks, the word range, the echo and the progress bar rule.
#include <QtTest>

#include "UpdateTestSupport.h"
#include "update/UpdateFile.h"
#include "update/UpdateProtocol.h"
#include "update/UpdateTexts.h"

using namespace zendra;
using update::FileProblem;

Q_DECLARE_METATYPE(update::FileProblem)
Q_DECLARE_METATYPE(update::ProgressAction)

namespace {

QByteArray Bytes(const char* hex) { return QByteArray::fromHex(hex); }

// "0010=3FFF" per word, in file order.
QStringList Describe(const QList<update::UpdateWord>& words) {
    QStringList out;
    for (const auto& w : words)
        out << QStringLiteral("%1=%2%3")
                   .arg(w.address, 4, 16, QLatin1Char('0'))
                   .arg(uint(w.high), 2, 16, QLatin1Char('0'))
                   .arg(uint(w.low), 2, 16, QLatin1Char('0'))
                   .toUpper();
    return out;
}

const QByteArray kGoodLine = test::Record(0x0000, 0, Bytes("0C94"));  // word 0 = 940C

QByteArray ReplaceAt(QByteArray line, int position, char c) {
    line[position] = c;
    return line;
}

}  // namespace

class UpdateFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refusesDamagedFiles_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<FileProblem>("problem");
        QTest::addColumn<int>("line");

        QTest::newRow("too short to be a record") << QByteArray(":1000\r\n") << FileProblem::NotARecord << 1;
        QTest::newRow("a bare colon") << kGoodLine + "\r\n:\r\n" << FileProblem::NotARecord << 2;
        QTest::newRow("letter G in the data") << ReplaceAt(kGoodLine, 10, 'G') + "\r\n"
                                              << FileProblem::BadDigit << 1;
        QTest::newRow("blank inside the record")
            << ReplaceAt(kGoodLine, 3, ' ') << FileProblem::BadDigit << 1;
        QTest::newRow("wrong checksum")
            << ReplaceAt(kGoodLine, kGoodLine.size() - 1, kGoodLine.endsWith('0') ? '1' : '0')
            << FileProblem::BadChecksum << 1;
        // Count says four bytes, the line holds two (the checksum matches the bytes present).
        QByteArray shortData = test::Record(0x0000, 0, Bytes("0C94"));
        shortData[2] = '4';
        QTest::newRow("count larger than the line") << shortData << FileProblem::LengthMismatch << 1;
        QTest::newRow("extra digits after the checksum")
            << kGoodLine + "00" << FileProblem::LengthMismatch << 1;
        QTest::newRow("odd number of digits") << kGoodLine + "0" << FileProblem::LengthMismatch << 1;
        QTest::newRow("three data bytes split a word")
            << test::Record(0x0000, 0, Bytes("0C9400")) << FileProblem::OddCount << 1;
        QTest::newRow("odd byte address")
            << test::Record(0x0001, 0, Bytes("0C94")) << FileProblem::OddAddress << 1;
        QTest::newRow("bad line counted after skipped lines")
            << kGoodLine + "\r\n; comment\r\n" + ReplaceAt(kGoodLine, 9, 'x') + "\r\n"
            << FileProblem::BadDigit << 3;
        QTest::newRow("extended address record of one byte")
            << test::Record(0, 4, Bytes("01")) << FileProblem::NotARecord << 1;
        QTest::newRow("empty file") << QByteArray() << FileProblem::NoWordToSend << 0;
        QTest::newRow("end record only") << QByteArray(":00000001FF\r\n") << FileProblem::NoWordToSend << 0;
        QTest::newRow("only configuration words")
            << test::Record(0x3E00, 0, Bytes("FFFF")) + "\r\n" + test::Record(0x3FFE, 0, Bytes("1234"))
            << FileProblem::NoWordToSend << 0;
        QTest::newRow("only data above the loader")
            << test::Record(0x4000, 0, Bytes("0C94")) << FileProblem::NoWordToSend << 0;
    }
    void refusesDamagedFiles() {
        QFETCH(QByteArray, text);
        QFETCH(FileProblem, problem);
        QFETCH(int, line);
        const auto contents = update::ParseUpdateFile(text);
        QCOMPARE(contents.problem, problem);
        QCOMPARE(contents.problemLine, line);
        QVERIFY(contents.words.isEmpty());
        QVERIFY(!update::DescribeProblem(contents).isEmpty());
        if (line > 0)
            QVERIFY(
                update::DescribeProblem(contents).startsWith(QString::number(line) + QStringLiteral("行目")));
    }

    void readsWordsLowByteFirst_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("words");

        QTest::newRow("one word") << kGoodLine + "\r\n:00000001FF\r\n" << QStringList{"0000=940C"};
        QTest::newRow("0x0010 holds 0x3FFF")
            << test::Record(0x0020, 0, Bytes("FF3F")) << QStringList{"0010=3FFF"};
        QTest::newRow("lower-case digits")
            << test::Record(0x0020, 0, Bytes("ab3c")).toLower() << QStringList{"0010=3CAB"};
        QTest::newRow("several words in one record")
            << test::Record(0x0100, 0, Bytes("01020304")) << QStringList{"0080=0201", "0081=0403"};
        QTest::newRow("LF line ends, trailing blanks, no final line end")
            << kGoodLine + "  \n" + test::Record(0x0002, 0, Bytes("1122"))
            << QStringList{"0000=940C", "0001=2211"};
        QTest::newRow("lines without a colon are skipped")
            << "\r\n; firmware\r\n " + kGoodLine + "\r\nxyz\r\n" + test::Record(0x0004, 0, Bytes("5566"))
            << QStringList{"0002=6655"};
        QTest::newRow("data after the end record still count")
            << ":00000001FF\r\n" + kGoodLine << QStringList{"0000=940C"};
        QTest::newRow("unsent words are kept for the bar")
            << kGoodLine + "\r\n" + test::Record(0x3E00, 0, Bytes("7788"))
            << QStringList{"0000=940C", "1F00=8877"};
        // A base of 0x10000 puts the next data at word 0x8000 instead of over word 0.
        QTest::newRow("extended linear address moves data up")
            << kGoodLine + "\r\n" + test::Record(0, 4, Bytes("0001")) + "\r\n" +
                   test::Record(0, 0, Bytes("AABB"))
            << QStringList{"0000=940C", "8000=BBAA"};
        QTest::newRow("extended segment address moves data up")
            << kGoodLine + "\r\n" + test::Record(0, 2, Bytes("1000")) + "\r\n" +
                   test::Record(0x0002, 0, Bytes("AABB"))
            << QStringList{"0000=940C", "8001=BBAA"};
        QTest::newRow("highest linear base does not wrap onto word 0")
            << kGoodLine + "\r\n" + test::Record(0, 4, Bytes("FFFF")) + "\r\n" +
                   test::Record(0xFFFE, 0, Bytes("AABB"))
            << QStringList{"0000=940C", "7FFFFFFF=BBAA"};
    }
    void readsWordsLowByteFirst() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, words);
        const auto contents = update::ParseUpdateFile(text);
        QVERIFY2(contents.IsValid(), qPrintable(update::DescribeProblem(contents)));
        QCOMPARE(Describe(contents.words), words);
    }

    void loadRefusesUnreadableAndOversizedFiles() {
        QTemporaryDir dir;
        QCOMPARE(update::LoadUpdateFile(dir.filePath(QStringLiteral("missing.hex"))).problem,
                 FileProblem::Unreadable);
        QCOMPARE(update::LoadUpdateFile(dir.path()).problem, FileProblem::Unreadable);
        QFile big(dir.filePath(QStringLiteral("big.hex")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        const QByteArray line = kGoodLine + "\r\n";
        while (big.size() <= update::kMaxUpdateFileBytes) big.write(line.repeated(4096));
        big.close();
        QCOMPARE(update::LoadUpdateFile(big.fileName()).problem, FileProblem::TooLarge);
        QFile good(dir.filePath(QStringLiteral("good.hex")));
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write(line);
        good.close();
        QCOMPARE(Describe(update::LoadUpdateFile(good.fileName()).words), QStringList{"0000=940C"});
    }

    void sendsOnlyTheLoaderRanges_data() {
        QTest::addColumn<quint32>("word");
        QTest::addColumn<bool>("sent");
        QTest::newRow("0x0000") << 0x0000u << true;
        QTest::newRow("0x1EFF last application word") << 0x1EFFu << true;
        QTest::newRow("0x1F00 first configuration word") << 0x1F00u << false;
        QTest::newRow("0x1FDF") << 0x1FDFu << false;
        QTest::newRow("0x1FE0") << 0x1FE0u << true;
        QTest::newRow("0x1FFE") << 0x1FFEu << true;
        QTest::newRow("0x1FFF") << 0x1FFFu << false;
        QTest::newRow("0x2000 data word") << 0x2000u << false;
        QTest::newRow("0x8000 above 64 KiB") << 0x8000u << false;
    }
    void sendsOnlyTheLoaderRanges() {
        QFETCH(quint32, word);
        QFETCH(bool, sent);
        QCOMPARE(update::IsSentWord(word), sent);
    }

    void echoIsTheLowByteOfThePacketSum_data() {
        QTest::addColumn<quint32>("word");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("echo");
        QTest::newRow("0x0010 = 0x3FFF") << 0x0010u << 0x3F << 0xFF << 0x4E;
        QTest::newRow("all zero") << 0x0000u << 0x00 << 0x00 << 0x00;
        QTest::newRow("0x1FFE = 0xFFFF wraps") << 0x1FFEu << 0xFF << 0xFF << 0x1B;
        QTest::newRow("address high byte counts") << 0x1200u << 0x00 << 0x01 << 0x13;
    }
    void echoIsTheLowByteOfThePacketSum() {
        QFETCH(quint32, word);
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(int, echo);
        QCOMPARE(int(update::WordEcho(word, quint8(high), quint8(low))), echo);
    }

    void progressBarRule_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("position");
        QTest::addColumn<update::ProgressAction>("action");
        using A = update::ProgressAction;
        QTest::newRow("start") << "on" << 7936 << 0 << A::Show;
        QTest::newRow("every 79 words") << "on" << 7936 << 79 << A::Show;
        QTest::newRow("not a multiple") << "on" << 7936 << 80 << A::None;
        QTest::newRow("last step below the end") << "ON" << 7936 << 7900 << A::Show;
        QTest::newRow("mixed-case ON") << "oN" << 7936 << 158 << A::Show;
        QTest::newRow("reaching the maximum resets") << "on" << 7936 << 7936 << A::Reset;
        QTest::newRow("past the maximum resets") << "on" << 7936 << 8191 << A::Reset;
        QTest::newRow("off resets") << "off" << 7936 << 79 << A::Reset;
        QTest::newRow("OfF resets") << "OfF" << 0 << 0 << A::Reset;
        QTest::newRow("range under 100") << "on" << 99 << 0 << A::None;
        QTest::newRow("unknown mode") << "run" << 7936 << 79 << A::None;
        QTest::newRow("step 1.5 rounds to 2") << "on" << 150 << 2 << A::Show;
        QTest::newRow("step 1.5, odd position") << "on" << 150 << 3 << A::None;
    }
    void progressBarRule() {
        QFETCH(QString, mode);
        QFETCH(int, maximum);
        QFETCH(int, position);
        QFETCH(update::ProgressAction, action);
        QCOMPARE(update::ProgressBarRule(mode, 0, maximum, position), action);
    }

    void progressBarResetPumpsEvents() {
        test::FakeTiming timing;
        test::RecordingDisplay display(timing);
        update::msgProgressBar(display, QStringLiteral("on"), 0, 7936, 158);
        update::msgProgressBar(display, QStringLiteral("on"), 0, 7936, 159);
        update::msgProgressBar(display, QStringLiteral("off"), 0, 0, 0);
        QCOMPARE(display.calls, (QStringList{"bar 0 7936 158", "reset", "pump"}));
    }

    void portChoice_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");  // 0: no port
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("20") << "20" << 20;
        QTest::newRow("?") << "?" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("21 is no entry") << "21" << 0;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("text") << "COM3" << 0;
    }
    void portChoice() {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(update::PortNumberOf(text).value_or(0), number);
    }

    void timeOutTextHasNoLeadingZeros_data() {
        QTest::addColumn<quint32>("word");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<QString>("text");
        QTest::newRow("small values")
            << 0x1Au << 0x0C << 0x94 << "***　アップデート失敗　*** Address=0x1A Data=0xC94";
        QTest::newRow("zero data") << 0x0u << 0x00 << 0x00
                                   << "***　アップデート失敗　*** Address=0x0 Data=0x00";
        QTest::newRow("top word") << 0x1FFEu << 0xAB << 0x0F
                                  << "***　アップデート失敗　*** Address=0x1FFE Data=0xABF";
    }
    void timeOutTextHasNoLeadingZeros() {
        QFETCH(quint32, word);
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(QString, text);
        QCOMPARE(update::EchoTimeOutText(word, quint8(high), quint8(low)), text);
    }
};

QTEST_GUILESS_MAIN(UpdateFileTest)
#include "tst_updatefile.moc"
