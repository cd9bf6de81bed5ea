#include "WriterModel.h"

#include <QRandomGenerator>

#include "core/Product.h"
#include "devices/Catalogue.h"

namespace zendra::virtualwriter {

namespace {

constexpr char kCr = '\r';
constexpr char kUnknown = '?';
constexpr quint8 kEsc = 0x1B;
constexpr quint8 kVendorAtmel = 0x1E;
constexpr int kUpdatePacketBytes = 4;

// Fuse defaults are the factory settings; SPIEN (always programmed in serial mode) is never writable.
constexpr ChipLayout kLayouts[] = {
    // ATtiny12L: BODLEVEL, BODEN, SPIEN, RSTDISBL, CKSEL3..0
    {.family = 0x90, .part = 0x05, .fuseLowDefault = 0xD2, .fuseLowWritable = 0xDF, .hasCalibration = true},
    // ATtiny15L: as ATtiny12L with CKSEL1..0 only
    {.family = 0x90, .part = 0x06, .fuseLowDefault = 0xDC, .fuseLowWritable = 0xD3, .hasCalibration = true},
    // ATtiny26L: low PLLCK, CKOPT, SUT1..0, CKSEL3..0; high 111, RSTDISBL, SPIEN, EESAVE, BODLEVEL, BODEN
    {.family = 0x91,
     .part = 0x09,
     .fuseLowDefault = 0xE1,
     .fuseLowWritable = 0xFF,
     .hasFuseHigh = true,
     .fuseHighDefault = 0xF7,
     .fuseHighWritable = 0x17,
     .lb1Bit = 0,
     .lb2Bit = 1,
     .hasCalibration = true,
     .eesaveMask = 0x04},
    // AT90S2323 (FSTRT), AT90S2343 (RCEN, shipped programmed), AT90S4434, AT90S8535 (FSTRT)
    {.family = 0x91, .part = 0x02, .fuseLowDefault = 0xDF, .fuseLowWritable = 0x01, .combinedLockFuse = true},
    {.family = 0x91, .part = 0x03, .fuseLowDefault = 0xDE, .fuseLowWritable = 0x01, .combinedLockFuse = true},
    {.family = 0x92, .part = 0x02, .fuseLowDefault = 0xDF, .fuseLowWritable = 0x01, .combinedLockFuse = true},
    {.family = 0x93, .part = 0x03, .fuseLowDefault = 0xDF, .fuseLowWritable = 0x01, .combinedLockFuse = true},
    // AT90S4433: 1, 1, SPIEN, BODLEVEL, BODEN, CKSEL2..0
    {.family = 0x92, .part = 0x03, .fuseLowDefault = 0xDA, .fuseLowWritable = 0x1F},
    // No fuses reachable in serial mode: AT90S1200, AT90S2313, AT90S4414, AT90S8515
    {.family = 0x90, .part = 0x01},
    {.family = 0x91, .part = 0x01},
    {.family = 0x92, .part = 0x01},
    {.family = 0x93, .part = 0x01},
};

QByteArray Bytes(std::initializer_list<quint8> values) {
    QByteArray out;
    for (quint8 v : values) out.append(static_cast<char>(v));
    return out;
}

quint8 At(const QByteArray& frame, int i) { return static_cast<quint8>(frame.at(i)); }

}  // namespace

const ChipLayout* LayoutForDevice(int deviceIndex) {
    if (deviceIndex < 0 || deviceIndex >= devices::kDeviceCount) return nullptr;
    const devices::Device& device = devices::DeviceTable()[deviceIndex];
    for (const ChipLayout& layout : kLayouts) {
        if (layout.family == device.family && layout.part == device.part) return &layout;
    }
    return nullptr;
}

std::optional<int> ParseChipChoice(const QString& text) {
    const QString choice = text.trimmed();
    bool isNumber = false;
    const int index = choice.toInt(&isNumber);
    if (isNumber) {
        if (index >= 0 && index < devices::kDeviceCount) return index;
        return std::nullopt;
    }
    if (auto exact = devices::FindDevice(choice)) return exact;
    // "AT90S1200" names both clock set-ups of one chip; the first entry stands for it.
    for (int i = 0; i < devices::kDeviceCount; ++i) {
        if (devices::DeviceTable()[i].Name().left(9).compare(choice, Qt::CaseInsensitive) == 0) return i;
    }
    return std::nullopt;
}

ChipState ChipState::Fresh(int deviceIndex) {
    ChipState chip;
    const ChipLayout* layout = LayoutForDevice(deviceIndex);
    if (!layout) {
        deviceIndex = 0;
        layout = LayoutForDevice(0);
    }
    const devices::Device& device = devices::DeviceTable()[deviceIndex];
    chip.deviceIndex = deviceIndex;
    chip.flash = QList<quint16>(device.flashWords, 0xFFFF);
    chip.eeprom = QByteArray(device.eepromBytes, static_cast<char>(0xFF));
    chip.fuseLow = layout->fuseLowDefault;
    chip.fuseHigh = layout->fuseHighDefault;
    return chip;
}

bool ChipState::IsConsistent() const {
    if (!LayoutForDevice(deviceIndex)) return false;
    const devices::Device& device = devices::DeviceTable()[deviceIndex];
    return flash.size() == device.flashWords && eeprom.size() == device.eepromBytes;
}

WriterModel::WriterModel(WriterOptions options) : m_options(std::move(options)) {
    if (!LayoutForDevice(m_options.deviceIndex)) m_options.deviceIndex = 0;
    m_chip = ChipState::Fresh(m_options.deviceIndex);
    if (m_options.locked) m_chip.lock &= static_cast<quint8>(~(1u << Layout().lb1Bit));
}

bool WriterModel::LoadChip(const ChipState& chip) {
    if (!chip.IsConsistent()) return false;
    m_chip = chip;
    m_options.deviceIndex = chip.deviceIndex;
    return true;
}

QByteArray WriterModel::Identification(const QString& version) {
    return (core::kWriterIdPrefix + version).toLatin1() + "\r\n";
}

QList<WireEntry> WriterModel::TakeWireLog() {
    QList<WireEntry> out;
    out.swap(m_wireLog);
    return out;
}

void WriterModel::Log(bool fromHost, const QByteArray& bytes) {
    if (bytes.isEmpty()) return;
    if (!m_wireLog.isEmpty() && m_wireLog.last().fromHost == fromHost) {
        m_wireLog.last().bytes += bytes;
    } else {
        m_wireLog.append({fromHost, bytes});
    }
}

QByteArray WriterModel::Feed(const QByteArray& bytes) {
    QByteArray replies;
    for (char b : bytes) replies += FeedByte(static_cast<quint8>(b));
    return replies;
}

int WriterModel::ParameterCount(quint8 letter) const {
    switch (m_mode) {
        case Mode::Base:
            // The base set has no multi-byte commands: stray parameter bytes are answered one by one.
            return 0;
        case Mode::Update:
            return kUpdatePacketBytes - 1;
        case Mode::Avr:
            switch (letter) {
                case 'T':
                case 'a':
                case 'W':
                    return 2;
                case 'c':
                case 'C':
                case 'D':
                case 'f':
                case 'u':
                case 'l':
                    return 1;
                case ';':
                    return 4;
                case ':':
                    return 3;
                default:
                    return 0;
            }
    }
    return 0;
}

QByteArray WriterModel::FeedByte(quint8 byte) {
    Log(true, QByteArray(1, static_cast<char>(byte)));
    m_frame.append(static_cast<char>(byte));
    if (m_frame.size() < 1 + ParameterCount(At(m_frame, 0))) return {};

    QByteArray frame;
    frame.swap(m_frame);
    ++m_commands;
    // A hung writer: it neither answers nor acts any more.
    if (m_options.silentAfter && m_commands > *m_options.silentAfter) return {};
    QByteArray reply = Execute(frame);
    if (m_options.wrongFrom && m_commands >= *m_options.wrongFrom) reply = Corrupt(reply);
    Log(false, reply);
    return reply;
}

QByteArray WriterModel::Corrupt(const QByteArray& reply) {
    if (reply == QByteArray(1, kCr)) return QByteArray(1, kUnknown);
    QByteArray out = reply;
    for (char& b : out) b = static_cast<char>(~static_cast<quint8>(b));
    return out;
}

QByteArray WriterModel::Execute(const QByteArray& frame) {
    switch (m_mode) {
        case Mode::Base:
            return ExecuteBase(At(frame, 0));
        case Mode::Avr:
            return ExecuteAvr(frame);
        case Mode::Update:
            return ExecuteUpdate(frame);
    }
    return {};
}

QByteArray WriterModel::ExecuteBase(quint8 letter) {
    switch (letter) {
        case '?':
            return Identification(m_options.firmwareVersion);
        case 'A':
            m_mode = Mode::Avr;
            return QByteArray(1, kCr);
        case 'U':
            m_mode = Mode::Update;
            m_incomingFirmware.clear();
            return {};
        case kEsc:
            return {};
        default:
            return QByteArray(1, kUnknown);
    }
}

QByteArray WriterModel::ExecuteAvr(const QByteArray& frame) {
    const quint8 letter = At(frame, 0);
    switch (letter) {
        case '?':
            return Identification(m_options.firmwareVersion);
        case kEsc:
            m_mode = Mode::Base;
            m_programming = false;
            return {};
        case 'A':
            return QByteArray(1, kCr);
        case 'T': {
            const quint8 code = At(frame, 1);
            for (const devices::Device& device : devices::DeviceTable()) {
                if (device.code == code) {
                    m_selectedCode = code;
                    return QByteArray(1, kCr);
                }
            }
            return QByteArray(1, kUnknown);
        }
        case 'P':
            m_programming = true;
            return QByteArray(1, kCr);
        case 'L':
            m_programming = false;
            return QByteArray(1, kCr);
        default:
            return ExecuteChipCommand(frame);
    }
}

QByteArray WriterModel::ExecuteUpdate(const QByteArray& frame) {
    if (frame == QByteArray(kUpdatePacketBytes, static_cast<char>(0xFF))) {
        m_mode = Mode::Base;
        m_chip.firmware = m_incomingFirmware;
        m_incomingFirmware.clear();
        ++m_completedUpdates;
        return {};
    }
    quint8 sum = 0;
    for (char b : frame) sum = static_cast<quint8>(sum + static_cast<quint8>(b));
    const quint16 address = static_cast<quint16>(At(frame, 0) << 8 | At(frame, 1));
    m_incomingFirmware.insert(address, static_cast<quint16>(At(frame, 2) << 8 | At(frame, 3)));
    return QByteArray(1, static_cast<char>(sum));
}

const ChipLayout& WriterModel::Layout() const { return *LayoutForDevice(m_chip.deviceIndex); }

bool WriterModel::ChipAnswers() const {
    return !m_options.emptySocket && (m_chip.lock & (1u << Layout().lb1Bit)) != 0;
}

bool WriterModel::ChipWritable() const { return ChipAnswers(); }

quint16 WriterModel::AddressSeen() const {
    if (!m_options.stuckAddressBit) return m_address;
    return static_cast<quint16>(m_address & ~(1u << *m_options.stuckAddressBit));
}

int WriterModel::FlashIndex() const { return AddressSeen() % m_chip.flash.size(); }

int WriterModel::EepromIndex() const { return AddressSeen() % m_chip.eeprom.size(); }

bool WriterModel::TakesWrites() const { return ChipWritable() && !m_options.ignoreWrites; }

quint16 WriterModel::FlashWordRead(int index) {
    quint16 word = m_chip.flash[index];
    if (m_options.stuckDataBit) word &= static_cast<quint16>(~(0x0101u << *m_options.stuckDataBit));
    if (m_options.flippedBits > 0) {
        if (m_flipsForWords != m_chip.flash.size()) {
            m_flips.clear();
            QRandomGenerator picks(m_options.flipSeed);
            const int count = std::min<int>(m_options.flippedBits, int(m_chip.flash.size()));
            while (m_flips.size() < count)
                m_flips.insert(int(picks.bounded(quint32(m_chip.flash.size()))), quint16(1u << picks.bounded(16u)));
            m_flipsForWords = m_chip.flash.size();
        }
        word ^= m_flips.value(index, 0);
    }
    return word;
}

quint8 WriterModel::EepromByteRead(int index) const {
    const auto byte = static_cast<quint8>(m_chip.eeprom[index]);
    if (!m_options.stuckDataBit) return byte;
    return static_cast<quint8>(byte & ~(1u << *m_options.stuckDataBit));
}

void WriterModel::ChipErase() {
    if (m_options.eraseFails) return;
    m_chip.flash.fill(0xFFFF);
    const ChipLayout& layout = Layout();
    const bool keepEeprom = layout.eesaveMask != 0 && (m_chip.fuseHigh & layout.eesaveMask) == 0;
    if (!keepEeprom) m_chip.eeprom.fill(static_cast<char>(0xFF));
    m_chip.lock = 0xFF;
}

quint8 WriterModel::LockFuseByte() const {
    const ChipLayout& layout = Layout();
    const bool lb1 = m_chip.lock & (1u << layout.lb1Bit);
    const bool lb2 = m_chip.lock & (1u << layout.lb2Bit);
    // Bit 5 is SPIEN (programmed); bits 4..1 read as ones.
    return static_cast<quint8>((lb1 ? 0x80 : 0) | (lb2 ? 0x40 : 0) | 0x1E | (m_chip.fuseLow & 0x01));
}

QByteArray WriterModel::ExecuteChipCommand(const QByteArray& frame) {
    const quint8 letter = At(frame, 0);
    const QByteArray cr(1, kCr);
    // Outside programming mode the writer still answers with the usual length, but the chip is not reached.
    const bool reach = m_programming;
    const bool seated = reach && !m_options.emptySocket;
    const ChipLayout& layout = Layout();
    const auto programLock = [&](quint8 value) {
        m_chip.lock &= static_cast<quint8>(value | ~layout.LockMask());
    };

    switch (letter) {
        case 's': {
            if (!seated) return Bytes({0xFF, 0xFF, 0xFF});
            // A read-protected chip scrambles its signature this way.
            if (!ChipAnswers()) return Bytes({0x02, 0x01, 0x00});
            const devices::Device& device = devices::DeviceTable()[m_chip.deviceIndex];
            return Bytes({device.part, device.family, kVendorAtmel});
        }
        case 'e':
            if (seated) ChipErase();
            return cr;
        case 'a':
            if (reach) m_address = static_cast<quint16>(At(frame, 1) << 8 | At(frame, 2));
            return cr;
        case 'c':
            if (reach && TakesWrites())
                m_chip.flash[FlashIndex()] &= static_cast<quint16>(0xFF00 | At(frame, 1));
            return cr;
        case 'C':
            if (!reach) return cr;
            if (TakesWrites())
                m_chip.flash[FlashIndex()] &= static_cast<quint16>(At(frame, 1) << 8 | 0x00FF);
            ++m_address;
            return cr;
        case 'W':
            if (!reach) return cr;
            if (TakesWrites())
                m_chip.flash[FlashIndex()] &= static_cast<quint16>(At(frame, 2) << 8 | At(frame, 1));
            ++m_address;
            return cr;
        case 'R': {
            if (!reach) return Bytes({0xFF, 0xFF});
            const quint16 word = ChipAnswers() ? FlashWordRead(FlashIndex()) : 0xFFFF;
            ++m_address;
            return Bytes({static_cast<quint8>(word >> 8), static_cast<quint8>(word & 0xFF)});
        }
        case 'd':
            if (!reach || !ChipAnswers()) return Bytes({0xFF});
            return Bytes({EepromByteRead(EepromIndex())});
        case 'D':
            // EEPROM bytes erase themselves before each write.
            if (reach && TakesWrites()) m_chip.eeprom[EepromIndex()] = frame.at(1);
            return cr;
        case 'f':
        case 'u':
            if (seated) {
                m_chip.fuseLow = static_cast<quint8>((m_chip.fuseLow & ~layout.fuseLowWritable) |
                                                     (At(frame, 1) & layout.fuseLowWritable));
            }
            return cr;
        case 'l':
            if (seated) programLock(At(frame, 1));
            return cr;
        case ';':
            if (seated && At(frame, 1) == 0xAC && At(frame, 2) == 0xA8 && layout.hasFuseHigh) {
                m_chip.fuseHigh = static_cast<quint8>((m_chip.fuseHigh & ~layout.fuseHighWritable) |
                                                      (At(frame, 4) & layout.fuseHighWritable));
            } else if (seated && At(frame, 1) == 0xAC && At(frame, 2) == 0xE0) {
                programLock(At(frame, 4));
            }
            return cr;
        case ':':
            if (seated && At(frame, 1) == 0x58 && At(frame, 2) == 0x08 && layout.hasFuseHigh) {
                return Bytes({m_chip.fuseHigh});
            }
            return Bytes({0xFF});
        case 'F':
            if (!seated) return Bytes({0xFF});
            return Bytes({layout.combinedLockFuse ? LockFuseByte() : m_chip.lock});
        case 'r':
            return Bytes({seated ? m_chip.fuseLow : quint8{0xFF}});
        case 'o':
            return Bytes({seated && layout.hasCalibration ? m_chip.calibration : quint8{0xFF}});
        default:
            return QByteArray(1, kUnknown);
    }
}

}  // namespace zendra::virtualwriter
