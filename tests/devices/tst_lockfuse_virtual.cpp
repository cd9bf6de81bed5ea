// Lock/fuse writes and reads through the whole writer protocol against the virtual writer's chip model:
// what a write leaves in the chip, and that a read of it brings the same choices back to the panel.

#include <QtTest>

#include "FakeTiming.h"
#include "MemorySettings.h"
#include "RecordingUi.h"
#include "VirtualWriterPort.h"
#include "WriterModel.h"
#include "devices/Catalogue.h"
#include "devices/Encodings.h"
#include "devices/LockFuse.h"
#include "link/PortMap.h"

using namespace zendra;
using namespace zendra::devices;
using core::PanelControl;

namespace {

PanelControl ControlNamed(const QString& name) {
    for (int i = 0; i < core::kPanelControlCount; ++i)
        if (test::PanelControlName(PanelControl(i)) == name) return PanelControl(i);
    qFatal("unknown control %s", qPrintable(name));
}

QList<QPair<PanelControl, int>> ParseIndexes(const QString& text) {
    QList<QPair<PanelControl, int>> pairs;
    for (const QString& item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList kv = item.split(QLatin1Char('='));
        pairs.append({ControlNamed(kv.at(0)), kv.at(1).toInt()});
    }
    return pairs;
}

struct VirtualBench {
    test::FakeTiming timing;
    virtualwriter::WriterModel model;
    virtualwriter::VirtualWriterPort port{model, timing};
    test::RecordingUi ui;
    test::MemorySettings settings;
    link::PortMap ports{settings, [] {
                            return QList<link::DetectedPort>{{QStringLiteral("/dev/virtual0"), {}}};
                        }};
    core::SharedState state;
    link::LinkContext ctx{port, timing, ui, state, settings, ports};

    explicit VirtualBench(int deviceIndex) : model(Options(deviceIndex)) {
        settings.Write(QStringLiteral("Settings"), QStringLiteral("ComNox"), QStringLiteral("1"));
        Select(DeviceNames().at(deviceIndex));
    }
    static virtualwriter::WriterOptions Options(int deviceIndex) {
        virtualwriter::WriterOptions options;
        options.deviceIndex = deviceIndex;
        return options;
    }
    void Select(const QString& name) {
        ui.deviceText = name;
        SetDeviceParameters(ui, state);
    }
    void Apply(const QString& indexes) {
        for (const auto& [control, index] : ParseIndexes(indexes)) ui.SetPanelIndex(control, index);
    }
};

}  // namespace

class LockFuseVirtualTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writeThenRead_data();
    void writeThenRead();
    void lockWrites_data();
    void lockWrites();
};

void LockFuseVirtualTest::writeThenRead_data() {
    QTest::addColumn<int>("device");
    QTest::addColumn<QString>("choices");
    QTest::addColumn<int>("fuseBits");  // the chip's fuse byte after the write, masked to the fields
    QTest::addColumn<int>("fuseMask");

    QTest::newRow("ATtiny12L") << 0 << "CKSEL=5 RSTDISABL=1 BODEN=0 BODLEVEL=0" << 0x15 << 0xDF;
    QTest::newRow("ATtiny15L CKSEL 00") << 1 << "CKSEL=0 RSTDISABL=1 BODEN=0 BODLEVEL=1" << 0x90 << 0xD3;
    QTest::newRow("ATtiny15L CKSEL 01") << 1 << "CKSEL=1 RSTDISABL=1 BODEN=1 BODLEVEL=0" << 0x51 << 0xD3;
    QTest::newRow("ATtiny26L") << 2 << "CKSEL=4 SUT=1 CKOPT=0 PLLCK=0 BODEN=0 BODLEVEL=0 EESAVE=0 RSTDISABL=1"
                               << 0x14 << 0xFF;
    QTest::newRow("AT90S2323") << 3 << "FSTRT=1" << 0x01 << 0x01;
    QTest::newRow("AT90S2343") << 4 << "RCEN=1" << 0x01 << 0x01;
    QTest::newRow("AT90S4433") << 8 << "CKSEL=5 BODEN=0 BODLEVEL=0" << 0x05 << 0x1F;
    QTest::newRow("AT90S4434") << 10 << "FSTRT=1" << 0x01 << 0x01;
    QTest::newRow("AT90S8535") << 12 << "FSTRT=1" << 0x01 << 0x01;
}

void LockFuseVirtualTest::writeThenRead() {
    QFETCH(int, device);
    QFETCH(QString, choices);
    QFETCH(int, fuseBits);
    QFETCH(int, fuseMask);

    VirtualBench bench(device);
    bench.Apply(choices);
    FuseWrite(bench.ctx);
    QCOMPARE(bench.ui.panels[1], kFuseWriteDone);
    QCOMPARE(bench.model.Chip().fuseLow & fuseMask, fuseBits);
    QVERIFY(!bench.model.InProgrammingMode());

    // A fresh panel, then a read of what was written.
    bench.Select(DeviceNames().at(device));
    FuseRead(bench.ctx);
    QCOMPARE(bench.ui.panels[1], kFuseReadDone);
    for (const auto& [control, index] : ParseIndexes(choices))
        QVERIFY2(bench.ui.controls.value(control).index == index,
                 qPrintable(test::PanelControlName(control)));
    QCOMPARE(bench.ui.controls.value(PanelControl::LockBit).index, kLockNone);
    if (DeviceTable()[device].profile.calibration)
        QCOMPARE(bench.ui.calibrationText, CalibrationText(bench.model.Chip().calibration));
}

void LockFuseVirtualTest::lockWrites_data() {
    QTest::addColumn<int>("device");
    QTest::addColumn<int>("lockIndex");
    for (int device = 0; device < kDeviceCount; ++device) {
        for (int lockIndex : {kLockProtectAll, kLockProtectWrite}) {
            const QByteArray name =
                QStringLiteral("%1 lock %2").arg(DeviceNames().at(device)).arg(lockIndex).toUtf8();
            QTest::newRow(name.constData()) << device << lockIndex;
        }
    }
}

// Every device's lock write programs LB1, and LB2 only for the full protection, in its own layout.
void LockFuseVirtualTest::lockWrites() {
    QFETCH(int, device);
    QFETCH(int, lockIndex);

    VirtualBench bench(device);
    bench.ui.SetPanelIndex(PanelControl::LockBit, lockIndex);
    FuseWrite(bench.ctx);
    QCOMPARE(bench.ui.panels[1], kFuseWriteDone);

    const auto* layout = virtualwriter::LayoutForDevice(device);
    QVERIFY(layout);
    const quint8 lock = bench.model.Chip().lock;
    QCOMPARE((lock >> layout->lb1Bit) & 1, 0);
    QCOMPARE((lock >> layout->lb2Bit) & 1, lockIndex == kLockProtectAll ? 0 : 1);
}

QTEST_GUILESS_MAIN(LockFuseVirtualTest)
#include "tst_lockfuse_virtual.moc"
