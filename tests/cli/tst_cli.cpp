// zendra-cli as a workshop script runs it: the real executable against kxwrt-sim on pseudo-terminals, its
// exit codes, output, JSON report and chip log; the gang, the production loop and Ctrl-C.

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include "Shard.h"
#include "image/FileCommands.h"
#include "TestEnvironment.h"

using namespace zendra;

namespace {

const QString kCli = QStringLiteral(ZENDRA_BUILD_DIR "/zendra-cli");
const QString kSim = QStringLiteral(ZENDRA_BUILD_DIR "/kxwrt-sim");

// A kxwrt-sim on its own pseudo-terminal.
struct Sim {
    explicit Sim(const QStringList& options) {
        process.start(kSim, options);
        if (process.waitForStarted() && process.waitForReadyRead(5000))
            path = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~Sim() {
        process.terminate();
        if (!process.waitForFinished(3000)) process.kill();
    }
    void Command(const QByteArray& line) {
        process.write(line + '\n');
        process.waitForBytesWritten(1000);
    }
    QProcess process;
    QString path;
};

struct Run {
    int exitCode = -1;
    QString out, err;
};

// Runs zendra-cli; "{port}" in the arguments becomes the simulator's path, "{dir}" the test's folder.
Run Cli(QStringList args, const QString& port, const QString& dir, int timeoutMs = 60000) {
    for (QString& a : args) a.replace(QStringLiteral("{port}"), port).replace(QStringLiteral("{dir}"), dir);
    QProcess cli;
    cli.start(kCli, args);
    cli.waitForFinished(timeoutMs);
    return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()), QString::fromUtf8(cli.readAllStandardError())};
}

// Gathers what a running zendra-cli prints into `seen` until it holds `text` `count` times (20 s at most).
bool WaitFor(QProcess& cli, QString& seen, const QString& text, int count = 1) {
    for (int i = 0; i < 200 && seen.count(text) < count; ++i) {
        cli.waitForReadyRead(100);
        seen += QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError());
    }
    return seen.count(text) >= count;
}
// The two stores a production test runs on: a file in `dir`, and a database of the throwaway server.
void StoreRows(const QString& dir, const QString& name) {
    QTest::addColumn<QString>("db");
    QTest::newRow("file") << dir + "/" + name + ".sqlite";
    QTest::newRow("server") << test::PgCluster::Shared().NewDatabase(name);
}
QJsonObject Json(const QString& path) { return QJsonDocument::fromJson(test::ReadFile(path)).object(); }
// The `key` of every event of a --json run's stream named `event`.
QJsonArray EventsOf(const QString& out, const QString& event, const QString& key) {
    QJsonArray found;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        if (o["event"] == event) found.append(o[key]);
    }
    return found;
}
// The chip store's records of one number, newest first.
QJsonArray History(const QString& db, qint64 serial) {
    return EventsOf(Cli({"--db", db, "history", "--json", "--serial", QString::number(serial)}, {}, {}).out, "record", "record");
}

QByteArray HexRecord(quint16 address, const QByteArray& data) {
    QByteArray record = char(data.size()) + QByteArray(1, char(address >> 8)) + char(address & 0xFF) + '\0' + data;
    int sum = 0;
    for (char b : record) sum += quint8(b);
    return ':' + record.toHex().toUpper() + QByteArray::number((256 - sum % 256) % 256, 16).rightJustified(2, '0').toUpper() + "\r\n";
}

// The options of one command against one simulated writer, and what the script sees.
struct Case {
    QStringList sim = {QStringLiteral("--chip"), QStringLiteral("ATtiny12L")};
    QStringList args;
    int exitCode = 0;
    QString out = {};  // a text stdout holds
    QString err = {};  // a text stderr holds
    std::optional<QString> wholeOut = {};  // all that stdout holds, where a script reads it
};

// A hostile input and what is left: exit code, first line said (stderr's, else stdout's; with the output lost, stderr's
// last), the chip's first flash word and low fuse, the records in the row's store ({db}; -1: none). `prepare` runs first.
struct Hostile {
    QStringList prepare = {};
    QStringList args;
    int exitCode;
    QString firstLine;
    QString chip = "FFFF D2";
    int records = -1;
    bool fullOutput = false;  // standard output is /dev/full
    QString verdict = {};      // what stdout starts with
};

}  // namespace

Q_DECLARE_METATYPE(Case)
Q_DECLARE_METATYPE(Hostile)

class CliTest : public QObject {
    Q_OBJECT

    test::TestEnvironment m_env;
    QString m_dir;

private Q_SLOTS:
    void initTestCase() {
        m_dir = m_env.Root();
        // Sixteen words and two EEPROM bytes; a file with a bad checksum on its second line.
        const QByteArray code = HexRecord(0, QByteArray::fromHex("0C9410000000112233445566778899AA")) +
                                HexRecord(16, QByteArray::fromHex("BBCCDDEEFF00A5A55A5A010203040506")) + ":00000001FF\r\n";
        test::WriteFile(m_dir + "/blink.hex", code);
        test::WriteFile(m_dir + "/blink.eep", HexRecord(5, QByteArray::fromHex("4243")) + ":00000001FF\r\n");
        QByteArray bad = code;
        bad[bad.indexOf("\r\n") + 40] = 'X';
        test::WriteFile(m_dir + "/bad.hex", bad);
        test::WriteFile(m_dir + "/big.hex", HexRecord(0x7FF0, QByteArray(16, '\x11')) + ":00000001FF\r\n");
        test::WriteFile(m_dir + "/empty.hex", ":00000001FF\r\n");
        // A chip whose flash an erase fails to clear: every high byte programmed to 00.
        test::WriteFile(m_dir + "/old.json", R"({"chip": "ATtiny12L", "flash": ")" + QByteArray("00FF").repeated(32) + R"("})");
        test::WriteFile(m_dir + "/noend.hex", HexRecord(0, QByteArray::fromHex("0C94")));
        const QByteArray elfBytes = test::ReadFile(QFileInfo(__FILE__).dir().filePath("../image/data/tn12.elf"));  // avr-gcc's, with FUSES
        test::WriteFile(m_dir + "/tn12.elf", elfBytes);
        test::WriteFile(m_dir + "/cut.elf", elfBytes.left(0x60));
        QByteArray big;  // a full AT90S8515, slow enough at 9600 baud to be stopped midway
        for (int a = 0; a < 0x1000; a += 16) big += HexRecord(quint16(a), QByteArray(16, '\x5A'));
        test::WriteFile(m_dir + "/full.hex", big + ":00000001FF\r\n");
        // A store of a newer program: its schema version (the header's user version) raised.
        // (made by a run that opens the store before it finds no port: a query creates none)
        QCOMPARE(Cli({"--db", m_dir + "/newer.sqlite", "-p", "/dev/zendra-none", "erase"}, {}, {}).exitCode, 2);
        QFile newer(m_dir + "/newer.sqlite");
        QVERIFY(newer.open(QIODevice::ReadWrite) && newer.seek(60) && newer.write(QByteArray::fromHex("00000063")) == 4);
        // Setups: one of a newer program, one whose code file is no longer the one it pinned.
        test::WriteFile(m_dir + "/newer.zendra", R"({"format": 99, "code": {"path": "blink.hex"}})");
        test::WriteFile(m_dir + "/changed.zendra", R"({"format": 1, "code": {"path": "blink.hex", "sha256": "00"}})");
        // Setups with a value of the wrong type or out of range, each named by the key it breaks.
        const QByteArray pinned = "{\"format\": 1, \"code\": {\"path\": \"blink.hex\", \"sha256\": \"" +
                                  QCryptographicHash::hash(test::ReadFile(m_dir + "/blink.hex"), QCryptographicHash::Sha256).toHex() + "\"}, ";
        const std::pair<const char*, const char*> badSetups[] = {
            {"ports", "\"ports\": \"COM3\""},
            {"ports1", "\"ports\": [\"COM1\", 2]"},
            {"stamp", "\"stamp\": [1]"},
            {"programEeprom", "\"programEeprom\": \"false\""},
            {"start", "\"stamp\": {\"at\": \"eeprom:0\", \"format\": \"u8\", \"start\": -1}"},
            {"device", "\"device\": \"ATmega328\""},
            {"choice", "\"device\": \"ATtiny12L\", \"lockFuse\": [{\"field\": \"CKSEL\", \"choice\": 7}]"}};
        for (const auto& [name, value] : badSetups)
            test::WriteFile(m_dir + "/bad-" + name + ".zendra", pinned + value + "}");
        // Damaged copies of the toolchain's file, reports and setups.
        test::WriteFile(m_dir + "/short.elf", elfBytes.chopped(1));
        for (const char* value : {"\"GG\"", "\"1FF\"", "\"-1\"", "\"\"", "256", "210"})
            test::WriteFile(m_dir + "/r" + QByteArray(value).replace('"', "") + ".json",
                            R"({"runs": [{"lockFuse": {"device": "ATtiny12L", "before": {"lock": "FF", "fuse": )" + QByteArray(value) + "}}}]}");
        for (const char* wrong : {"gone", "folder", "fifo"})
            test::WriteFile(m_dir + "/" + wrong + ".zendra", R"({"format": 1, "code": {"path": ")" + QByteArray(wrong) + R"(.hex", "sha256": "00"}})");
        QVERIFY(QDir(m_dir).mkpath("folder.hex") && QDir(m_dir).mkpath("linked"));
        QCOMPARE(::mkfifo(qPrintable(m_dir + "/fifo.hex"), 0600), 0);
        QVERIFY(QFile::link(m_dir + "/job.zendra", m_dir + "/linked/job.zendra"));
        test::WriteFile(m_dir + "/secret.zendra", "{\"format\": 1, \"code\": {\"path\": \"blink.hex\"}, \"store\": \"postgresql://u:secret@h/d?password=secret&sslmode=require\"}");
    }

    // Nothing ends in a false success: each surface's hostile inputs, and what the chip and the store hold.
    void hostile_data() {
        QTest::addColumn<Hostile>("h");
        const QStringList run{"--lang", "en", "-q", "--db", "{db}", "--port", "{port}"};
        const auto row = [](const char* tag, const Hostile& h) { QTest::newRow(tag) << h; };
        row("ELF one byte short", {.args = run + QStringList{"program", "{dir}/short.elf"}, .exitCode = 3,
            .firstLine = "{dir}/short.elf: HEX file open error: The section header table of the ELF file lies outside"});
        for (const QString value : {"GG", "1FF", "-1", "", "256", "210"})  // 256, 210: JSON numbers
            row(qPrintable("restore: fuse " + value), {.args = run + QStringList{"fuse", "restore", "{dir}/r" + value + ".json"}, .exitCode = 3,
                .firstLine = "a value of the report is not valid (runs[0].lockFuse.before.fuse): {dir}/r" + value + ".json"});
        for (const QString kind : {"gone", "folder", "fifo"})
            row(qPrintable("setup: pinned file " + kind), {.args = run + QStringList{"run", "{dir}/" + kind + ".zendra"}, .exitCode = 3,
                .firstLine = "cannot read the file: {dir}/" + kind + ".hex: " + (kind == "gone" ? "The file does not exist." : "This is not a regular file")});
        row("setup through a link: its own folder", {.prepare = {"setup", "save", "{dir}/job.zendra", "{dir}/blink.hex"},
            .args = run + QStringList{"run", "{dir}/linked/job.zendra"}, .firstLine = "succeeded - ", .chip = "940C D2", .records = 1});
        // Standard output lost; a report that cannot be written.
        const QStringList en{"--lang", "en", "-q", "--db", "{db}"};
        const QString lost = "standard output could not be written; what was printed is lost: No space left on device";
        const auto lostRow = [&](const char* tag, const QStringList& args, const QString& chip = "FFFF D2", int records = -1) {
            row(tag, {.prepare = records > 0 ? QStringList{"erase"} : QStringList{}, .args = args, .exitCode = 2, .firstLine = lost,
                      .chip = chip, .records = records, .fullOutput = true});
        };
        lostRow("lost: fuse read", run + QStringList{"fuse", "read"});
        lostRow("lost: check", en + QStringList{"-d", "ATtiny12L", "check", "{dir}/blink.hex"});
        lostRow("lost: program", run + QStringList{"program", "{dir}/blink.hex"}, "940C D2", 2);
        lostRow("lost: version", {"--version"});
        lostRow("lost: history", en + QStringList{"history"}, "FFFF D2", 1);
        // A report that cannot be written turns the result line, as the chip log's does.
        row("report cannot be written", {.args = run + QStringList{"--report", "{dir}/" + QString(300, 'r'), "program",
            "{dir}/blink.hex"}, .exitCode = 2, .firstLine = "cannot write: ", .chip = "940C D2", .records = 1, .verdict = "output-failed - "});
        // Store queries and store passwords.
        row("history: no store", {.args = en + QStringList{"history"}, .exitCode = 2, .firstLine = "no chip store at {db}"});
        row("history: tab, line break, backslash", {.prepare = {"--serial-at", "eeprom:60", "--serial-format", "u8", "--serial-start", "7",
            "--serial-series", "a\tb\nc\\d", "program", "{dir}/blink.hex"}, .args = en + QStringList{"history", "--serial", "7"},
            .firstLine = "\tprogram\tATtiny12L\t1E:90:05\ta\\tb\\nc\\\\d:7\t-\tsucceeded\t", .chip = "940C D2", .records = 1});
        row("setup save: password refused", {.args = {"--lang", "en", "--db", "postgresql://u:secret@h/d", "setup", "save", "{dir}/pw.zendra",
            "{dir}/blink.hex"}, .exitCode = 4, .firstLine = "a URL with a password is not stored: put the password in ~/.pgpass"});
        row("run --print: no password", {.args = {"run", "--print", "{dir}/secret.zendra"}, .exitCode = 0,
                                         .firstLine = "zendra-cli --db 'postgresql://u@h/d?sslmode=require' program {dir}/blink.hex"});
        row("run: password used, not echoed", {.args = {"--lang", "en", "--db", "postgresql://u:secret@{dir}/no-socket/d", "erase"},
                                               .exitCode = 2, .firstLine = "cannot open the chip store: "});
    }
    void hostile() {
        QFETCH(Hostile, h);
        const QString tag = QString::number(qHash(QString(QTest::currentTestFunction()) + QTest::currentDataTag()));
        const QString db = m_dir + "/h" + tag + ".sqlite", dump = m_dir + "/h" + tag + ".json";
        Sim sim({"--chip", "ATtiny12L", "--dump", dump});
        const auto fill = [&](QStringList l) { for (QString& a : l) a.replace("{db}", db).replace("{dir}", m_dir).replace("{port}", sim.path); return l; };
        if (!h.prepare.isEmpty()) Cli(fill(QStringList{"--db", "{db}", "--port", "{port}"} + h.prepare), sim.path, m_dir);
        QProcess cli;
        if (h.fullOutput) cli.setStandardOutputFile("/dev/full");
        cli.start(kCli, fill(h.args));
        QVERIFY(cli.waitForFinished(60000));
        const QString out = QString::fromUtf8(cli.readAllStandardOutput()), err = QString::fromUtf8(cli.readAllStandardError());
        // With its output lost, what a command says last is what it ended on.
        const QString said = h.fullOutput ? err.trimmed().section('\n', -1) : (err.isEmpty() ? out : err).section('\n', 0, 0);
        QVERIFY2(cli.exitCode() == h.exitCode, qPrintable(QString("exit %1\n%2\n%3").arg(cli.exitCode()).arg(out, err)));
        QVERIFY2(said.contains(fill({h.firstLine}).first()), qPrintable(said));
        QVERIFY(!(out + err).contains("secret"));  // no password is ever said
        QVERIFY2(out.startsWith(h.verdict), qPrintable(out));
        sim.process.terminate();
        QVERIFY(sim.process.waitForFinished(3000));
        const QJsonObject chip = Json(dump);
        QCOMPARE(chip["flash"].toString().left(4) + ' ' + chip["fuseLow"].toString(), h.chip);
        const QJsonArray records = EventsOf(Cli({"--db", db, "history", "--json"}, {}, {}).out, "record", "record");
        QCOMPARE(QFileInfo::exists(db) ? int(records.size()) : -1, h.records);
    }

    void cleanupTestCase() { test::PgCluster::StopShared(); }

    void commands_data() {
        QTest::addColumn<Case>("c");
        const auto row = [](const char* tag, const Case& c) { QTest::newRow(tag) << c; };
        const QStringList en{"--lang", "en", "--port", "{port}"};
        row("program", {.args = en + QStringList{"program", "{dir}/blink.hex"}, .out = "succeeded - Verify FLASH : OK"});
        row("program in Japanese", {.args = QStringList{"--lang", "ja", "--port", "{port}", "program", "{dir}/blink.hex"},
                                    .out = "ベリファイ　FLASH : OK / EEPROM : OK 　プログラミング正常終了。"});
        row("verify a blank chip", {.args = en + QStringList{"verify", "{dir}/blink.hex"}, .exitCode = 1,
                                    .out = "mismatch", .err = "difference flash 0000: file 940C chip FFFF"});
        row("another device given", {.args = en + QStringList{"--device", "AT90S8515", "program", "{dir}/blink.hex"},
                                     .exitCode = 5, .out = "chip-refused"});
        row("silent writer: terminal advice", {.sim = {"--silent-after", "0"}, .args = en + QStringList{"erase"},
                                               .exitCode = 2, .out = "link-failed - the writer does not answer on {port}",
                                               .err = "zendra-cli ports lists the serial ports"});
        row("refused firmware", {.sim = {"--firmware", "6.29"}, .args = en + QStringList{"erase"}, .exitCode = 2,
                                 .out = "update the firmware to version 6.30"});
        row("old firmware: advisory, goes on", {.sim = {"--chip", "ATtiny12L", "--firmware", "6.32"},
                                                .args = en + QStringList{"program", "{dir}/blink.hex"},
                                                .err = "6.35"});
        row("locked chip erased", {.sim = {"--chip", "AT90S2313", "--locked"}, .args = en + QStringList{"erase"},
                                   .out = "succeeded"});
        row("two devices answer this signature", {.sim = {"--chip", "AT90S1200A(内部RCｸﾛｯｸ1MHz)"},
                                                  .args = en + QStringList{"erase"}, .exitCode = 4,
                                                  .out = "AT90S1200 (external clock), AT90S1200A"});
        row("data beyond the device", {.args = en + QStringList{"program", "{dir}/big.hex"}, .exitCode = 3,
                                       .out = "16 bytes of data beyond the device's flash size"});
        row("bad record: file, line, kind", {.args = en + QStringList{"program", "{dir}/bad.hex"}, .exitCode = 3,
                                             .err = "bad.hex: HEX file open error (line 2): "});
        row("a stream is no file", {.args = en + QStringList{"program", "/dev/zero"}, .exitCode = 3,
                                    .err = "not a regular file"});
        row("watch: program only", {.args = en + QStringList{"--watch", "verify", "{dir}/blink.hex"}, .exitCode = 4,
                                    .err = "--watch goes with the program command only"});
        row("nothing to program", {.args = en + QStringList{"program", "{dir}/empty.hex"}, .exitCode = 3,
                                   .err = "nothing to program (no data record): " + QString("{dir}/empty.hex")});
        row("no end record: a warning", {.args = en + QStringList{"program", "{dir}/noend.hex"},
                                         .out = "succeeded", .err = "warning: no end record: "});
        row("ELF: program, then its fuses", {.args = en + QStringList{"program", "--write-fuses", "{dir}/tn12.elf"},
                                             .out = "succeeded", .err = "BODLEVEL: 1.8V -> "});
        row("ELF: the file's choices", {.args = {"--lang", "en", "-d", "ATtiny12L", "check", "{dir}/tn12.elf"},
                                        .out = "choices (not written): CKSEL=2 (0010) BODEN=1"});
        row("ELF cut short", {.args = en + QStringList{"verify", "{dir}/cut.elf"}, .exitCode = 3,
                              .err = "cut.elf: HEX file open error: The program header table of the ELF file lies outside the file or is damaged."});
        row("--write-fuses without ELF", {.args = en + QStringList{"program", "--write-fuses", "{dir}/blink.hex"},
                                          .exitCode = 3, .err = "--write-fuses needs an ELF file"});
        row("unknown option", {.args = {"--colour", "erase"}, .exitCode = 4});
        row("unknown command", {.args = {"--lang", "en", "flash"}, .exitCode = 4, .err = "unknown command"});
        row("fuse the device lacks", {.args = en + QStringList{"--device", "AT90S8515", "fuse", "write", "CKSEL=1"},
                                      .exitCode = 4});
        row("fuse write keeps the rest, old reset name", {.args = en + QStringList{"fuse", "write", "CKSEL=3", "RSTDISABL=1"},
                                                         .out = "succeeded", .err = "CKSEL=3 (0011)\nBODEN=1 (Disable)\nBODLEVEL=1 (1.8V)\n"
                                                                                    "RSTDISBL=1 (PB5:Reset)\nLockBit=2 (No protection)"});
        row("fuse write by choice name", {.args = en + QStringList{"fuse", "write", "RSTDISBL=PB5:Reset", "CKSEL=0010"},
                                          .out = "succeeded", .err = "no lock/fuse change"});
        row("protection written with a warning", {.args = en + QStringList{"fuse", "write", "LockBit=1"},
                                                  .err = "LockBit: Writing is refused until the next chip erase."});
        // Short options; stdout holds only what a script reads.
        row("-q fuse read: the fields alone", {.args = {"--lang", "en", "-q", "-p", "{port}", "fuse", "read"},
                                              .err = "succeeded", .wholeOut = "CKSEL=2 (0010)\nBODEN=1 (Disable)\nBODLEVEL=1 (1.8V)\nRSTDISBL=1 (PB5:Reset)\nLockBit=2 (No protection)\n"});
        row("-v detect: the writer alone", {.args = {"--lang", "en", "-vv", "-p", "{port}", "detect"},
                                           .err = "Writer detected on {port}.\n", .wholeOut = "{port}\tKX-WRT540 V6.35\n"});
        row("-d in any case", {.args = {"--lang", "en", "-p", "{port}", "-d", "attiny12l", "erase"}, .out = "succeeded"});
        row("-d: no prefix, a suggestion", {.args = {"--lang", "en", "-d", "attiny26", "erase"}, .exitCode = 4,
                                            .err = "unknown device: attiny26 (did you mean ATtiny26L?)", .wholeOut = ""});
        // A port that cannot be used says why; stdout keeps only the verdict.
        row("no such port", {.args = {"--lang", "en", "-p", "/dev/zendra-none", "erase"}, .exitCode = 2,
                             .err = "ports: ", .wholeOut = "link-failed - no such port: /dev/zendra-none (No such file or directory)\n"});
        row("not a terminal", {.args = {"--lang", "en", "-p", "{dir}/blink.hex", "fuse", "read"}, .exitCode = 2,
                               .err = "link-failed - not a serial port: {dir}/blink.hex", .wholeOut = ""});
        // A stamp or a store that cannot serve is refused before the port is opened.
        const QStringList nowhere{"--lang", "en", "-p", "/dev/zendra-none"};
        row("stamp past the device", {.args = nowhere + QStringList{"-d", "ATtiny12L", "--serial-at", "eeprom:63", "--serial-format",
                                                                   "le16", "program", "{dir}/blink.hex"},
                                      .exitCode = 4, .err = "beyond the device's memory: eeprom:63"});
        row("no calibration byte", {.sim = {"--chip", "AT90S2313"}, .args = en + QStringList{"--calibration-at", "eeprom:0", "program", "{dir}/blink.hex"},
                                    .exitCode = 4, .out = "the device has no calibration byte: AT90S2313"});
        row("store no database", {.args = nowhere + QStringList{"--db", "{dir}/blink.hex", "erase"}, .exitCode = 2,
                                  .err = "cannot open the chip store: "});
        row("store server not there", {.args = nowhere + QStringList{"--db", "postgresql://zendra@/chips?host={dir}/no-socket", "erase"},
                                       .exitCode = 2, .err = "cannot open the chip store: "});
        row("store of a newer program", {.args = nowhere + QStringList{"--db", "{dir}/newer.sqlite", "erase"}, .exitCode = 2,
                                         .err = "the chip store was written by a newer program: schema 99"});
        row("setup of a newer program", {.args = nowhere + QStringList{"run", "{dir}/newer.zendra"}, .exitCode = 3,
                                         .err = "written by a newer program (format 99): {dir}/newer.zendra"});
        row("setup: changed file refused, port untouched", {.args = nowhere + QStringList{"run", "{dir}/changed.zendra"},
                                                            .exitCode = 3, .err = "uses it as it is): {dir}/blink.hex"});
        row("setup: changed file accepted", {.args = en + QStringList{"run", "--accept-changed-files", "{dir}/changed.zendra"},
                                             .out = "succeeded", .err = "using the changed file as it is: {dir}/blink.hex"});
        const QString badValue = "a value of the setup file has the wrong type or is out of range: {dir}/bad-";
        const std::pair<const char*, const char*> badKeys[] = {
            {"ports", "ports"}, {"ports1", "ports[1]"}, {"stamp", "stamp"}, {"programEeprom", "programEeprom"},
            {"start", "stamp.start"}, {"device", "device"}, {"choice", "lockFuse[0].choice"}};
        for (const auto& [name, key] : badKeys)
            row(qPrintable(QString("setup: wrong %1").arg(name)),
                {.args = nowhere + QStringList{"run", QString("{dir}/bad-%1.zendra").arg(name)}, .exitCode = 3,
                 .err = badValue + QString("%1.zendra (%2)").arg(name, key)});
        row("check fits", {.args = {"--lang", "en", "--device", "ATtiny12L", "check", "{dir}/blink.hex"},
                           .out = "records: 3\nflash in use (words): 16\nEEPROM in use (bytes): 7\nfits the device"});
        row("no device given: the signature decides", {.sim = {"--chip", "AT90S4433"},
                                                       .args = {"--lang", "ja", "--port", "{port}", "fuse", "read"},
                                                       .err = "署名から選んだデバイス: AT90S4433"});
        row("detect", {.args = en + QStringList{"detect"}, .out = "KX-WRT540 V6.35"});
        row("help", {.args = {"--help"}, .out = "130 cancelled"});
        row("version", {.args = {"--version"}, .out = "zendra-cli 6.0.60"});
    }
    void commands() {
        QFETCH(Case, c);
        Sim sim(c.sim);
        QVERIFY(!sim.path.isEmpty());
        const Run run = Cli(c.args, sim.path, m_dir);
        QVERIFY2(run.exitCode == c.exitCode, qPrintable(QString("exit %1\n%2\n%3").arg(run.exitCode).arg(run.out, run.err)));
        const auto fill = [&](QString text) { return text.replace("{dir}", m_dir).replace("{port}", sim.path); };
        QVERIFY2(run.out.contains(fill(c.out)), qPrintable(run.out));
        QVERIFY2(run.err.contains(fill(c.err)), qPrintable(run.err));
        if (c.wholeOut) QCOMPARE(run.out, fill(*c.wholeOut));
        // Never a success word for a failure.
        if (c.exitCode != 0) QVERIFY(!run.out.startsWith(QStringLiteral("succeeded")));
    }

    // A job's lock-out is refused before the erase, whether it comes from a setup or from fuse write, and
    // a dry run reads and plans but writes nothing: after each step the programmed chip still verifies.
    void jobRefusals() {
        Sim sim({"--chip", "ATtiny12L"});
        const QString setup = m_dir + "/lockout.zendra";
        QCOMPARE(Cli({"-d", "ATtiny12L", "--fuse", "RSTDISBL=PB5:I/O", "setup", "save", setup, m_dir + "/blink.hex"}, {}, {}).exitCode, 0);
        struct Step {
            QStringList args;
            int exitCode;
            QString out;
        };
        const Step steps[] = {
            {{"program", "{dir}/blink.hex"}, 0, "succeeded"},
            {{"run", setup}, 5, "chip-refused - Not written: the change locks the chip out of this writer: RSTDISBL"},
            {{"--dry-run", "run", setup}, 5, "lockfuse: RSTDISBL PB5:Reset -> PB5:I/O (lock-out)"},
            {{"--dry-run", "program", "{dir}/tn12.elf"}, 0, "device: ATtiny12L\nsignature: 1E:90:05\nerase: yes\nflash-words: "},
            {{"--dry-run", "erase"}, 0, "erase: yes"},
        };
        for (const Step& step : steps) {
            const Run run = Cli(QStringList{"--lang", "en", "--port", "{port}"} + step.args, sim.path, m_dir);
            QVERIFY2(run.exitCode == step.exitCode && (run.out + run.err).contains(step.out),
                     qPrintable(run.out + run.err));
            const Run verify = Cli({"--lang", "en", "--port", "{port}", "verify", "{dir}/blink.hex"}, sim.path, m_dir);
            QVERIFY2(verify.exitCode == 0, qPrintable(verify.out + verify.err));
        }
    }

    // Each fault of the chip, the socket or the writer through doctor (exit code, the step's line, the
    // advice) and through a program, then a verify of the whole chip (the diagnosis kind in the report).
    void faults_data() {
        QTest::addColumn<QStringList>("sim");
        QTest::addColumn<QStringList>("doctor");  // the options after "doctor -p PORT"
        QTest::addColumn<int>("doctorExit");
        QTest::addColumn<QString>("step");    // a line of the doctor's stdout
        QTest::addColumn<QString>("advice");  // a text of its stderr
        QTest::addColumn<QString>("kind");    // the verify's diagnosis; empty: none
        QTest::addColumn<int>("lineOrBit");   // the diagnosis' line or bit; -1: none
        const QStringList tiny12{"--chip", "ATtiny12L"}, chosen{"-d", "ATtiny12L"};
        const auto row = [](const char* tag, const QStringList& sim, const QStringList& doctor, int exit, const QString& step,
                            const QString& advice, const QString& kind, int lineOrBit = -1) {
            QTest::newRow(tag) << sim << doctor << exit << step << advice << kind << lineOrBit;
        };
        row("sound chip", tiny12, chosen, 0, "ok signature: ATtiny12L (signature 1E:90:05)", "", "");
        row("writes ignored", tiny12 + QStringList{"--ignore-writes"}, {}, 0, "ok line: 200 identification round trips: 0 failed", "", "not-programmed");
        row("erase that does not erase", tiny12 + QStringList{"--erase-fails", "--preload", "{dir}/old.json"}, {}, 0,
            "ok programming", "", "not-erased");
        row("stuck address line", tiny12 + QStringList{"--stuck-address-bit", "2"}, {}, 0, "ok signature", "", "address-line", 2);
        row("stuck data line", tiny12 + QStringList{"--stuck-data-bit", "3"}, {}, 0, "ok signature", "", "data-line", 3);
        row("a few flipped bits", tiny12 + QStringList{"--flip-bits", "3", "--seed", "7"}, {}, 0, "ok signature", "", "scattered");
        row("empty socket", {"--empty"}, chosen, 5, "fail signature: the chip does not answer (signature FF:FF:FF)",
            "socket's lever", "");
        row("locked chip", tiny12 + QStringList{"--locked"}, chosen, 5, "fail signature: the chip is locked (signature 00:01:02)",
            "never erases or writes", "locked");
        row("another chip than chosen", {"--chip", "ATtiny26L"}, chosen, 5,
            "fail signature: the device chosen is ATtiny12L, but the chip in the socket is ATtiny26L (signature 1E:91:09)",
            "ATtiny26L goes in the 20pin socket (place 4 from the left in the device index)", "");
        row("old firmware: a warning", tiny12 + QStringList{"--firmware", "6.32"}, {}, 0, "warn writer: old firmware: KX-WRT540 V6.32",
            "firmware to 6.35 or later", "");
        row("silent writer", {"--silent-after", "0"}, {}, 2, "fail writer: the writer does not answer", "power", "");
        // A line that garbles replies: a few in 200 is a warning (here the writer stays garbled, so programming mode
        // then fails), more than one in ten a failure; a slow adapter a warning ("-": no verify).
        row("a few garbled replies", tiny12 + QStringList{"--wrong-from", "198"}, {}, 2, "warn line: 200 identification round trips: 6 failed",
            "shorter cable", "-");
        row("many garbled replies", tiny12 + QStringList{"--wrong-from", "150"}, {}, 2, "fail line: 200 identification round trips: 54 failed",
            "shorter cable", "-");
        row("slow adapter", tiny12 + QStringList{"--adapter-latency-ms", "16"}, {}, 0, "warn line: ", "latency timer", "-");
    }
    void faults() {
        QFETCH(QStringList, sim);
        QFETCH(QStringList, doctor);
        QFETCH(QString, kind);
        QFETCH(int, lineOrBit);
        for (QString& option : sim) option.replace("{dir}", m_dir);
        Sim writer(sim);
        QVERIFY(!writer.path.isEmpty());
        const Run check = Cli(QStringList{"--lang", "en", "doctor", "-p", "{port}"} + doctor, writer.path, m_dir);
        QTEST(check.exitCode, "doctorExit");
        QFETCH(QString, step);
        QFETCH(QString, advice);
        QVERIFY2(check.out.contains(step), qPrintable(check.out));
        QVERIFY2(check.err.contains(advice), qPrintable(check.err));
        // Nothing but step lines on stdout, the failed one last.
        const QStringList lines = check.out.split('\n', Qt::SkipEmptyParts);
        for (const QString& line : lines) QVERIFY2(QRegularExpression("^(ok|warn|fail) [a-z-]+: ").match(line).hasMatch(), qPrintable(line));
        QCOMPARE(lines.last().startsWith("fail "), check.exitCode != 0);
        if (check.exitCode == 2 || kind == "-") return;

        const QString report = m_dir + "/fault.json";
        Cli({"--lang", "en", "-p", "{port}", "program", "{dir}/blink.hex"}, writer.path, m_dir);
        const Run verify = Cli({"--lang", "en", "-p", "{port}", "-d", "ATtiny12L", "--report", report, "verify", "{dir}/blink.hex"},
                               writer.path, m_dir);
        const QJsonObject run = Json(report)["runs"][0].toObject();
        QCOMPARE(run["diagnosis"]["kind"].toString(), kind);
        QCOMPARE(run["diagnosis"].toObject().value(kind == "data-line" ? "bit" : "line").toInt(-1), lineOrBit);
        QCOMPARE(verify.exitCode, check.exitCode == 5 ? 5 : kind.isEmpty() ? 0 : 1);
        // The diagnosis stands above the list of differences, which it never replaces.
        if (!kind.isEmpty() && kind != "locked") {
            QVERIFY2(verify.err.indexOf("diagnosis (" + kind + "): ") >= 0, qPrintable(verify.err));
            QVERIFY(verify.err.indexOf("diagnosis (") < verify.err.indexOf("difference flash"));
        }
    }

    // A lock-out is refused unless allowed, a dry run writes nothing, and a report's bytes go back with
    // restore: after each step the chip's reset choice is read back.
    void fuseGuards() {
        Sim sim({"--chip", "ATtiny12L"});
        const QString json = m_dir + "/fuse.json";
        struct Step {
            QStringList args;
            int exitCode;
            QString out, reset;
        };
        const Step steps[] = {
            {{"fuse", "write", "RSTDISABL=0", "--dry-run"}, 5, "lockfuse: RSTDISBL PB5:Reset -> PB5:I/O (lock-out)", "1"},
            {{"fuse", "write", "RSTDISABL=0", "--dry-run", "--allow-lockout"}, 0, "lockfuse: RSTDISBL PB5:Reset -> PB5:I/O (lock-out)", "1"},
            {{"fuse", "write", "RSTDISBL=PB5:I/O"}, 5, "chip-refused - Not written: the change locks the chip out of "
                                                     "this writer: RSTDISBL", "1"},
            {{"--allow-lockout", "--report", json, "fuse", "write", "RSTDISABL=0"}, 0, "RSTDISBL=0 (PB5:I/O)", "0"},
            {{"fuse", "restore", json}, 0, "RSTDISBL: PB5:I/O -> PB5:Reset [ordinary]", "1"},
        };
        for (const Step& step : steps) {
            const Run run = Cli(QStringList{"--lang", "en", "--port", "{port}"} + step.args, sim.path, m_dir);
            QVERIFY2(run.exitCode == step.exitCode && (run.out + run.err).contains(step.out), qPrintable(run.out + run.err));
            const Run read = Cli({"--lang", "en", "--port", "{port}", "fuse", "read"}, sim.path, m_dir);
            QVERIFY2(read.out.contains("RSTDISBL=" + step.reset + " (PB5:"), qPrintable(read.out));
        }
        const QJsonObject lockFuse = Json(json)["runs"][0]["lockFuse"].toObject();
        QCOMPARE(lockFuse["before"].toObject(), QJsonObject({{"fuse", "D2"}, {"lock", "FF"}}));
        QCOMPARE(lockFuse["written"].toObject(), QJsonObject({{"fuse", "C2"}, {"lock", "FF"}}));
    }

    // Three writers at once, one result line and one report entry each; one silent writer makes it exit 2.
    // With a second process on the same series at the same time, the four chips take four consecutive
    // numbers, each once; the chip that failed keeps its number with its verdict. The same on a shared
    // server, whose empty database two processes starting together both set up.
    void gang_data() { StoreRows(m_dir, "gang"); }
    void gang() {
        QFETCH(QString, db);
        if (db.isEmpty() && !test::PgCluster::Shared().Installed())
            QSKIP("no PostgreSQL server programs (Debian's postgresql) to start a server with");
        QVERIFY2(!db.isEmpty(), qPrintable(test::PgCluster::Shared().Failure()));
        QProcess first, second;
        for (QProcess* p : {&first, &second})  // each sets the store up before it finds no port
            p->start(kCli, {"--lang", "en", "--db", db, "-p", p == &first ? "/dev/zendra-none1" : "/dev/zendra-none2", "erase"});
        for (QProcess* p : {&first, &second})
            QVERIFY2(p->waitForFinished(20000) && p->exitCode() == 2 && p->readAllStandardOutput().contains("no such port"), "");
        Sim a({"--chip", "ATtiny12L"}), b({"--chip", "AT90S2313"}), c({"--chip", "ATtiny12L", "--silent-after", "12"}),
            d({"--chip", "ATtiny12L"});
        const QStringList stamp{"--db", db, "--serial-at", "eeprom:0", "--serial-format", "le16", "--serial-start", "100"};
        QVERIFY(Cli(QStringList{"--port", "{port}"} + stamp + QStringList{"program", "{dir}/blink.hex"}, d.path, m_dir).exitCode == 0);
        QProcess other;
        other.start(kCli, QStringList{"--port", d.path} + stamp + QStringList{"program", m_dir + "/blink.hex"});
        const Run run = Cli(QStringList{"--lang", "en", "--report", "{dir}/gang.json", "--port", a.path, "--port", b.path,
                                        "--port", c.path} + stamp + QStringList{"program", "{dir}/blink.hex"},
                            QString(), m_dir);
        QVERIFY(other.waitForFinished(20000) && other.exitCode() == 0);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.contains(a.path + ": succeeded"));
        QVERIFY(run.out.contains(b.path + ": succeeded"));
        QVERIFY(run.out.contains(c.path + ": link-failed"));
        QCOMPARE(Json(m_dir + "/gang.json")["runs"].toArray().size(), 3);
        QStringList verdicts;
        for (qint64 n = 101; n <= 104; ++n) {
            const QJsonArray records = History(db, n);
            QCOMPARE(records.size(), 1);
            const QJsonObject record = records.at(0).toObject();
            verdicts << record["port"].toString() + " " + record["verdict"].toString();
        }
        QVERIFY2(verdicts.contains(c.path + " link-failed") && verdicts.contains(d.path + " succeeded"), qPrintable(verdicts.join('\n')));
    }

    // A gang of two reprogrammed with --serial-keep keeps both numbers, each record linked to the chip's
    // first; a blank chip takes the next number with a warning, or under -strict is refused untouched; a
    // number another store issued is unknown here; a locked chip is refused. On a file and on a server.
    void keepNumber_data() { StoreRows(m_dir, "keep"); }
    void keepNumber() {
        QFETCH(QString, db);
        if (db.isEmpty() && !test::PgCluster::Shared().Installed())
            QSKIP("no PostgreSQL server programs (Debian's postgresql) to start a server with");
        QVERIFY2(!db.isEmpty(), qPrintable(test::PgCluster::Shared().Failure()));
        Sim a({"--chip", "ATtiny12L"}), b({"--chip", "ATtiny12L"}), blank({"--chip", "ATtiny12L"}),
            locked({"--chip", "ATtiny12L", "--locked"});
        const QStringList stamp{"--lang", "en", "--db", db, "--serial-at", "eeprom:0", "--serial-format", "le16", "--serial-start", "100"};
        const QStringList gang{"--port", a.path, "--port", b.path};
        QCOMPARE(Cli(gang + stamp + QStringList{"program", "{dir}/blink.hex"}, {}, m_dir).exitCode, 0);
        const Run kept = Cli(gang + stamp + QStringList{"--serial-keep-strict", "program", "{dir}/blink.hex"}, {}, m_dir);
        QVERIFY2(kept.exitCode == 0 && !kept.err.contains("new number"), qPrintable(kept.err));
        for (qint64 n : {100, 101}) {
            const QJsonArray runs = History(db, n);
            QCOMPARE(runs.size(), 2);
            QCOMPARE(runs[0]["firstRecord"].toDouble(), runs[1]["id"].toDouble());
        }
        QCOMPARE(History(db, 102).size(), 0);  // kept numbers leave the series where it was
        const QStringList one{"--port", blank.path, "--serial-keep-strict", "program", "{dir}/blink.hex"};
        const Run strict = Cli(stamp + one, {}, m_dir);
        QVERIFY2(strict.exitCode == 5 && strict.out.contains("eeprom:0x0 is blank. The number cannot be kept"), qPrintable(strict.out));
        const Run other = Cli(QStringList{"--lang", "en", "--db", m_dir + "/other-" + QTest::currentDataTag() + ".sqlite", "--serial-at", "eeprom:0", "--serial-format",
                                          "le16", "--serial-start", "7", "--port", blank.path, "--serial-keep", "program", "{dir}/blink.hex"},
                              {}, m_dir);
        QVERIFY2(other.exitCode == 0 && other.err.contains("is blank. It takes a new number."), qPrintable(other.err));
        const Run unknown = Cli(stamp + one, {}, m_dir);
        QVERIFY2(unknown.exitCode == 5 && unknown.out.contains("The value 7 at the chip's serial number place eeprom:0x0 is not"),
                 qPrintable(unknown.out));
        QCOMPARE(History(db, 7).size(), 0);
        const Run refused = Cli(stamp + QStringList{"--device", "ATtiny12L", "--port", locked.path, "--serial-keep", "program", "{dir}/blink.hex"},
                                {}, m_dir);
        QVERIFY2(refused.exitCode == 5 && refused.out.contains("of a locked chip cannot be read"), qPrintable(refused.out));
        const QJsonArray newest = EventsOf(Cli({"--db", db, "history", "--json", "--last", "1"}, {}, {}).out, "record", "record");
        QCOMPARE(newest[0]["locked"], true);
        QCOMPARE(newest[0]["device"], "");

        // Only a setup that keeps the chip's number needs a program that knows it (format 2).
        for (const QString keep : {"--serial-reuse-failed", "--serial-keep-strict"}) {
            const QString setup = m_dir + "/" + QTest::currentDataTag() + keep + ".zendra";
            QCOMPARE(Cli({"setup", "save", setup, "--serial-at", "eeprom:0", "--serial-format", "le16", keep, "{dir}/blink.hex"}, {}, m_dir).exitCode, 0);
            QCOMPARE(Json(setup)["format"].toInt(), keep.contains("keep") ? 2 : 1);
            QVERIFY(Cli({"run", "--print", setup}, {}, m_dir).out.contains(keep + " "));
        }
    }

    // With --serial-reuse-failed, the number of a gang's chip refused before its bytes went out is issued
    // again, to a chip whose writes do not take; that number reached a chip, so the next run takes a new one.
    void reuseFailed_data() { StoreRows(m_dir, "reuse"); }
    void reuseFailed() {
        QFETCH(QString, db);
        if (db.isEmpty() && !test::PgCluster::Shared().Installed())
            QSKIP("no PostgreSQL server programs (Debian's postgresql) to start a server with");
        QVERIFY2(!db.isEmpty(), qPrintable(test::PgCluster::Shared().Failure()));
        Sim good({"--chip", "ATtiny12L"}), wrong({"--chip", "AT90S2313"}), stuck({"--chip", "ATtiny12L", "--ignore-writes"});
        const QStringList base{"--lang", "en", "--db", db, "--serial-at", "eeprom:0", "--serial-format", "le16", "--serial-start", "1",
                               "--device", "ATtiny12L", "--serial-reuse-failed", "program", m_dir + "/blink.hex"};
        QCOMPARE(Cli(QStringList{"--port", good.path, "--port", wrong.path} + base, {}, m_dir).exitCode, 5);
        const qint64 refused = History(db, 1)[0].toObject()["verdict"].toString() == "chip-refused" ? 1 : 2;
        QCOMPARE(Cli(QStringList{"--port", stuck.path} + base, {}, m_dir).exitCode, 1);
        QCOMPARE(Cli(QStringList{"--port", good.path} + base, {}, m_dir).exitCode, 0);
        QStringList verdicts;  // by number, newest first
        for (qint64 n : {refused, 3 - refused, qint64(3), qint64(4)})
            for (const QJsonValue record : History(db, n)) verdicts << QString("%1 %2").arg(n).arg(record["verdict"].toString());
        QCOMPARE(verdicts, QStringList({QString("%1 mismatch").arg(refused), QString("%1 chip-refused").arg(refused),
                                        QString("%1 succeeded").arg(3 - refused), "3 succeeded"}));
    }

    // A list and a generator on a gang of two: each value goes to one chip, once; the chip that finds the
    // list run out, a list whose issued line was changed, and a generator that fails or repeats a value
    // end before the erase with exit 4. The same on a shared server.
    void serialSources_data() {
        QTest::addColumn<QString>("db");
        QTest::newRow("file") << m_dir + "/sources.sqlite";
        QTest::newRow("server") << test::PgCluster::Shared().NewDatabase("sources");
    }
    void serialSources() {
        QFETCH(QString, db);
        if (db.isEmpty() && !test::PgCluster::Shared().Installed())
            QSKIP("no PostgreSQL server programs (Debian's postgresql) to start a server with");
        Sim a({"--chip", "ATtiny12L"}), b({"--chip", "ATtiny12L"});
        const QString ids = m_dir + "/ids-" + QTest::currentDataTag() + ".txt";
        test::WriteFile(ids, "# ids\n100\nhex:A1B2C3\n0x65\n");
        const QStringList gang{"--lang", "en", "--db", db, "--port", a.path, "--port", b.path, "--serial-at", "eeprom:0"};
        const QStringList list{"--serial-format", "le16", "--serial-series", "ids", "--serial-list", ids, "program", m_dir + "/blink.hex"};
        const QString generator = "sh -c \"test -z $FAIL && echo C0 0$ZENDRA_NUMBER\"";
        const QStringList generated{"--serial-series", "keys", "--serial-command", generator, "program", m_dir + "/blink.hex"};
        QCOMPARE(Cli(gang + list, {}, m_dir).exitCode, 0);
        QCOMPARE(Cli(gang + generated, {}, m_dir).exitCode, 0);
        const Run runOut = Cli(gang + list, {}, m_dir);
        QCOMPARE(runOut.exitCode, 4);
        QVERIFY2((runOut.out + runOut.err).contains("The serial list has run out: " + ids + " (its last line: 4)"), qPrintable(runOut.out));
        test::WriteFile(ids, "# ids\n100\nhex:A1B2C4\n0x65\n7\n");
        const Run changed = Cli(gang + list, {}, m_dir);
        QVERIFY2(changed.exitCode == 4 && (changed.out + changed.err).contains("Line 3 of the serial list, already issued, has changed"), qPrintable(changed.err));
        const QStringList one{"--lang", "en", "--db", db, "--port", a.path, "--serial-at", "eeprom:0", "--serial-series", "keys"};
        const Run repeated = Cli(one + QStringList{"--serial-command", "echo C0 01", "program", m_dir + "/blink.hex"}, {}, m_dir);
        QVERIFY2(repeated.exitCode == 4 && (repeated.out + repeated.err).contains("The value was issued already: echo C0 01 (C001)"), qPrintable(repeated.err));
        qputenv("FAIL", "1");
        const Run failed = Cli(one + generated.mid(2), {}, m_dir);
        qunsetenv("FAIL");
        QVERIFY2(failed.exitCode == 4 && (failed.out + failed.err).contains("program failed (exit code 1)"), qPrintable(failed.err));
        QStringList values;
        for (const QJsonValue& r : EventsOf(Cli({"--db", db, "history", "--json"}, {}, {}).out, "record", "record"))
            if (!r["serialValue"].toString().isEmpty()) values << r["serialValue"].toString();
        values.sort();
        QCOMPARE(values.join(' '), QString("6400 6500 A1B2C3 C001 C002"));
    }

    // A serial number and the chip's calibration byte in each device that has one, at either memory and
    // end; a verify leaves those cells out; history names the chip by its number, a contradicting series
    // is refused with its next number.
    void production_data() {
        QTest::addColumn<QString>("chip");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<qint64>("serial");
        QTest::addColumn<QStringList>("cells");  // memory, hex digits from, expected hex
        QTest::newRow("ATtiny12L") << "ATtiny12L"
                                   << QStringList{"--serial-at", "eeprom:62", "--serial-format", "be16", "--calibration-at", "flash:0x3FF"}
                                   << qint64(1040) << QStringList{"eeprom", "124", "0410", "flash", "2044", "5BFF"};
        QTest::newRow("ATtiny15L") << "ATtiny15L"
                                   << QStringList{"--serial-at", "flash:0x40", "--serial-format", "dec4", "--calibration-at", "eeprom:0"}
                                   << qint64(7) << QStringList{"flash", "128", "30303730", "eeprom", "0", "5BFF"};
        QTest::newRow("ATtiny26L") << "ATtiny26L"
                                   << QStringList{"--serial-at", "flash:0x7FC", "--serial-format", "le32", "--calibration-at", "eeprom:127"}
                                   << qint64(0x01020304) << QStringList{"flash", "4088", "03040102", "eeprom", "254", "5B"};
    }
    void production() {
        QFETCH(QString, chip);
        QFETCH(QStringList, options);
        QFETCH(qint64, serial);
        QFETCH(QStringList, cells);
        const QString dump = m_dir + "/" + chip + ".json", db = m_dir + "/" + chip + ".sqlite";
        Sim sim({"--chip", chip, "--dump", dump});
        const QStringList base = QStringList{"--lang", "en", "--db", db, "--port", "{port}", "--serial-series", chip} + options;
        const Run program = Cli(base + QStringList{"--serial-start", QString::number(serial), "program", "{dir}/blink.hex"}, sim.path, m_dir);
        QVERIFY2(program.exitCode == 0, qPrintable(program.out + program.err));
        const Run verify = Cli(base + QStringList{"verify", "{dir}/blink.hex"}, sim.path, m_dir);
        QVERIFY2(verify.exitCode == 0 && verify.err.contains("are not compared"), qPrintable(verify.out + verify.err));
        sim.process.terminate();
        QVERIFY(sim.process.waitForFinished(3000));
        const QJsonObject state = Json(dump);
        for (int i = 0; i < cells.size(); i += 3)
            QCOMPARE(state[cells[i]].toString().mid(cells[i + 1].toInt(), cells[i + 2].size()), cells[i + 2]);
        const QJsonArray records = History(db, serial);
        QCOMPARE(records.size(), 1);
        const QJsonObject record = records[0].toObject();
        QCOMPARE(record["calibration"].toString(), "5B");
        QCOMPARE(record["verdict"].toString(), "succeeded");
        QVERIFY(QRegularExpression("^[0-9a-f]{64}$").match(record["files"][0]["sha256"].toString()).hasMatch());
        const Run contradicted = Cli(base + QStringList{"--serial-start", "1", "program", "{dir}/blink.hex"}, sim.path, m_dir);
        QCOMPARE(contradicted.exitCode, 4);
        QVERIFY(contradicted.err.contains("its next number: " + QString::number(serial + 1)));
    }

    // history --stats counts program records only, "succeeded" as the pass; a table for people, one JSON
    // object for scripts; its options are checked before the store is opened.
    void stats() {
        Sim sim({"--chip", "ATtiny12L"});
        const QString db = m_dir + "/stats.sqlite";
        const QStringList base{"--lang", "en", "--db", db};
        QCOMPARE(Cli(base + QStringList{"--port", "{port}", "program", "{dir}/blink.hex"}, sim.path, m_dir).exitCode, 0);
        QCOMPARE(Cli(base + QStringList{"--port", "{port}", "-d", "AT90S8515", "program", "{dir}/blink.hex"}, sim.path, m_dir).exitCode, 5);
        QCOMPARE(Cli(base + QStringList{"--port", "{port}", "verify", "{dir}/blink.hex"}, sim.path, m_dir).exitCode, 0);
        const Run json = Cli(base + QStringList{"history", "--stats", "--json", "--by", "port"}, {}, {});
        QCOMPARE(json.exitCode, 0);
        const QJsonObject whole = EventsOf(json.out, "stats", "stats").at(0).toObject();
        QCOMPARE(QJsonDocument(whole["failures"].toObject()).toJson(QJsonDocument::Compact), QByteArray(R"({"chip-refused":1})"));
        QCOMPARE(QList<double>({whole["total"].toDouble(), whole["pass"].toDouble(), whole["fail"].toDouble(),
                                whole["firstPassYield"].toDouble()}),
                 QList<double>({2, 1, 1, 0.5}));
        QCOMPARE(whole["groups"][0]["port"].toString(), sim.path);
        QCOMPARE(whole["groups"][0]["total"].toDouble(), 2.0);
        const Run table = Cli(base + QStringList{"history", "--stats", "--by", "port"}, {}, {});
        const QStringList lines = table.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].startsWith("port") && lines[0].contains("first-pass yield"), qPrintable(table.out));
        QVERIFY2(lines[1].startsWith(sim.path) && lines[1].simplified().endsWith(" 2 1 1 50.0% chip-refused=1"), qPrintable(table.out));
        QVERIFY2(lines[2].startsWith("all"), qPrintable(table.out));
        const Run before = Cli(base + QStringList{"history", "--stats", "--json", "--until", "2000-01-01"}, {}, {});
        QCOMPARE(EventsOf(before.out, "stats", "stats").at(0)["total"].toDouble(), 0.0);
        struct Refused {
            QStringList args;
            QString err;
        };
        for (const Refused& r : {Refused{{"--by", "week"}, "day, port, bench, file"},
                                 Refused{{"--since", "yesterday"}, "ISO 8601"},
                                 Refused{{"--serial", "3"}, "--stats --serial"}}) {
            const Run refused = Cli(base + QStringList{"history", "--stats"} + r.args, {}, {});
            QVERIFY2(refused.exitCode == 4 && refused.err.contains(r.err), qPrintable(refused.err));
        }
        const Run without = Cli(base + QStringList{"history", "--since", "2026-01-01"}, {}, {});
        QVERIFY2(without.exitCode == 4 && without.err.contains("--since"), qPrintable(without.err));
    }

    // Ctrl-C mid-program ends after the current exchange: the writer is sent ESC and the result says so;
    // Ctrl-C ends a wait for a writer the same way, and a kill leaves the run's serial number on record.
    void cancel() {
        Sim sim({"--chip", "AT90S8515", "--baud", "9600"});
        QProcess cli;
        cli.start(kCli, {"--lang", "en", "--port", sim.path, "program", m_dir + "/full.hex"});
        QVERIFY(cli.waitForStarted());
        QTest::qWait(2500);
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), 130);
        QVERIFY(QString::fromUtf8(cli.readAllStandardOutput()).contains("cancelled - Cancelled."));
        // The writer is back in its base set: the next command finds it at once.
        QCOMPARE(Cli({"--port", "{port}", "detect"}, sim.path, m_dir).exitCode, 0);
        // The wait for a writer on a port plugged in later ends the same way.
        cli.start(kCli, {"--lang", "en", "detect", "--wait"});
        QString said;
        WaitFor(cli, said, "waiting for a writer");
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(5000));
        QCOMPARE(cli.exitCode(), 130);
        // A process killed mid-program leaves its number on record, shown as interrupted.
        const QString db = m_dir + "/killed.sqlite";
        cli.start(kCli, {"--lang", "en", "--db", db, "--port", sim.path, "--serial-at", "eeprom:0", "--serial-format", "u8",
                         "--serial-start", "9", "program", m_dir + "/full.hex"});
        QVERIFY(WaitFor(cli, said, "Programming flash"));
        cli.kill();
        QVERIFY(cli.waitForFinished(5000));
        QCOMPARE(History(db, 9).at(0).toObject().value("verdict").toString(), "interrupted");
    }

    // --watch programs at start and once for each change, a rename over the file included; a broken file is
    // refused and not programmed; Ctrl-C ends it with the last run's code, a refusal counting as 3.
    void watch() {
        Sim sim({"--chip", "ATtiny12L"});
        const QString hex = m_dir + "/watch.hex";
        test::WriteFile(hex, test::ReadFile(m_dir + "/blink.hex"));
        QProcess cli;
        cli.start(kCli, {"--lang", "en", "-q", "--watch", "--port", sim.path, "program", hex});
        QString seen;
        QVERIFY(WaitFor(cli, seen, "waiting for the files"));
        test::WriteFile(hex + ".tmp", HexRecord(0, QByteArray::fromHex("0C941000")) + ":00000001FF\r\n");
        QVERIFY(QFile::remove(hex) && QFile::rename(hex + ".tmp", hex));
        QVERIFY(WaitFor(cli, seen, "waiting for the files", 2));
        test::WriteFile(hex, "broken\r\n");
        QVERIFY(WaitFor(cli, seen, "the file is invalid"));
        QTest::qWait(1000);
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(10000));
        seen += QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError());
        QCOMPARE(seen.count("succeeded"), 2);
        QVERIFY2(seen.contains("program runs: 2, last exit code: 3"), qPrintable(seen));
        QCOMPARE(cli.exitCode(), 3);
        test::WriteFile(hex, HexRecord(0, QByteArray::fromHex("0C941000")) + ":00000001FF\r\n");
        QCOMPARE(Cli({"--port", "{port}", "verify", hex}, sim.path, m_dir).exitCode, 0);
    }

    // A setup saved from a command line, run from another folder, leaves the chip as the plain commands it
    // prints do, lock/fuse bytes included; a save over a setup keeps the keys of a later program.
    void setupRoundTrip() {
        Sim viaSetup({"--chip", "ATtiny12L", "--dump", m_dir + "/setup.json"}),
            viaPrint({"--chip", "ATtiny12L", "--dump", m_dir + "/print.json"});
        QVERIFY(QDir(m_dir).mkpath("bench"));
        const QString setup = test::WriteFile(m_dir + "/bench/job.zendra", R"({"format": 1, "later": [1]})");
        QCOMPARE(Cli({"setup", "save", setup, "-d", "ATtiny12L", "-p", viaPrint.path, "--fuse", "CKSEL=3", "--fuse",
                      "BODLEVEL=2.7V", "{dir}/blink.hex"}, {}, m_dir).exitCode, 0);
        const QJsonObject saved = Json(setup);
        QCOMPARE(saved["later"], QJsonArray{1});
        QCOMPARE(saved["eeprom"]["path"].toString(), "../blink.eep");
        QCOMPARE(Cli({"run", setup, "-p", viaSetup.path}, {}, m_dir).exitCode, 0);
        const QStringList lines = Cli({"run", "--print", setup}, {}, m_dir).out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        for (const QString& line : lines) QCOMPARE(Cli(QProcess::splitCommand(line).mid(1), {}, {}).exitCode, 0);
        for (Sim* sim : {&viaSetup, &viaPrint}) sim->process.terminate(), sim->process.waitForFinished(3000);
        QCOMPARE(Json(m_dir + "/setup.json"), Json(m_dir + "/print.json"));
        QCOMPARE(Json(m_dir + "/setup.json")["fuseLow"].toString(), "53");
    }

    // The production loop of a gang run from a setup: each chip is programmed, taken out, the next one put
    // in; Ctrl-C while waiting ends the loop with its count.
    void repeat() {
        Sim sim({"--chip", "ATtiny12L", "--commands"}), other({"--chip", "ATtiny12L", "--commands"});
        const QString setup = m_dir + "/gang.zendra";
        QCOMPARE(Cli({"setup", "save", setup, "-p", sim.path, "-p", other.path, "{dir}/blink.hex"}, {}, m_dir).exitCode, 0);
        QProcess cli;
        cli.start(kCli, {"--lang", "en", "run", "--repeat", setup});
        QVERIFY(cli.waitForStarted());
        QString out;
        QVERIFY(WaitFor(cli, out, "remove the chip", 2));
        for (Sim* s : {&sim, &other}) s->Command("remove");
        QVERIFY(WaitFor(cli, out, "insert the next chip", 2));
        for (Sim* s : {&sim, &other}) s->Command("insert ATtiny12L");
        QVERIFY(WaitFor(cli, out, "passed 2, failed 0", 2));
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), 0);
    }

    // Where an output may go. Only a regular file, or a new one in an existing folder, takes it; anything
    // else is refused before the writer is touched and left as it was; a write that fails fails the run.
    void outputTargets_data() {
        QTest::addColumn<QString>("kind");    // report, log, read (the EEPROM output named explicitly)
        QTest::addColumn<QString>("target");  // see Target() below
        QTest::addColumn<int>("exitCode");
        const QList<QPair<const char*, int>> targets{{"regular", 0}, {"new", 0},      {"missing folder", 4},
                                                     {"device", 4},  {"fifo", 4},     {"folder", 4},
                                                     {"link to a device", 4},         {"full disk", 2}};
        // One check guards every output; the log and the read's own files are written their own ways.
        for (const char* kind : {"report", "log", "read"})
            for (const auto& [target, code] : targets)
                if (kind == QLatin1String("report") || code != 4 || target == QLatin1String("fifo"))
                    QTest::addRow("%s, %s", kind, target) << QString(kind) << QString(target) << code;
    }
    void outputTargets() {
        QFETCH(QString, kind);
        QFETCH(QString, target);
        QFETCH(int, exitCode);
        const QString dir = m_dir + "/out-" + QString::number(qHash(QString(QTest::currentDataTag())));
        QVERIFY(QDir().mkpath(dir));
        const QByteArray old(4096, 'o');
        QString path = dir + "/t";
        if (target == "regular" || target == "full disk") test::WriteFile(path, old);
        if (target == "missing folder") path = dir + "/none/t";
        if (target == "device") path = "/dev/null";
        if (target == "fifo") QCOMPARE(::mkfifo(qPrintable(path), 0600), 0);
        if (target == "folder") path = dir;
        if (target == "link to a device") QCOMPARE(::symlink("/dev/null", qPrintable(path)), 0);

        Sim sim({"--chip", "ATtiny12L"});
        QStringList args{"--lang", "en", "--port", sim.path};
        if (kind == "read") args << "read" << dir + "/code.hex" << path;
        else args << "--" + kind << path << "program" << m_dir + "/blink.hex";
        QProcess cli;
        if (target == "full disk")  // a file-size limit: every write past 512 bytes fails as on a full disk
            cli.start("/bin/sh", QStringList{"-c", "trap '' XFSZ; ulimit -f 1; exec \"$0\" \"$@\"", kCli} + args);
        else
            cli.start(kCli, args);
        QVERIFY(cli.waitForFinished(60000));
        const QString err = QString::fromUtf8(cli.readAllStandardError() + cli.readAllStandardOutput());
        QVERIFY2(cli.exitCode() == exitCode, qPrintable(QString("exit %1: %2").arg(cli.exitCode()).arg(err)));
        const QFileInfo left(path);
        if (target == "device" || target == "link to a device") QVERIFY(!QFileInfo("/dev/null").isFile());
        if (target == "fifo") QVERIFY(left.exists() && !left.isFile());
        if (target == "link to a device") QVERIFY(left.isSymLink());
        if (exitCode != 0) QVERIFY2(!err.isEmpty(), "a refusal or a failed write is said");
        if (exitCode == 0) QVERIFY(left.isFile() && left.size() > 0 && left.size() != old.size());
        if (target == "full disk") {
            // The per-user store cannot be written either: a warning, since no store was asked for.
            QVERIFY2(err.contains("cannot write: "), qPrintable(err));
            QFile kept(kind == "read" ? dir + "/code.hex" : path);
            // What was there stays whole; a report or image never half-replaces it.
            if (kind != "read") QVERIFY(kept.open(QIODevice::ReadOnly) && kept.read(old.size()) == old);
        }
    }

    // read OUT[.hex] writes OUT.hex and OUT.eep; a second name is taken as given; one file for both is
    // refused before the writer is touched. `partner` is the EEPROM file the windows pair with the code
    // file too (image::SetEepromFileExtension), so both front ends are held to one rule.
    void readNames_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QString>("partner");
        QTest::addColumn<int>("exitCode");
        const auto row = [](const char* name, QStringList names, QStringList written, QString partner, int code) {
            QTest::newRow(name) << names << written << partner << code;
        };
        row("OUT.hex", {"n1/chip.hex"}, {"n1/chip.eep", "n1/chip.hex"}, "n1/chip.eep", 0);
        row("no extension", {"n2/chipdump"}, {"n2/chipdump.eep", "n2/chipdump.hex"}, "n2/chipdump.eep", 0);
        row("short extension", {"n3/a.h"}, {"n3/a.eep", "n3/a.h"}, "n3/a.eep", 0);
        row("long extension", {"n8/fw.ihex"}, {"n8/fw.eep", "n8/fw.ihex"}, "n8/fw.eep", 0);
        row("two extensions", {"n9/fw.v2.hex"}, {"n9/fw.v2.eep", "n9/fw.v2.hex"}, "n9/fw.v2.eep", 0);
        row("dot in the folder only", {"n10.d/prog"}, {"n10.d/prog.eep", "n10.d/prog.hex"}, "n10.d/prog.eep", 0);
        row("second name", {"n4/a.hex", "n4/e.bin"}, {"n4/a.hex", "n4/e.bin"}, "", 0);
        row("S-record and binary", {"n6/a.srec", "n6/e.bin"}, {"n6/a.srec", "n6/e.bin"}, "", 0);
        row("both one file", {"n5/backup.eep"}, {}, "", 4);
        row("ELF name refused", {"n7/a.elf"}, {}, "", 4);
    }
    void readNames() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, written);
        QFETCH(QString, partner);
        QFETCH(int, exitCode);
        const QString folder = m_dir + "/" + names.first().section('/', 0, 0);
        QVERIFY(QDir().mkpath(folder));
        if (!partner.isEmpty()) QCOMPARE(image::SetEepromFileExtension(m_dir + "/" + names.first()), m_dir + "/" + partner);
        Sim sim({"--chip", "ATtiny12L"});
        QStringList args{"--lang", "en", "--port", "{port}", "read"};
        for (const QString& name : names) args << "{dir}/" + name;
        QCOMPARE(Cli(args, sim.path, m_dir).exitCode, exitCode);
        QStringList found = QDir(folder).entryList(QDir::Files, QDir::Name);
        for (QString& f : found) f.prepend(names.first().section('/', 0, 0) + "/");
        QCOMPARE(found, written);
    }

    // Every run asked for a report gets one, also one that ended before the writer: an older report never
    // stays behind; nothing programmed erases nothing. A read writes both files and a verify against them
    // passes; the report and log say what happened, and a check writes its report and log too.
    void reportAndLog() {
        Sim sim({"--chip", "ATtiny12L"});
        const QString report = m_dir + "/every.json", log = m_dir + "/every.csv";
        test::WriteFile(report, "{\"exitCode\": 0}");
        QFile::remove(log);
        QCOMPARE(Cli({"--port", "{port}", "program", "{dir}/blink.hex"}, sim.path, m_dir).exitCode, 0);
        QCOMPARE(Cli({"--lang", "en", "--report", report, "--port", "{port}", "program", "{dir}/empty.hex"}, sim.path, m_dir).exitCode, 3);
        const QJsonObject refused = Json(report);
        QCOMPARE(refused["exitCode"].toInt(), 3);
        QCOMPARE(refused["verdict"].toString(), "input-invalid");
        QVERIFY(refused["message"].toString().contains("empty.hex"));
        for (const char* command : {"read", "verify"})
            QCOMPARE(Cli({"--lang", "en", "--port", "{port}", "--report", report, "--log", log, command, "{dir}/out.hex"},
                         sim.path, m_dir).exitCode, 0);
        QVERIFY(test::ReadFile(m_dir + "/out.eep").contains("FF4243FF"));
        const QStringList lines = QString::fromUtf8(test::ReadFile(log)).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], "time,port,firmware,device,signature,file_sha256,command,verdict,seconds,lockfuse_before,"
                           "lockfuse_written");
        QVERIFY(lines[2].contains(",KX-WRT540 V6.35,ATtiny12L,1E:90:05,") && lines[2].contains(",verify,succeeded,"));
        QCOMPARE(Json(report)["command"].toString(), "verify");
        const QJsonObject run = Json(report)["runs"].toArray().first().toObject();
        QCOMPARE(run["verdict"].toString(), "succeeded");
        QCOMPARE(run["signature"].toString(), "1E:90:05");
        QCOMPARE(run["files"].toArray().first().toObject()["sha256"].toString().size(), 64);
        QVERIFY(run["exchanges"].toInt() > 32 && run["phases"].toArray().size() >= 3);
        QCOMPARE(Cli({"--lang", "en", "--report", report, "--log", log, "--device", "ATtiny12L", "check", "{dir}/blink.hex"},
                     sim.path, m_dir).exitCode, 0);
        QCOMPARE(Json(report)["runs"].toArray().size(), 1);
        QVERIFY(test::ReadFile(log).contains(",check,succeeded,"));
        // A field with a comma, a quote and a line break is quoted, its quote doubled.
        const QString odd = m_dir + "/a,\"b\nc";
        QVERIFY(QFile::link(sim.path, odd));
        QCOMPARE(Cli({"--log", log, "--port", odd, "erase"}, sim.path, m_dir).exitCode, 0);
        QVERIFY(QString::fromUtf8(test::ReadFile(log)).contains(",\"" + m_dir + "/a,\"\"b\nc\",KX-WRT540 V6.35,"));
    }

    // The production loop cannot go on without its writer: the loop ends with 2 and says why.
    void repeatEndsWhenTheWriterIsLost() {
        auto sim = std::make_unique<Sim>(QStringList{"--chip", "ATtiny12L"});
        QProcess cli;
        cli.start(kCli, {"--lang", "en", "--repeat", "--port", sim->path, "program", m_dir + "/blink.hex"});
        QString seen;
        QVERIFY(WaitFor(cli, seen, "remove the chip"));
        sim.reset();
        QVERIFY(cli.waitForFinished(20000));
        QCOMPARE(cli.exitCode(), 2);
        QVERIFY(QString::fromUtf8(cli.readAllStandardError()).contains("the writer was lost while waiting"));
    }

    // A store that stops answering, goes away, or is locked while a signal comes, and a reader that goes away:
// the run always ends, with its code and reason, and the store holds what the chip went through.
    void storeNeverStalls_data() {
        QTest::addColumn<QString>("kind");     // frozen, stopped, sigterm, sighup, pipe
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");     // a text of the output
        QTest::addColumn<QString>("verdict");  // the chip's record afterwards; "cancelled": the report's and the log's
        QTest::newRow("server frozen mid-run") << "frozen" << 2 << "the chip store did not answer within 10 s" << "interrupted";
        QTest::newRow("server stopped between chips") << "stopped" << 2 << "the production loop ends: " << "succeeded";
        QTest::newRow("lock held, SIGTERM in the writer's wait") << "sigterm" << 130 << "cancelled - Cancelled." << "cancelled";
        QTest::newRow("lock held, SIGHUP before the ports") << "sighup" << 130 << "Cancelled." << "cancelled";
        // Checked writes to standard output make it 2; without SIGPIPE ignored it was 141.
        QTest::newRow("standard output closed") << "pipe" << 2 << "" << "succeeded";
    }
    void storeNeverStalls() {
        QFETCH(QString, kind);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QFETCH(QString, verdict);
        const bool server = kind == "frozen" || kind == "stopped";
        test::PgCluster& pg = test::PgCluster::Shared();
        if (server && !pg.Installed()) QSKIP("no PostgreSQL server programs (Debian's postgresql) to start a server with");
        const QString db = server ? pg.NewDatabase(kind) : m_dir + "/" + kind + ".sqlite";
        QVERIFY2(!db.isEmpty(), qPrintable(pg.Failure()));
        QFile::remove(db);
        Sim sim(kind == "frozen" ? QStringList{"--chip", "AT90S8515", "--baud", "9600"} : QStringList{"--chip", "ATtiny12L", "--commands"});
        const QString report = m_dir + "/stall.json", log = m_dir + "/stall.csv";
        QFile::remove(log);
        QStringList args{"--lang", "en", "--db", db, "--report", report, "--log", log, "--port", sim.path};
        if (kind != "sigterm") args << QStringList{"--serial-at", "eeprom:0", "--serial-format", "u8", "--serial-start", "7"};
        if (kind == "stopped") args << "--repeat";
        args << "program" << m_dir + (kind == "frozen" ? "/full.hex" : "/blink.hex");
        QSqlDatabase lock = QSqlDatabase::addDatabase("QSQLITE", "held");
        QProcess cli;
        QString seen;
        if (kind == "sigterm" || kind == "sighup") {
            // The store made by a run that opens it before it finds no port: a query creates none.
            QCOMPARE(Cli({"--db", db, "-p", "/dev/zendra-none", "erase"}, {}, {}).exitCode, 2);
            lock.setDatabaseName(db);
            QVERIFY(lock.open() && QSqlQuery(lock).exec("BEGIN IMMEDIATE"));
        }
        if (kind == "pipe") {
            cli.start("bash", QStringList{"-c", "\"$0\" \"$@\" | true; exit ${PIPESTATUS[0]}", kCli} + args);
        } else {
            cli.start(kCli, args);
        }
        if (kind == "frozen") {
            QVERIFY(WaitFor(cli, seen, "Programming flash"));
            pg.Freeze(true);
        } else if (kind == "stopped") {
            QVERIFY(WaitFor(cli, seen, "remove the chip"));
            QVERIFY(pg.Stop());
            sim.Command("remove");
            QVERIFY(WaitFor(cli, seen, "insert the next chip"));
            sim.Command("insert ATtiny12L");
        } else if (kind != "pipe") {
            QTest::qWait(1000);
            ::kill(pid_t(cli.processId()), kind == "sigterm" ? SIGTERM : SIGHUP);
        }
        const bool ended = cli.waitForFinished(40000);
        if (kind == "frozen") pg.Freeze(false);
        if (kind == "stopped") QVERIFY(pg.Start());
        lock.close();
        lock = {};
        QSqlDatabase::removeDatabase("held");
        QVERIFY(ended);
        seen += QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError());
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), exitCode);
        QVERIFY2(seen.contains(said), qPrintable(seen));
        if (verdict == "cancelled") {
            QCOMPARE(Json(report)["runs"].toArray().first().toObject()["verdict"].toString(), verdict);
            QVERIFY(test::ReadFile(log).contains(",program,cancelled,"));
            QCOMPARE(Cli({"--port", "{port}", "detect"}, sim.path, m_dir).exitCode, 0);  // the writer in its base set
            return;
        }
        QCOMPARE(History(db, 7).at(0).toObject()["verdict"].toString(), verdict);
        QCOMPARE(seen.count("insert the next chip"), kind == "stopped" ? 1 : 0);
        QVERIFY(History(db, 8).isEmpty());
    }

    // One process per writer. A lock that no live process holds is taken over with a note; a live one
    // refuses and names its file.
    void portLocks_data() {
        QTest::addColumn<QByteArray>("content");  // empty: held by this live test process
        QTest::addColumn<int>("exitCode");
        QTest::newRow("garbage") << QByteArray("garbage") << 0;
        QTest::newRow("empty") << QByteArray("\n") << 0;
        QTest::newRow("ended process") << QByteArray("999999\nzendra-cli\n" + QSysInfo::machineHostName().toUtf8() + "\n") << 0;
        QTest::newRow("live process") << QByteArray() << 2;
    }
    // A port another program holds, and one this user may not open (as a user without the port's group,
    // and with a runtime folder of another user's, as under sudo): each says why, with exit 2.
    void portRefusals_data() {
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("said");
        QTest::newRow("held by another program") << true << "the port is in use by another program: ";
        QTest::newRow("not permitted") << false << "permission denied: ";
    }
    void portRefusals() {
        QFETCH(bool, held);
        QFETCH(QString, said);
        Sim sim({"--chip", "ATtiny12L"});
        const int fd = ::open(qPrintable(sim.path), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        const bool root = ::geteuid() == 0;
        QCOMPARE(held ? ::flock(fd, LOCK_EX | LOCK_NB) : ::fchmod(fd, root ? 0600 : 0), 0);
        QProcess cli;
        if (!held && root)
            cli.setChildProcessModifier([] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
            });
        cli.start(kCli, {"--lang", "en", "-p", sim.path, "fuse", "read"});
        QVERIFY(cli.waitForFinished(20000));
        ::close(fd);
        const QString out = QString::fromUtf8(cli.readAllStandardOutput()), err = QString::fromUtf8(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), 2);
        QVERIFY2(err.startsWith("link-failed - " + said + sim.path) && out.isEmpty(), qPrintable(out + err));
        // The holders in any order: the writer's own process may hold the terminal too.
        const QRegularExpression holders("held by: [^\n]*\\b" + QString::number(::getpid()) + " ");
        QVERIFY2(held ? err.contains(holders) : err.contains("sudo usermod -aG dialout $USER"), qPrintable(err));
        QVERIFY2(!err.contains("XDG_RUNTIME_DIR"), qPrintable(err));
    }

    void portLocks() {
        QFETCH(QByteArray, content);
        QFETCH(int, exitCode);
        Sim sim({"--chip", "ATtiny12L"});
        const QString lockName = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/zendra-cli-" +
                                 QFileInfo(sim.path).canonicalFilePath().replace('/', '_') + ".lock";
        QLockFile live(lockName);
        if (content.isEmpty()) QVERIFY(live.tryLock(0));
        else test::WriteFile(lockName, content == "\n" ? QByteArray() : content);
        const Run run = Cli({"--lang", "en", "--port", "{port}", "detect"}, sim.path, m_dir);
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 0) QVERIFY2(run.err.contains("took over a lock file that no running process holds: " + lockName), qPrintable(run.err));
        else QVERIFY2(run.err.contains("in use by another zendra-cli") && run.err.contains(lockName), qPrintable(run.err));
    }
};

ZENDRA_SHARDED_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
