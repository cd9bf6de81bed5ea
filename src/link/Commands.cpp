#include "link/Commands.h"

#include "devices/Catalogue.h"
#include "link/Exchange.h"
#include "link/Texts.h"

namespace zendra::link {

namespace {

using namespace texts;

enum class Command {
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
    Count
};

// The writer's commands as data. Time-outs: 1 s for mode changes and short acknowledgments, 2 s for the
// device selection and the fuse reads, 5 s where the chip itself may be busy programming.
const CommandSpec& Row(Command command) {
    constexpr auto k5ms = PauseOf(milliseconds(5));  // lets the writer clock each instruction byte in
    constexpr auto k1ms = PauseOf(milliseconds(1));
    constexpr auto kWait = WaitOf(milliseconds(100));  // the writer prepares the fuse/lock write
    // clang-format off
    static const std::array<CommandSpec, static_cast<size_t>(Command::Count)> table = {{
        {'A', {}, 0, false, 1, seconds(1), true, kFailEnterAvr, kFailEnterAvr},
        {'P', {}, 0, false, 1, seconds(1), true, kFailEnterProgramming, kWrongEnterProgramming, true},
        {'L', {}, 0, false, 1, seconds(1), true, kFailLeaveProgramming, kFailLeaveProgramming},
        {'T', {Argument(0), Fixed(0x00)}, 2, true, 1, seconds(2), true, kFailSelectDevice, kRejectedSelectDevice},
        {'s', {}, 0, false, 3, seconds(1), false, kFailReadSignature, {}},
        {'e', {}, 0, false, 1, seconds(1), true, kFailChipErase, kFailChipErase},
        {'a', {Argument(0), Argument(1)}, 2, false, 1, seconds(5), true, kFailSelectAddress, kFailSelectAddress},
        {'c', {Argument(0)}, 1, false, 1, seconds(5), true, kFailWriteLow, kWrongWriteLow},
        {'C', {Argument(0)}, 1, false, 1, seconds(5), true, kFailWriteHigh, kWrongWriteHigh},
        {'W', {Argument(0, k1ms), Argument(1)}, 2, false, 1, seconds(5), true, kFailWriteTiny26, kWrongWriteTiny26},
        {'R', {}, 0, false, 2, seconds(5), false, kFailReadProgram, {}},
        {'d', {}, 0, false, 1, seconds(5), false, kFailReadData, {}},
        {'D', {Argument(0)}, 1, false, 1, seconds(5), true, kFailWriteData, kFailWriteData},
        {'f', {Argument(0, kWait)}, 1, false, 1, seconds(1), true, kFailWriteFuse, kFailWriteFuse},
        {'u', {Argument(0, kWait)}, 1, false, 1, seconds(1), true, kFailWriteFuseLow, kFailWriteFuseLow},
        {';', {Fixed(0xAC, k5ms), Fixed(0xA8, k5ms), Fixed(0x00, k5ms), Argument(0, k5ms)}, 4, false, 1,
         seconds(1), true, kFailWriteFuseHigh, kFailWriteFuseHigh},
        {'l', {Argument(0, kWait)}, 1, false, 1, seconds(5), true, kFailWriteLock, kFailWriteLock},
        {';', {Fixed(0xAC, k5ms), Fixed(0xE0, k5ms), Fixed(0x00, k5ms), Argument(0, k5ms)}, 4, false, 1,
         seconds(5), true, kFailWriteLockTiny26, kWrongWriteLockTiny26},
        {'F', {}, 0, false, 1, seconds(5), false, kFailReadLockFuse, {}},
        {'r', {}, 0, false, 1, seconds(2), false, kFailReadFuse, {}},
        {':', {Fixed(0x58, k5ms), Fixed(0x08, k5ms), Fixed(0x00, k5ms)}, 3, false, 1, seconds(2), false,
         kFailReadFuseHigh, {}},
        {'o', {}, 0, false, 1, seconds(2), false, kFailReadCalibration, {}},
    }};
    // clang-format on
    return table[static_cast<size_t>(command)];
}

Outcome Exchange(LinkContext& ctx, Command command, qint16& error,
                 std::initializer_list<quint8> arguments = {}) {
    return RunExchange(ctx, Row(command), arguments, error).outcome;
}

// A one-byte read: the value is copied only when the reply arrived, and never checked.
Outcome ReadOne(LinkContext& ctx, Command command, quint8& value, qint16& error) {
    const ExchangeResult result = RunExchange(ctx, Row(command), {}, error);
    if (result.outcome == Outcome::Ok) value = static_cast<quint8>(result.reply.at(0));
    return result.outcome;
}

// The worse of two outcomes of one routine: a time-out over a wrong reply over success.
Outcome Worse(Outcome a, Outcome b) {
    if (a == Outcome::TimedOut || b == Outcome::TimedOut) return Outcome::TimedOut;
    if (a == Outcome::WrongReply || b == Outcome::WrongReply) return Outcome::WrongReply;
    return Outcome::Ok;
}

QString SignatureText(quint8 vendor, quint8 family, quint8 part) {
    const auto hex = [](quint8 b) { return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper(); };
    return hex(vendor) + QLatin1Char(':') + hex(family) + QLatin1Char(':') + hex(part);
}

}  // namespace

// --- Programming mode and identification ------------------------------------------------------------

Outcome EnterAvrCommandSet(LinkContext& ctx, qint16& error) {
    return Exchange(ctx, Command::EnterAvr, error);
}

void ExitAvrCommandSet(LinkContext& ctx) {
    ctx.ui.SetStatusPanel(1, kSendingExitAvr);
    // Also used right after the port was closed: a port that cannot take the byte is simply skipped.
    if (!IsPortUsable(ctx.port)) return;
    ctx.port.DiscardInput();
    ctx.port.Write(QByteArray(1, '\x1B'));
}

Outcome EnterProgrammingMode(LinkContext& ctx, qint16& error) {
    return Exchange(ctx, Command::EnterProgramming, error);
}

Outcome LeaveProgrammingMode(LinkContext& ctx, qint16& error) {
    const Outcome outcome = Exchange(ctx, Command::LeaveProgramming, error);
    // The writer needs a moment after leaving programming mode; after a time-out there is nothing to wait
    // for.
    if (outcome != Outcome::TimedOut) Wait(ctx, 0.1);
    return outcome;
}

Outcome SelectDevice(LinkContext& ctx, quint8 code, qint16& error) {
    ctx.ui.SetStatusPanel(1, kSendingSelectDevice + QString::number(code, 16).toUpper());
    const ExchangeResult result = RunExchange(ctx, Row(Command::SelectDevice), {code}, error);
    if (result.outcome != Outcome::Ok) {
        ctx.state.StatusText =
            result.outcome == Outcome::TimedOut ? kFailSelectDevice : kRejectedSelectDevice;
        ctx.ui.SetMessageText(ctx.state.StatusText);
        ctx.ui.SetMessageOkVisible(true);
    }
    return result.outcome;
}

Outcome ReadSignature(LinkContext& ctx, qint16& flashWords, qint16& error) {
    ctx.ui.SetStatusPanel(2, kNoSignature);
    flashWords = 512;

    constexpr int kTries = 5;  // a chip still settling after power-up may answer an unknown family at first
    quint8 part = 0, family = 0;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        const ExchangeResult result = RunExchange(ctx, Row(Command::ReadSignature), {}, error);
        if (result.outcome != Outcome::Ok) return result.outcome;
        part = static_cast<quint8>(result.reply.at(0));
        family = static_cast<quint8>(result.reply.at(1));
        const auto vendor = static_cast<quint8>(result.reply.at(2));
        ctx.state.MessageText = SignatureText(vendor, family, part);
        ctx.ui.SetStatusPanel(2, ctx.state.MessageText);
        if (const auto words = devices::FlashWordsForFamily(family)) {
            flashWords = *words;
            break;
        }
    }

    Outcome outcome = Outcome::Ok;
    const auto reject = [&](const QString& notice) {
        ctx.ui.ShowMessage(core::kMessageNotice, notice);
        error = 1;
        outcome = Outcome::WrongReply;
    };
    if (family <= 0x02) {
        // The pattern of a locked chip: offer "protected" in the lock choice so an erase is the next step.
        ctx.ui.SetPanelIndex(core::PanelControl::LockBit, 2);
        reject(kChipProtectedOrNotSeated);
    } else if (family == 0xFF) {
        reject(kChipNotSeated);
    } else {
        if (ctx.state.ProgramMemoryWords != flashWords) reject(kDeviceMismatch);
        if (ctx.ui.DeviceSelectorText().left(9) != devices::SignatureModelName(family, part))
            reject(kDeviceMismatch);
    }
    return outcome;
}

Outcome ChipErase(LinkContext& ctx, qint16& error) { return Exchange(ctx, Command::ChipErase, error); }

void CheckDevice(LinkContext& ctx) {
    core::SharedState& s = ctx.state;
    EnterAvrCommandSet(ctx, s.ErrorFlag);
    if (s.ErrorFlag != 0) return;  // never put the writer into programming mode after a failed 'A'
    EnterProgrammingMode(ctx, s.ErrorFlag);
    ctx.timing.Sleep(milliseconds(50));  // the chip's programming-enable settles before the signature read
    ReadSignature(ctx, s.DetectedFlashWords, s.ErrorFlag);
    s.DeviceMismatch = s.ErrorFlag == 1;
    LeaveProgrammingMode(ctx, s.ErrorFlag);
}

// --- Memory access ------------------------------------------------------------------------------------

Outcome SelectAddress(LinkContext& ctx, qint32 address, qint16& error) {
    // Two bytes carry 0..65535; anything else would select a wrapped, wrong address.
    if (address < 0 || address > 0xFFFF) {
        error = 1;
        ctx.ui.SetStatusPanel(1, kFailSelectAddress);
        return Outcome::WrongReply;
    }
    const auto high = static_cast<quint8>((address / 256) & 0xFF);
    const auto low = static_cast<quint8>(address & 0xFF);
    return Exchange(ctx, Command::SelectAddress, error, {high, low});
}

Outcome WriteProgramWord(LinkContext& ctx, quint8 high, quint8 low, qint16& error) {
    const Outcome first = Exchange(ctx, Command::WriteLow, error, {low});
    if (first == Outcome::TimedOut) return first;  // the high byte never goes out after a silent writer
    return Worse(first, Exchange(ctx, Command::WriteHigh, error, {high}));
}

Outcome WriteProgramWordTiny26(LinkContext& ctx, quint8 high, quint8 low, qint16& error) {
    return Exchange(ctx, Command::WriteTiny26, error, {low, high});
}

Outcome ReadProgramWord(LinkContext& ctx, quint8& high, quint8& low, qint16& error) {
    const ExchangeResult result = RunExchange(ctx, Row(Command::ReadProgram), {}, error);
    if (result.outcome == Outcome::Ok) {
        high = static_cast<quint8>(result.reply.at(0));
        low = static_cast<quint8>(result.reply.at(1));
    }
    return result.outcome;
}

Outcome ReadDataByte(LinkContext& ctx, quint8& data, qint16& error) {
    return ReadOne(ctx, Command::ReadData, data, error);
}

Outcome WriteDataByte(LinkContext& ctx, quint8 data, qint16& error) {
    return Exchange(ctx, Command::WriteData, error, {data});
}

// --- Fuse, lock and calibration -------------------------------------------------------------------------

Outcome WriteFuse(LinkContext& ctx, quint8 value, qint16& error) {
    return Exchange(ctx, Command::WriteFuse, error, {value});
}

Outcome WriteFuseLow(LinkContext& ctx, quint8 value, qint16& error) {
    return Exchange(ctx, Command::WriteFuseLow, error, {value});
}

Outcome WriteFuseHigh(LinkContext& ctx, quint8 value, qint16& error) {
    return Exchange(ctx, Command::WriteFuseHigh, error, {value});
}

Outcome WriteLock(LinkContext& ctx, quint8 value, qint16& error) {
    return Exchange(ctx, Command::WriteLock, error, {value});
}

Outcome WriteLockTiny26(LinkContext& ctx, quint8 value, qint16& error) {
    return Exchange(ctx, Command::WriteLockTiny26, error, {value});
}

Outcome ReadLockFuse(LinkContext& ctx, quint8& value, qint16& error) {
    return ReadOne(ctx, Command::ReadLockFuse, value, error);
}

Outcome ReadFuse(LinkContext& ctx, quint8& value, qint16& error) {
    return ReadOne(ctx, Command::ReadFuse, value, error);
}

Outcome ReadFuseHigh(LinkContext& ctx, quint8& value, qint16& error) {
    return ReadOne(ctx, Command::ReadFuseHigh, value, error);
}

Outcome ReadCalibration(LinkContext& ctx, quint8& value, qint16& error) {
    return ReadOne(ctx, Command::ReadCalibration, value, error);
}

}  // namespace zendra::link
