#pragma once
// The KX-WRT540 writer with a chip in its socket, as a byte-in/byte-out machine: no I/O, no clock.
// Ports (in-process and pseudo-terminal) feed it the host's bytes and deliver its replies.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <chrono>
#include <optional>

namespace zendra::virtualwriter {

// Fuse, lock and calibration facts of one chip, keyed by its signature (both AT90S1200 entries share one).
struct ChipLayout {
    quint8 family = 0;
    quint8 part = 0;
    quint8 fuseLowDefault = 0xFF;
    quint8 fuseLowWritable = 0x00;  // bits that 'f'/'u' can change; the rest are fixed (SPIEN and the like)
    bool hasFuseHigh = false;
    quint8 fuseHighDefault = 0xFF;
    quint8 fuseHighWritable = 0x00;
    quint8 lb1Bit = 1;  // bit positions of LB1 and LB2 in the device's lock byte
    quint8 lb2Bit = 2;
    bool combinedLockFuse = false;  // 'F' answers LB1, LB2 in bits 7..6 and FSTRT/RCEN in bit 0
    bool hasCalibration = false;
    quint8 eesaveMask = 0x00;  // high fuse bit that keeps EEPROM through a chip erase when programmed

    quint8 LockMask() const { return static_cast<quint8>((1u << lb1Bit) | (1u << lb2Bit)); }
};

// The layout for a catalogue index (0..12); nullptr for any other index.
const ChipLayout* LayoutForDevice(int deviceIndex);
// Catalogue index for "--chip": a catalogue name, its first nine characters (case-insensitive), or an index.
std::optional<int> ParseChipChoice(const QString& text);

// What is in the socket and in the writer's own flash; survives port close/reopen.
struct ChipState {
    int deviceIndex = 0;
    QList<quint16> flash;  // words, 0xFFFF erased
    QByteArray eeprom;     // bytes, 0xFF erased
    quint8 fuseLow = 0xFF;
    quint8 fuseHigh = 0xFF;
    quint8 lock = 0xFF;  // in the device's own lock layout; 1 = unprogrammed
    quint8 calibration = 0x5B;
    QMap<quint16, quint16> firmware;  // word address -> word, as the last completed update sent them

    // An erased chip of that device with its factory fuses.
    static ChipState Fresh(int deviceIndex);
    // Sizes match the device and the index is a catalogue index.
    bool IsConsistent() const;
    bool operator==(const ChipState&) const = default;
};

struct WriterOptions {
    QString firmwareVersion = QStringLiteral("6.35");
    int deviceIndex = 0;
    bool emptySocket = false;
    bool locked = false;                      // LB1 programmed at start
    std::optional<int> silentAfter;           // commands after the N-th get no answer and have no effect
    std::optional<int> wrongFrom;             // from the N-th command on every answer is wrong
    std::chrono::milliseconds replyDelay{0};  // applied by the ports, not by the model
    // Faults of the chip and the socket, for the verify diagnosis and the connection check.
    bool ignoreWrites = false;             // flash and EEPROM writes change nothing (no supply, no contact)
    bool eraseFails = false;               // a chip erase leaves flash and EEPROM as they were
    std::optional<int> stuckAddressBit;    // this address bit is 0 for every flash and EEPROM access
    std::optional<int> stuckDataBit;       // flash and EEPROM bytes read with this bit 0
    int flippedBits = 0;                   // this many flash words read with one bit flipped ...
    quint32 flipSeed = 1;                  // ... the words and bits picked by this seed
};

struct WireEntry {
    bool fromHost = true;
    QByteArray bytes;
    bool operator==(const WireEntry&) const = default;
};

class WriterModel {
public:
    enum class Mode { Base, Avr, Update };

    explicit WriterModel(WriterOptions options = {});

    // One received byte; returns what the writer sends back once this byte completes a command.
    QByteArray FeedByte(quint8 byte);
    // Every byte in order; the replies concatenated.
    QByteArray Feed(const QByteArray& bytes);

    Mode CurrentMode() const { return m_mode; }
    bool InProgrammingMode() const { return m_programming; }
    bool FrameInProgress() const { return !m_frame.isEmpty(); }
    quint16 AddressRegister() const { return m_address; }
    quint8 SelectedDeviceCode() const { return m_selectedCode; }
    int CommandCount() const { return m_commands; }
    int CompletedUpdates() const { return m_completedUpdates; }

    const ChipState& Chip() const { return m_chip; }
    // Replaces the chip (and the firmware image); false, changing nothing, when the state is inconsistent.
    bool LoadChip(const ChipState& chip);
    const WriterOptions& Options() const { return m_options; }
    void SetEmptySocket(bool empty) { m_options.emptySocket = empty; }

    // Bytes in and out, adjacent bytes of one direction merged.
    const QList<WireEntry>& WireLog() const { return m_wireLog; }
    QList<WireEntry> TakeWireLog();

    static QByteArray Identification(const QString& version);

private:
    int ParameterCount(quint8 letter) const;
    QByteArray Execute(const QByteArray& frame);
    QByteArray ExecuteBase(quint8 letter);
    QByteArray ExecuteAvr(const QByteArray& frame);
    QByteArray ExecuteUpdate(const QByteArray& frame);
    QByteArray ExecuteChipCommand(const QByteArray& frame);
    static QByteArray Corrupt(const QByteArray& reply);
    void Log(bool fromHost, const QByteArray& bytes);

    const ChipLayout& Layout() const;
    bool ChipAnswers() const;  // a chip is seated and not read-protected
    bool ChipWritable() const;
    int FlashIndex() const;
    int EepromIndex() const;
    quint16 AddressSeen() const;
    bool TakesWrites() const;
    quint16 FlashWordRead(int index);
    quint8 EepromByteRead(int index) const;
    void ChipErase();
    quint8 LockFuseByte() const;

    WriterOptions m_options;
    ChipState m_chip;
    Mode m_mode = Mode::Base;
    bool m_programming = false;
    QByteArray m_frame;
    quint16 m_address = 0;
    quint8 m_selectedCode = 0;
    int m_commands = 0;
    int m_completedUpdates = 0;
    QMap<quint16, quint16> m_incomingFirmware;
    QMap<int, quint16> m_flips;  // flash word -> the bit read flipped, for the chip's size below
    qsizetype m_flipsForWords = -1;
    QList<WireEntry> m_wireLog;
};

}  // namespace zendra::virtualwriter
