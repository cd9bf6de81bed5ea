// kxwrt-sim: the virtual writer on a pseudo-terminal. Prints the terminal's path, serves until SIGTERM or
// SIGINT, then writes the state dump.

#include <sys/prctl.h>
#include <unistd.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <functional>

#include "PtyWriter.h"
#include "StateJson.h"

using namespace zendra::virtualwriter;

namespace {

volatile std::sig_atomic_t g_stop = 0;

void RequestStop(int) { g_stop = 1; }

int Refuse(const QString& text) {
    std::fprintf(stderr, "kxwrt-sim: %s\n", qPrintable(text));
    return 2;
}

// A whole number of at least `minimum`, or nullopt.
std::optional<int> ParseCount(const QString& text, int minimum) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum) return std::nullopt;
    return value;
}

bool IsPrintableLatin1(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
    }
    return !text.isEmpty();
}

}  // namespace

int main(int argc, char** argv) {
    // The signals stay blocked except while the loop waits, so a stop request is never lost.
    struct sigaction action {};
    action.sa_handler = RequestStop;
    ::sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t blocked;
    ::sigemptyset(&blocked);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaddset(&blocked, sig);
    ::sigprocmask(SIG_BLOCK, &blocked, nullptr);

    // The default 50 us timer slack would make every emulated byte time late by up to that much.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kxwrt-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZENDRA_VERSION_TEXT));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Virtual KX-WRT540 writer on a pseudo-terminal."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption chip(QStringLiteral("chip"),
                                  QStringLiteral("Chip in the socket: catalogue name or index."),
                                  QStringLiteral("NAME|INDEX"));
    const QCommandLineOption locked(QStringLiteral("locked"),
                                    QStringLiteral("The chip starts with LB1 programmed."));
    const QCommandLineOption empty(QStringLiteral("empty"), QStringLiteral("No chip in the socket."));
    const QCommandLineOption firmware(QStringLiteral("firmware"),
                                      QStringLiteral("Firmware version text (default 6.35)."),
                                      QStringLiteral("VERSION"));
    const QCommandLineOption delay(QStringLiteral("delay-ms"), QStringLiteral("Delay before every reply."),
                                   QStringLiteral("N"));
    const QCommandLineOption baud(QStringLiteral("baud"),
                                  QStringLiteral("Emulate the line: each byte takes 10/N s."),
                                  QStringLiteral("N"));
    const QCommandLineOption adapterLatency(
        QStringLiteral("adapter-latency-ms"),
        QStringLiteral("Emulate a USB serial adapter: a reply is held until N ms after its first byte, then "
                       "delivered at once (sooner when 62 bytes have gathered)."),
        QStringLiteral("N"));
    const QCommandLineOption silentAfter(QStringLiteral("silent-after"),
                                         QStringLiteral("Answer nothing after the N-th command."),
                                         QStringLiteral("N"));
    const QCommandLineOption wrongFrom(QStringLiteral("wrong-from"),
                                       QStringLiteral("Answer wrongly from the N-th command on."),
                                       QStringLiteral("N"));
    const QCommandLineOption ignoreWrites(QStringLiteral("ignore-writes"),
                                          QStringLiteral("Flash and EEPROM writes change nothing."));
    const QCommandLineOption eraseFails(QStringLiteral("erase-fails"),
                                        QStringLiteral("A chip erase leaves flash and EEPROM as they were."));
    const QCommandLineOption stuckAddress(QStringLiteral("stuck-address-bit"),
                                          QStringLiteral("This address bit is 0 for every flash and EEPROM access."),
                                          QStringLiteral("N"));
    const QCommandLineOption stuckData(QStringLiteral("stuck-data-bit"),
                                       QStringLiteral("Flash and EEPROM bytes read with this bit 0."),
                                       QStringLiteral("N"));
    const QCommandLineOption flipBits(QStringLiteral("flip-bits"),
                                      QStringLiteral("This many flash words, picked by --seed, read with one bit flipped."),
                                      QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("The seed of --flip-bits (default 1)."),
                                  QStringLiteral("S"));
    const QCommandLineOption preload(QStringLiteral("preload"), QStringLiteral("Start from this JSON state."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption dump(QStringLiteral("dump"),
                                  QStringLiteral("Write the JSON state on exit and after every update."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption wireLog(QStringLiteral("wire-log"), QStringLiteral("Log every byte in and out."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption commands(QStringLiteral("commands"),
                                      QStringLiteral("Read \"remove\" and \"insert [CHIP]\" lines on standard input."));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Make a symbolic link to the terminal."),
                                  QStringLiteral("PATH"));
    parser.addOptions(
        {chip, locked, empty, firmware, delay, baud, adapterLatency, silentAfter, wrongFrom, ignoreWrites, eraseFails,
         stuckAddress, stuckData, flipBits, seed, preload, dump, wireLog, commands, link});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        return Refuse(QStringLiteral("unexpected argument ") + parser.positionalArguments().first());

    WriterOptions options;
    PtyOptions ptyOptions;
    if (parser.isSet(chip)) {
        const auto index = ParseChipChoice(parser.value(chip));
        if (!index) return Refuse(QStringLiteral("unknown chip ") + parser.value(chip));
        options.deviceIndex = *index;
    }
    options.locked = parser.isSet(locked);
    options.emptySocket = parser.isSet(empty);
    options.ignoreWrites = parser.isSet(ignoreWrites);
    options.eraseFails = parser.isSet(eraseFails);
    if (parser.isSet(firmware)) {
        if (!IsPrintableLatin1(parser.value(firmware)))
            return Refuse(QStringLiteral("--firmware needs printable ASCII text"));
        options.firmwareVersion = parser.value(firmware);
    }
    struct CountOption {
        const QCommandLineOption& option;
        int minimum;
        std::function<void(int)> apply;
    };
    const CountOption counts[] = {
        {delay, 0, [&](int v) { options.replyDelay = std::chrono::milliseconds(v); }},
        {baud, 1, [&](int v) { ptyOptions.baud = v; }},
        {adapterLatency, 0, [&](int v) { ptyOptions.adapterLatency = std::chrono::milliseconds(v); }},
        {silentAfter, 0, [&](int v) { options.silentAfter = v; }},
        {wrongFrom, 1, [&](int v) { options.wrongFrom = v; }},
        {stuckAddress, 0, [&](int v) { options.stuckAddressBit = v; }},
        {stuckData, 0, [&](int v) { options.stuckDataBit = v; }},
        {flipBits, 0, [&](int v) { options.flippedBits = v; }},
        {seed, 0, [&](int v) { options.flipSeed = quint32(v); }},
    };
    for (const CountOption& count : counts) {
        if (!parser.isSet(count.option)) continue;
        const auto value = ParseCount(parser.value(count.option), count.minimum);
        if (!value) {
            return Refuse(QStringLiteral("--%1 needs a whole number of at least %2")
                              .arg(count.option.names().first())
                              .arg(count.minimum));
        }
        count.apply(*value);
    }
    if (options.stuckAddressBit > 15 || options.stuckDataBit > 7)
        return Refuse(QStringLiteral("--stuck-address-bit takes 0-15, --stuck-data-bit 0-7"));
    ptyOptions.dumpPath = parser.value(dump);
    ptyOptions.wireLogPath = parser.value(wireLog);
    ptyOptions.commands = parser.isSet(commands);

    WriterModel model(options);
    if (parser.isSet(preload)) {
        QString error;
        const auto state = ReadChipStateFile(parser.value(preload), options.deviceIndex, &error);
        if (!state) return Refuse(QStringLiteral("preload: ") + error);
        if (parser.isSet(chip) && state->deviceIndex != options.deviceIndex) {
            return Refuse(QStringLiteral("--chip and the preloaded chip differ"));
        }
        model.LoadChip(*state);
        if (options.locked) {
            ChipState lockedChip = *state;
            lockedChip.lock &= static_cast<quint8>(~(1u << LayoutForDevice(state->deviceIndex)->lb1Bit));
            model.LoadChip(lockedChip);
        }
    }

    PtyWriter writer(model, ptyOptions);
    QString error;
    if (!writer.Open(&error)) {
        std::fprintf(stderr, "kxwrt-sim: %s\n", qPrintable(error));
        return 1;
    }
    const QByteArray terminal = QFile::encodeName(writer.TerminalPath());
    QByteArray linkPath;
    if (parser.isSet(link)) {
        linkPath = QFile::encodeName(parser.value(link));
        // Replace a stale link from an earlier run, but never a real file.
        const QFileInfo existing(parser.value(link));
        if (existing.isSymLink()) ::unlink(linkPath.constData());
        if (::symlink(terminal.constData(), linkPath.constData()) != 0) {
            std::fprintf(stderr, "kxwrt-sim: cannot make link %s\n", linkPath.constData());
            return 1;
        }
    }
    std::printf("%s\n", terminal.constData());
    std::fflush(stdout);

    writer.Run(g_stop);

    int status = 0;
    if (!writer.WriteDump(&error)) {
        std::fprintf(stderr, "kxwrt-sim: dump: %s\n", qPrintable(error));
        status = 1;
    }
    if (!linkPath.isEmpty()) {
        char target[4096];
        const ssize_t n = ::readlink(linkPath.constData(), target, sizeof target - 1);
        if (n >= 0 && QByteArray(target, static_cast<int>(n)) == terminal) ::unlink(linkPath.constData());
    }
    return status;
}
