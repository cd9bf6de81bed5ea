#include "link/Commands.h"

#include "devices/Catalogue.h"
#include "link/Exchange.h"
#include "link/LinkTexts.h"

namespace zendra::link {

namespace {

using namespace texts;

enum class CommandId {
    EnterAvr,
    EnterProgramming,
    LeaveProgramming,
    SelectDevice,
    ReadSignature,
    ChipErase,
    SelectAddress,
    WriteLow,
    WriteHigh,
    WriteTiny26,
    ReadProgram,
    ReadData,
    WriteData,
    WriteFuse,
    WriteFuseLow,
    WriteFuseHigh,
    WriteLock,
    WriteLockTiny26,
    ReadLockFuse,
    ReadFuse,
    ReadFuseHigh,
    ReadCalibration,
    QueryIdentification,
    Count
};

// A row that only acknowledges with CR, with one text for both failures.
CommandRow Acknowledged(char letter, const QString& failure, seconds timeOut = seconds(1)) {
    return {.letter = letter, .timeOut = timeOut, .timeOutMessage = failure, .wrongReplyMessage = failure};
}

// A read of `length` bytes, never checked.
CommandRow Read(char letter, const QString& failure, seconds timeOut, int length = 1) {
    return {.letter = letter,
            .replyLength = length,
            .timeOut = timeOut,
            .checkCr = false,
            .timeOutMessage = failure};
}

// The writer's commands as data. Time-outs: 1 s for mode changes and short acknowledgments, 2 s for the
// device selection and the fuse reads, 5 s where the chip itself may be busy programming.
const CommandRow& Row(CommandId command) {
    constexpr auto k5ms = PauseOf(milliseconds(5));  // lets the writer clock each instruction byte in
    constexpr auto k1ms = PauseOf(milliseconds(1));
    constexpr auto kWait = WaitOf(milliseconds(100));  // the writer prepares the fuse/lock write
    const auto withParameters = [](CommandRow row, QList<Parameter> parameters) {
        row.parameters = std::move(parameters);
        return row;
    };
    static const std::array<CommandRow, static_cast<size_t>(CommandId::Count)> table = {{
        Acknowledged('A', kFailEnterAvr),
        {.letter = 'P',
         .timeOutMessage = kFailEnterProgramming,
         .wrongReplyMessage = kWrongEnterProgramming,
         .appendReceivedByte = true},
        Acknowledged('L', kFailLeaveProgramming),
        {.letter = 'T',
         .parameters = {Argument(0), Fixed(0x00)},
         .timeOut = seconds(2),
         .timeOutMessage = kFailSelectDevice,
         .wrongReplyMessage = kRejectedSelectDevice},
        Read('s', kFailReadSignature, seconds(1), 3),
        Acknowledged('e', kFailChipErase),
        withParameters(Acknowledged('a', kFailSelectAddress, seconds(5)), {Argument(0), Argument(1)}),
        {.letter = 'c',
         .parameters = {Argument(0)},
         .timeOut = seconds(5),
         .timeOutMessage = kFailWriteLow,
         .wrongReplyMessage = kWrongWriteLow},
        {.letter = 'C',
         .parameters = {Argument(0)},
         .timeOut = seconds(5),
         .timeOutMessage = kFailWriteHigh,
         .wrongReplyMessage = kWrongWriteHigh},
        {.letter = 'W',
         .parameters = {Argument(0, k1ms), Argument(1)},
         .timeOut = seconds(5),
         .timeOutMessage = kFailWriteTiny26,
         .wrongReplyMessage = kWrongWriteTiny26},
        Read('R', kFailReadProgram, seconds(5), 2),
        Read('d', kFailReadData, seconds(5)),
        withParameters(Acknowledged('D', kFailWriteData, seconds(5)), {Argument(0)}),
        withParameters(Acknowledged('f', kFailWriteFuse), {Argument(0, kWait)}),
        withParameters(Acknowledged('u', kFailWriteFuseLow), {Argument(0, kWait)}),
        withParameters(Acknowledged(';', kFailWriteFuseHigh),
                       {Fixed(0xAC, k5ms), Fixed(0xA8, k5ms), Fixed(0x00, k5ms), Argument(0, k5ms)}),
        withParameters(Acknowledged('l', kFailWriteLock, seconds(5)), {Argument(0, kWait)}),
        {.letter = ';',
         .parameters = {Fixed(0xAC, k5ms), Fixed(0xE0, k5ms), Fixed(0x00, k5ms), Argument(0, k5ms)},
         .timeOut = seconds(5),
         .timeOutMessage = kFailWriteLockTiny26,
         .wrongReplyMessage = kWrongWriteLockTiny26},
        Read('F', kFailReadLockFuse, seconds(5)),
        Read('r', kFailReadFuse, seconds(2)),
        withParameters(Read(':', kFailReadFuseHigh, seconds(2)),
                       {Fixed(0x58, k5ms), Fixed(0x08, k5ms), Fixed(0x00, k5ms)}),
        Read('o', kFailReadCalibration, seconds(2)),
        Read('?', kWriterNotFound, seconds(1), 17),  // "KX-WRT540 V6.35" + CR LF
    }};
    return table[static_cast<size_t>(command)];
}

CommandResult Exchange(Session& session, CommandId command, std::initializer_list<quint8> arguments = {}) {
    return RunExchange(session, Row(command), arguments);
}

constexpr char kEscape = '\x1B';
constexpr int kIdentificationLength = 17;  // "KX-WRT540 V6.35" + CR LF
constexpr int kIdentificationTextLength = 15;

}  // namespace

QList<CommandRow> CommandTable() {
    QList<CommandRow> rows;
    for (int i = 0; i < static_cast<int>(CommandId::Count); ++i) rows.append(Row(static_cast<CommandId>(i)));
    return rows;
}

// --- Programming mode and identification ------------------------------------------------------------

CommandResult EnterAvrCommandSet(Session& session) { return Exchange(session, CommandId::EnterAvr); }

void ExitAvrCommandSet(Session& session) {
    // Also used right after the port was closed: a port that cannot take the byte is simply skipped.
    if (!IsPortUsable(session.port)) return;
    session.port.DiscardInput();
    Send(session, QByteArray(1, kEscape));
}

CommandResult EnterProgrammingMode(Session& session) {
    return Exchange(session, CommandId::EnterProgramming);
}

CommandResult LeaveProgrammingMode(Session& session) {
    CommandResult result = Exchange(session, CommandId::LeaveProgramming);
    // The writer needs a moment after leaving programming mode; after a time-out there is nothing to wait
    // for.
    if (!result.Ends()) Wait(session, 0.1);
    return result;
}

CommandResult SelectDevice(Session& session, quint8 code) {
    return Exchange(session, CommandId::SelectDevice, {code});
}

CommandResult ReadSignature(Session& session) {
    constexpr int kTries = 5;  // a chip still settling after power-up may answer an unknown family at first
    CommandResult result;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        CommandResult reply = Exchange(session, CommandId::ReadSignature);
        if (!reply.Ok()) {
            reply.data = result.data;  // what the last answered try read, if any
            return reply;
        }
        result = reply;
        if (devices::FlashWordsForFamily(result.Byte(1))) break;
    }
    return result;
}

CommandResult ChipErase(Session& session) { return Exchange(session, CommandId::ChipErase); }

// --- Memory access ------------------------------------------------------------------------------------

CommandResult SelectAddress(Session& session, qint32 address) {
    // Two bytes carry 0..65535; anything else would select a wrapped, wrong address.
    if (address < 0 || address > 0xFFFF) return {Outcome::WrongReply, kFailSelectAddress, {}};
    const auto high = static_cast<quint8>((address / 256) & 0xFF);
    const auto low = static_cast<quint8>(address & 0xFF);
    return Exchange(session, CommandId::SelectAddress, {high, low});
}

CommandResult WriteProgramWord(Session& session, devices::WordWrite kind, quint8 high, quint8 low) {
    if (kind == devices::WordWrite::Tiny26) return Exchange(session, CommandId::WriteTiny26, {low, high});
    CommandResult first = Exchange(session, CommandId::WriteLow, {low});
    if (first.Ends()) return first;  // the high byte never goes out after a silent writer
    CommandResult second = Exchange(session, CommandId::WriteHigh, {high});
    // The later failure is the one the user sees last; a wrong low byte is kept when the high one went well.
    return second.Ok() ? first : second;
}

CommandResult ReadProgramWord(Session& session) { return Exchange(session, CommandId::ReadProgram); }
CommandResult ReadDataByte(Session& session) { return Exchange(session, CommandId::ReadData); }
CommandResult WriteDataByte(Session& session, quint8 data) {
    return Exchange(session, CommandId::WriteData, {data});
}

// --- Fuse, lock and calibration -------------------------------------------------------------------------

CommandResult WriteFuse(Session& session, quint8 value) {
    return Exchange(session, CommandId::WriteFuse, {value});
}
CommandResult WriteFuseLow(Session& session, quint8 value) {
    return Exchange(session, CommandId::WriteFuseLow, {value});
}
CommandResult WriteFuseHigh(Session& session, quint8 value) {
    return Exchange(session, CommandId::WriteFuseHigh, {value});
}
CommandResult WriteLock(Session& session, quint8 value) {
    return Exchange(session, CommandId::WriteLock, {value});
}
CommandResult WriteLockTiny26(Session& session, quint8 value) {
    return Exchange(session, CommandId::WriteLockTiny26, {value});
}
CommandResult ReadLockFuse(Session& session) { return Exchange(session, CommandId::ReadLockFuse); }
CommandResult ReadFuse(Session& session) { return Exchange(session, CommandId::ReadFuse); }
CommandResult ReadFuseHigh(Session& session) { return Exchange(session, CommandId::ReadFuseHigh); }
CommandResult ReadCalibration(Session& session) { return Exchange(session, CommandId::ReadCalibration); }

// --- Writer detection ---------------------------------------------------------------------------------

CommandResult ReadIdentification(Session& session) {
    if (session.Cancelled()) return {Outcome::Cancelled, kCancelled, {}};
    // ESC back to the base set, then '?' twice: the first answer may be mixed with whatever the writer was
    // still sending, so only the second one is read.
    ++session.counts.exchanges;
    session.port.DiscardInput();
    bool sent = Send(session, QByteArray(1, kEscape));
    session.timing.Sleep(milliseconds(100));
    session.port.DiscardInput();
    sent = sent && Send(session, QByteArray(1, '?'));
    session.timing.Sleep(milliseconds(100));
    session.port.DiscardInput();
    sent = sent && Send(session, QByteArray(1, '?'));
    if (!sent) return {Outcome::PortFailed, kWriterNotFound, {}};
    switch (AwaitBytes(session, kIdentificationLength, seconds(1))) {
        case Arrival::Arrived:
            break;
        case Arrival::TimedOut:
            return {Outcome::TimedOut, kWriterNotFound, {}};
        case Arrival::PortFailed:
            return {Outcome::PortFailed, kWriterNotFound, {}};
    }
    const QByteArray reply = session.port.ReadAll();
    session.counts.bytesIn += reply.size();
    return {Outcome::Done, {}, reply.left(kIdentificationTextLength)};
}

CommandResult QueryIdentification(Session& session) {
    return Exchange(session, CommandId::QueryIdentification);
}

void EnterAvrCommandSetQuietly(Session& session) {
    session.port.DiscardInput();
    Send(session, QByteArray(1, 'A'));
    // Let the CR of 'A' arrive before returning: the select-device command that follows discards what is
    // waiting, and a CR that came later would be taken as its acknowledgment.
    if (AwaitBytes(session, 1, seconds(1)) == Arrival::Arrived)
        session.counts.bytesIn += session.port.ReadAll().size();
}

void ConfigureWriterPort(SerialPort& port) {
    port.SetLineSettings(kWriterLineSettings);
    port.SetNoHandshaking();
    port.SetRts(true);  // fails on a pseudo-terminal; the writer does not need it there
}

bool OpenWriterPort(SerialPort& port, const QString& path) {
    if (port.IsOpen()) port.Close();
    ConfigureWriterPort(port);
    if (path.isEmpty() || !port.Open(path)) return false;
    port.DiscardInput();
    return true;
}

}  // namespace zendra::link
