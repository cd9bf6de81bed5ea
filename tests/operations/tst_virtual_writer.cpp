// The chip operations against the virtual writer: in-process for every catalogue device, and once through
// the real serial adapter over kxwrt-sim's pseudo-terminal.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "FakeTiming.h"
#include "MemorySettings.h"
#include "RecordingUi.h"
#include "VirtualWriterPort.h"
#include "WriterModel.h"
#include "devices/Catalogue.h"
#include "link/QtSerialPortAdapter.h"
#include "operations/Flows.h"
#include "operations/Texts.h"

using namespace zendra;
using namespace zendra::test;
namespace text = zendra::operations::text;

namespace {

const QString kPortPath = QStringLiteral("/dev/ttyVIRTUAL0");

// A full image with some erased cells among the data, so skipped EEPROM bytes and 0xFF words occur.
void FillImages(image::MemoryImages& images, const devices::Device& d, quint32 seed) {
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        const quint8 v = static_cast<quint8>(seed >> 16);
        return v < 0x20 ? quint8(0xFF) : v;
    };
    for (int i = 0; i < 2 * d.flashWords; ++i) images.ProgramImage[i] = next();
    for (int a = 0; a < d.eepromBytes; ++a) images.EepromImage[a] = next();
    images.ProgramImage[2 * d.flashWords - 1] = 0x00;  // the last word is in use
}

struct Host {
    Host(link::SerialPort& port, core::Timing& timing, const devices::Device& d, const QString& path)
        : ports(settings,
                [path] {
                    return QList<link::DetectedPort>{{path, QString()}};
                }),
          link{port, timing, ui, state, settings, ports} {
        settings.values.insert(QStringLiteral("Settings/ComNox"), QStringLiteral("1"));
        state.DeviceCode = d.code;
        state.ProgramMemoryWords = d.flashWords;
        state.EepromBytes = d.eepromBytes;
        state.AppDir = state.ScratchDir = scratch.path() + QLatin1Char('/');
        ui.deviceText = d.Name();
    }
    QTemporaryDir scratch;
    RecordingUi ui;
    core::SharedState state;
    MemorySettings settings;
    link::PortMap ports;
    link::LinkContext link;
    image::MemoryImages images;
    operations::OperationContext ctx{link, images};
};

void ExpectChipHoldsImage(const virtualwriter::ChipState& chip, const image::MemoryImages& images,
                          const devices::Device& d) {
    for (int w = 0; w < d.flashWords; ++w) {
        const quint16 expected =
            static_cast<quint16>(images.ProgramImage[2 * w] << 8 | images.ProgramImage[2 * w + 1]);
        QCOMPARE(chip.flash.at(w), expected);
    }
    for (int a = 0; a < d.eepromBytes; ++a)
        QCOMPARE(static_cast<quint8>(chip.eeprom.at(a)), images.EepromImage[a]);
}

}  // namespace

class VirtualWriterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void programThenVerifyEveryDevice_data() {
        QTest::addColumn<int>("deviceIndex");
        for (int i = 0; i < devices::kDeviceCount; ++i) QTest::newRow(devices::DeviceTable()[i].name) << i;
    }
    void programThenVerifyEveryDevice() {
        QFETCH(int, deviceIndex);
        const auto& d = devices::DeviceTable()[deviceIndex];
        virtualwriter::WriterOptions options;
        options.deviceIndex = deviceIndex;
        virtualwriter::WriterModel model(options);
        // Old content on the chip: only the erase before the writes makes the result equal the image.
        virtualwriter::ChipState old = model.Chip();
        for (auto& word : old.flash) word = 0x5AA5;
        QVERIFY(model.LoadChip(old));
        FakeTiming timing;
        virtualwriter::VirtualWriterPort port(model, timing);
        Host host(port, timing, d, kPortPath);
        FillImages(host.images, d, 7u + deviceIndex);

        operations::ProgramCommand(host.ctx);

        ExpectChipHoldsImage(model.Chip(), host.images, d);
        QVERIFY(host.ui.calls.contains("status 1 " + text::kVerdictAllOkStatus));
        QVERIFY(host.ui.panels[5].endsWith(text::kSecondsSuffix));

        host.ui.calls.clear();
        operations::VerifyCommand(host.ctx);
        QVERIFY(host.ui.calls.contains("status 1 " + text::kVerdictAllOkStatus));
        QCOMPARE(host.ui.panels[1], text::kVerifyCommandDone);
        QCOMPARE(host.ui.verifyWindowShows, 0);
    }

    void programVerifyReadOverPseudoTerminal() {
        const QString sim = QStringLiteral(ZENDRA_BUILD_DIR "/kxwrt-sim");
        if (!QFile::exists(sim)) QSKIP("kxwrt-sim is not built");
        QProcess process;
        process.start(sim, {QStringLiteral("--chip"), QStringLiteral("ATtiny12L")});
        QVERIFY(process.waitForStarted());
        QVERIFY(process.waitForReadyRead(5000));
        const QString terminal = QString::fromLocal8Bit(process.readLine()).trimmed();
        QVERIFY(!terminal.isEmpty());

        const auto& d = devices::DeviceTable()[*devices::FindDevice(QStringLiteral("ATtiny12L"))];
        core::SystemTiming timing;
        link::QtSerialPortAdapter port;
        Host host(port, timing, d, terminal);
        host.images.ProgramImage.fill(0xFF);
        for (int i = 0; i < 64; ++i) host.images.ProgramImage[i] = static_cast<quint8>(0x10 + i);
        host.images.EepromImage[9] = 0x99;

        operations::ProgramCommand(host.ctx);
        QVERIFY2(host.ui.calls.contains("status 1 " + text::kVerdictAllOkStatus),
                 qPrintable(host.ui.panels[1]));

        image::MemoryImages programmed = host.images;
        host.images.ProgramImage.fill(0x00);
        host.images.EepromImage.fill(0x00);
        operations::ReadDevice(host.ctx);
        QCOMPARE(host.state.ErrorFlag, qint16(0));
        for (int i = 0; i < 2 * d.flashWords; ++i)
            QCOMPARE(host.images.ProgramImage[i], programmed.ProgramImage[i]);
        for (int a = 0; a < d.eepromBytes; ++a)
            QCOMPARE(host.images.EepromImage[a], programmed.EepromImage[a]);

        port.Close();
        process.terminate();
        QVERIFY(process.waitForFinished(5000));
    }
};

QTEST_GUILESS_MAIN(VirtualWriterTest)
#include "tst_virtual_writer.moc"
