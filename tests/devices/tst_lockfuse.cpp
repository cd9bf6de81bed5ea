// The lock/fuse panel logic against a scripted writer: the panel each selection builds, the exact
// cycle frames of every read and write, what a read shows, and how failures end.

#include <QtTest>

#include "FakeTiming.h"
#include "FakeWriter.h"
#include "MemorySettings.h"
#include "RecordingUi.h"
#include "ScriptedPort.h"
#include "devices/Encodings.h"
#include "devices/LockFuse.h"
#include "link/PortMap.h"

using namespace zendra;
using namespace zendra::devices;
using core::PanelControl;

namespace {

const QStringList kAllControls{"CKSEL",  "SUT",   "BODEN", "BODLEVEL", "RSTDISABL",
                               "EESAVE", "CKOPT", "PLLCK", "FSTRT",    "RCEN"};

PanelControl ControlNamed(const QString& name) {
    for (int i = 0; i < core::kPanelControlCount; ++i)
        if (test::PanelControlName(PanelControl(i)) == name) return PanelControl(i);
    qFatal("unknown control %s", qPrintable(name));
}

// "CKSEL=2 LockBit=0" -> pairs
QList<QPair<PanelControl, int>> ParseIndexes(const QString& text) {
    QList<QPair<PanelControl, int>> pairs;
    for (const QString& item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList kv = item.split(QLatin1Char('='));
        pairs.append({ControlNamed(kv.at(0)), kv.at(1).toInt()});
    }
    return pairs;
}

struct Bench {
    test::FakeTiming timing;
    test::ScriptedPort port{timing};
    test::RecordingUi ui;
    test::MemorySettings settings;
    link::PortMap ports{settings, [] {
                            return QList<link::DetectedPort>{{QStringLiteral("/dev/fake0"), {}}};
                        }};
    core::SharedState state;
    link::LinkContext ctx{port, timing, ui, state, settings, ports};
    test::FakeWriter writer;

    explicit Bench(const QString& device) {
        settings.Write(QStringLiteral("Settings"), QStringLiteral("ComNox"), QStringLiteral("1"));
        writer.Attach(port);
        Select(device);
        // The chip in the socket is the selected one unless a test says otherwise.
        if (const auto row = FindDevice(device)) {
            writer.family = DeviceTable()[*row].family;
            writer.part = DeviceTable()[*row].part;
        }
    }
    void Select(const QString& device) {
        ui.deviceText = device;
        SetDeviceParameters(ui, state);
        ui.calls.clear();
    }
    void Apply(const QString& indexes) {
        for (const auto& [control, index] : ParseIndexes(indexes)) ui.SetPanelIndex(control, index);
        ui.calls.clear();
    }
    // The frames after the communication check (which ends with 'T' and ESC).
    QStringList OperationFrames() const {
        const QStringList& f = writer.frames;
        for (int i = 0; i < f.size(); ++i)
            if (f.at(i).startsWith(QLatin1Char('T'))) return f.mid(i + 2);
        return {};
    }
    int Index(PanelControl control) const { return ui.controls.value(control).index; }
    int Warnings() const { return int(ui.calls.count(QStringLiteral("message 1 ") + kResetDisableWarning)); }
};

const QString kCheck = QStringLiteral("A P s L");

// "A P u D2 L" -> "A", "P", "u D2", "L": parameter bytes join the letter that takes them.
QStringList Frames(const QString& spaced) {
    static const QHash<QString, int> parameterBytes{{"T", 2}, {"f", 1}, {"u", 1},
                                                    {"l", 1}, {";", 4}, {":", 3}};
    QStringList frames;
    int pending = 0;
    for (const QString& token : spaced.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (pending > 0) {
            frames.last() += QLatin1Char(' ') + token;
            --pending;
        } else {
            frames << token;
            pending = parameterBytes.value(token);
        }
    }
    return frames;
}

}  // namespace

class LockFuseTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void selectionProfile_data();
    void selectionProfile();
    void emptySelectorChangesNothing();
    void reselectingRestoresDefaults();
    void resetWarning_data();
    void resetWarning();
    void readSequences_data();
    void readSequences();
    void writeSequences_data();
    void writeSequences();
    void cycleFailures_data();
    void cycleFailures();
    void deviceCheckFailures_data();
    void deviceCheckFailures();
    void readRaisesResetWarning_data();
    void readRaisesResetWarning();
};

void LockFuseTest::selectionProfile_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("index");  // selector position, the value the settings keep
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("flashWords");
    QTest::addColumn<int>("eepromBytes");
    QTest::addColumn<QString>("active");  // controls filled with choices; the rest show "-"
    QTest::addColumn<QString>("calibration");
    QTest::addColumn<bool>("lockVisible");
    QTest::addColumn<bool>("readEnabled");
    QTest::addColumn<bool>("writeEnabled");

    const QString tiny = QStringLiteral("CKSEL BODEN BODLEVEL RSTDISABL");
    QTest::newRow("ATtiny12L") << "ATtiny12L" << 0 << 0x55 << 512 << 64 << tiny << "?" << true << true
                               << true;
    QTest::newRow("ATtiny15L") << "ATtiny15L" << 1 << 0x56 << 512 << 64 << tiny << "?" << true << true
                               << true;
    QTest::newRow("ATtiny26L") << "ATtiny26L" << 2 << 0x59 << 1024 << 128
                               << "CKSEL SUT BODEN BODLEVEL RSTDISABL EESAVE CKOPT PLLCK"
                               << "?" << true << true << true;
    QTest::newRow("AT90S2323") << "AT90S2323" << 3 << 0x48 << 1024 << 128 << "FSTRT"
                               << "-" << true << true << true;
    QTest::newRow("AT90S2343") << "AT90S2343" << 4 << 0x4C << 1024 << 128 << "RCEN"
                               << "-" << true << true << true;
    QTest::newRow("AT90S1200") << "AT90S1200 (外部ｸﾛｯｸ)" << 5 << 0x13 << 512 << 64 << ""
                               << "-" << true << false << true;
    QTest::newRow("AT90S1200A") << "AT90S1200A(内部RCｸﾛｯｸ1MHz)" << 6 << 0x13 << 512 << 64 << ""
                                << "-" << true << false << true;
    QTest::newRow("AT90S2313") << "AT90S2313" << 7 << 0x20 << 1024 << 128 << ""
                               << "-" << true << false << true;
    QTest::newRow("AT90S4433") << "AT90S4433" << 8 << 0x30 << 2048 << 256 << "CKSEL BODEN BODLEVEL"
                               << "-" << true << true << true;
    QTest::newRow("AT90S4414") << "AT90S4414" << 9 << 0x28 << 2048 << 256 << ""
                               << "-" << true << false << true;
    QTest::newRow("AT90S4434") << "AT90S4434" << 10 << 0x6C << 2048 << 256 << "FSTRT"
                               << "-" << true << true << true;
    QTest::newRow("AT90S8515") << "AT90S8515" << 11 << 0x38 << 4096 << 512 << ""
                               << "-" << true << false << true;
    QTest::newRow("AT90S8535") << "AT90S8535" << 12 << 0x68 << 4096 << 512 << "FSTRT"
                               << "-" << true << true << true;
    QTest::newRow("no match") << "AT90S9999" << -1 << 0 << 0 << 0 << ""
                              << "-" << false << false << false;
}

void LockFuseTest::selectionProfile() {
    QFETCH(QString, device);
    QFETCH(int, index);
    QFETCH(int, code);
    QFETCH(int, flashWords);
    QFETCH(int, eepromBytes);
    QFETCH(QString, active);
    QFETCH(QString, calibration);
    QFETCH(bool, lockVisible);
    QFETCH(bool, readEnabled);
    QFETCH(bool, writeEnabled);

    test::RecordingUi ui;
    core::SharedState state;
    state.DeviceCode = 0x77;  // what an earlier selection left
    state.ProgramMemoryWords = 99;
    state.EepromBytes = 99;
    ui.deviceText = device;
    SetDeviceParameters(ui, state);

    QCOMPARE(FindDevice(device).value_or(-1), index);
    if (index >= 0) QCOMPARE(DeviceNames().at(index), device);
    QCOMPARE(int(state.DeviceCode), code);
    QCOMPARE(state.ProgramMemoryWords, flashWords);
    QCOMPARE(state.EepromBytes, eepromBytes);

    const QStringList activeControls = active.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& name : kAllControls) {
        const auto control = ui.controls.value(ControlNamed(name));
        if (activeControls.contains(name)) {
            const auto choices = ActiveChoices(ControlNamed(name), device);
            QVERIFY2(control.enabled, qPrintable(name));
            QCOMPARE(control.entries, choices->entries);
            QCOMPARE(control.index, choices->defaultIndex);
        } else {
            QVERIFY2(!control.enabled, qPrintable(name));
            QCOMPARE(control.entries, QStringList{QStringLiteral("-")});
            QCOMPARE(control.index, 0);
        }
    }
    const auto lock = ui.controls.value(PanelControl::LockBit);
    QCOMPARE(lock.entries.size(), 3);
    QCOMPARE(lock.index, 2);
    QCOMPARE(ui.calibrationText, calibration);
    QCOMPARE(ui.lockVisible, lockVisible);
    QCOMPARE(ui.readEnabled, readEnabled);
    QCOMPARE(ui.writeEnabled, writeEnabled);

    // The frame is hidden while rebuilding and the fillers run in their fixed order.
    QStringList order;
    for (const QString& call : ui.calls) {
        if (call.startsWith(QLatin1String("fill ")))
            order << call.section(QLatin1Char(' '), 1, 1);
        else if (call.startsWith(QLatin1String("calib ")))
            order << QStringLiteral("calib");
        else if (call.startsWith(QLatin1String("fuseframe")))
            order << call;
    }
    QCOMPARE(
        order.join(QLatin1Char(' ')),
        QStringLiteral("fuseframe 0 FSTRT RCEN RSTDISABL BODEN BODLEVEL CKSEL calib LockBit EESAVE PLLCK "
                       "CKOPT SUT fuseframe 1"));
}

void LockFuseTest::emptySelectorChangesNothing() {
    test::RecordingUi ui;
    core::SharedState state;
    state.DeviceCode = 0x59;
    state.ProgramMemoryWords = 1024;
    state.EepromBytes = 128;
    ui.deviceText.clear();
    SetDeviceParameters(ui, state);
    QVERIFY(ui.calls.isEmpty());
    QCOMPARE(int(state.DeviceCode), 0x59);
    QCOMPARE(state.ProgramMemoryWords, 1024);
    QCOMPARE(state.EepromBytes, 128);
}

void LockFuseTest::reselectingRestoresDefaults() {
    Bench bench(QStringLiteral("ATtiny26L"));
    bench.Apply(
        QStringLiteral("CKSEL=9 SUT=0 BODEN=0 BODLEVEL=0 RSTDISABL=0 EESAVE=0 CKOPT=0 PLLCK=0 LockBit=0"));
    bench.ui.SetCalibrationText(QStringLiteral("5A"));
    bench.Select(QStringLiteral("ATtiny26L"));
    const QString defaults =
        QStringLiteral("CKSEL=1 SUT=2 BODEN=1 BODLEVEL=1 RSTDISABL=1 EESAVE=1 CKOPT=1 PLLCK=1 LockBit=2");
    for (const auto& [control, index] : ParseIndexes(defaults)) QCOMPARE(bench.Index(control), index);
    QCOMPARE(bench.ui.calibrationText, QStringLiteral("?"));
}

void LockFuseTest::resetWarning_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("warned");
    QTest::newRow("ATtiny12L PB5:I/O") << "ATtiny12L" << 0 << true;
    QTest::newRow("ATtiny15L PB5:I/O") << "ATtiny15L" << 0 << true;
    QTest::newRow("ATtiny26L PB7:I/O") << "ATtiny26L" << 0 << true;
    QTest::newRow("ATtiny12L PB5:Reset") << "ATtiny12L" << 1 << false;
    QTest::newRow("ATtiny26L PB7:Reset") << "ATtiny26L" << 1 << false;
    QTest::newRow("AT90S4433 inactive") << "AT90S4433" << 0 << false;
    QTest::newRow("AT90S2323 inactive") << "AT90S2323" << 0 << false;
}

void LockFuseTest::resetWarning() {
    QFETCH(QString, device);
    QFETCH(int, index);
    QFETCH(bool, warned);
    Bench bench(device);
    bench.ui.SetPanelIndex(PanelControl::RSTDISABL, index);
    frmMain_Combo_RSTDISABL_Click(bench.ui);
    QCOMPARE(bench.Warnings(), warned ? 1 : 0);
    if (warned) QVERIFY(bench.ui.messageOkVisible);
    // The warning informs; the choice stays.
    QCOMPARE(bench.Index(PanelControl::RSTDISABL), index);
}

void LockFuseTest::readSequences_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("fuseLow");
    QTest::addColumn<int>("fuseHigh");
    QTest::addColumn<int>("lock");
    QTest::addColumn<int>("calibration");
    QTest::addColumn<QString>("before");  // panel indexes set before the read
    QTest::addColumn<QString>("frames");
    QTest::addColumn<QString>("after");  // panel indexes expected after it
    QTest::addColumn<QString>("calibText");

    QTest::newRow("ATtiny12L 0x12, lock FF") << "ATtiny12L" << 0x12 << 0 << 0xFF << 0x05 << "LockBit=0"
                                             << "A P r L A P F L A P o L"
                                             << "CKSEL=2 RSTDISABL=1 BODEN=0 BODLEVEL=0 LockBit=2"
                                             << "05";
    QTest::newRow("ATtiny12L LB2 alone keeps lock") << "ATtiny12L" << 0xDF << 0 << 0xFB << 0xA7 << "LockBit=0"
                                                    << "A P r L A P F L A P o L"
                                                    << "CKSEL=15 RSTDISABL=1 BODEN=1 BODLEVEL=1 LockBit=0"
                                                    << "A7";
    QTest::newRow("ATtiny15L bits 3..2 ignored") << "ATtiny15L" << 0xD5 << 0 << 0xFD << 0x80 << ""
                                                 << "A P r L A P F L A P o L"
                                                 << "CKSEL=1 RSTDISABL=1 BODEN=1 BODLEVEL=1 LockBit=1"
                                                 << "80";
    QTest::newRow("ATtiny26L low high lock calib")
        << "ATtiny26L" << 0x5C << 0xF3 << 0xFC << 0x3E << ""
        << "A P r L A P : 58 08 00 L A P F L A P o L"
        << "CKSEL=12 SUT=1 CKOPT=1 PLLCK=0 BODEN=1 BODLEVEL=1 EESAVE=0 RSTDISABL=1 LockBit=0"
        << "3E";
    QTest::newRow("ATtiny26L LB2 alone keeps lock")
        << "ATtiny26L" << 0xE1 << 0xF7 << 0xFD << 0x00 << "LockBit=1"
        << "A P r L A P : 58 08 00 L A P F L A P o L"
        << "CKSEL=1 SUT=2 CKOPT=1 PLLCK=1 BODEN=1 BODLEVEL=1 EESAVE=1 RSTDISABL=1 LockBit=1"
        << "00";
    QTest::newRow("AT90S4433") << "AT90S4433" << 0xA5 << 0 << 0xF9 << 0 << ""
                               << "A P r L A P F L"
                               << "CKSEL=5 BODEN=0 BODLEVEL=0 LockBit=0"
                               << "-";
    QTest::newRow("AT90S4433 LB2 alone keeps lock") << "AT90S4433" << 0xBA << 0 << 0xFB << 0 << "LockBit=1"
                                                    << "A P r L A P F L"
                                                    << "CKSEL=2 BODEN=1 BODLEVEL=1 LockBit=1"
                                                    << "-";
    QTest::newRow("AT90S2343 0x40") << "AT90S2343" << 0 << 0 << 0x40 << 0 << "RCEN=1"
                                    << "A P F L"
                                    << "RCEN=0 LockBit=1"
                                    << "-";
    QTest::newRow("AT90S2323 0xC1") << "AT90S2323" << 0 << 0 << 0xC1 << 0 << ""
                                    << "A P F L"
                                    << "FSTRT=1 LockBit=2"
                                    << "-";
    QTest::newRow("AT90S4434 0x3E") << "AT90S4434" << 0 << 0 << 0x3E << 0 << ""
                                    << "A P F L"
                                    << "FSTRT=0 LockBit=0"
                                    << "-";
    QTest::newRow("AT90S8535 LB2 alone") << "AT90S8535" << 0 << 0 << 0x81 << 0 << "LockBit=1"
                                         << "A P F L"
                                         << "FSTRT=1 LockBit=1"
                                         << "-";
    QTest::newRow("AT90S8515 reads nothing") << "AT90S8515" << 0 << 0 << 0xF9 << 0 << ""
                                             << ""
                                             << "LockBit=2"
                                             << "-";
}

void LockFuseTest::readSequences() {
    QFETCH(QString, device);
    QFETCH(int, fuseLow);
    QFETCH(int, fuseHigh);
    QFETCH(int, lock);
    QFETCH(int, calibration);
    QFETCH(QString, before);
    QFETCH(QString, frames);
    QFETCH(QString, after);
    QFETCH(QString, calibText);

    Bench bench(device);
    bench.writer.fuseLow = quint8(fuseLow);
    bench.writer.fuseHigh = quint8(fuseHigh);
    bench.writer.lock = quint8(lock);
    bench.writer.calibration = quint8(calibration);
    bench.Apply(before);

    FuseRead(bench.ctx);

    QCOMPARE(bench.OperationFrames(), Frames(kCheck + QLatin1Char(' ') + frames));
    for (const auto& [control, index] : ParseIndexes(after))
        QVERIFY2(
            bench.Index(control) == index,
            qPrintable(
                QStringLiteral("%1 is %2").arg(test::PanelControlName(control)).arg(bench.Index(control))));
    QCOMPARE(bench.ui.calibrationText, calibText);
    QCOMPARE(bench.ui.panels[1], kFuseReadDone);
    QVERIFY(!bench.ui.messageOpen);
    QVERIFY(bench.ui.fuseFrameVisible);
    QVERIFY(bench.ui.calls.contains(QStringLiteral("message 0 ") + kFuseReadProgress));
}

void LockFuseTest::writeSequences_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("frames");

    QTest::newRow("ATtiny12L defaults") << "ATtiny12L"
                                        << ""
                                        << "A P u D2 L A P l FF L";
    QTest::newRow("ATtiny12L protected") << "ATtiny12L"
                                         << "LockBit=0 BODEN=0"
                                         << "A P u 92 L A P l F9 L";
    QTest::newRow("ATtiny15L CKSEL 00 stays 00") << "ATtiny15L"
                                                 << ""
                                                 << "A P u D4 L A P l FF L";
    QTest::newRow("ATtiny15L CKSEL 11") << "ATtiny15L"
                                        << "CKSEL=3 LockBit=1"
                                        << "A P u D7 L A P l FD L";
    QTest::newRow("ATtiny26L defaults, low high lock")
        << "ATtiny26L"
        << ""
        << "A P u E1 L A P ; AC A8 00 F7 L A P ; AC E0 00 FF L";
    QTest::newRow("ATtiny26L locked") << "ATtiny26L"
                                      << "LockBit=0 RSTDISABL=1 SUT=0"
                                      << "A P u C1 L A P ; AC A8 00 F7 L A P ; AC E0 00 FC L";
    QTest::newRow("ATtiny26L write protected") << "ATtiny26L"
                                               << "LockBit=1"
                                               << "A P u E1 L A P ; AC A8 00 F7 L A P ; AC E0 00 FE L";
    QTest::newRow("AT90S4433 defaults") << "AT90S4433"
                                        << ""
                                        << "A P f BA L A P l FF L";
    QTest::newRow("AT90S2343 RCEN Enable") << "AT90S2343"
                                           << "RCEN=0"
                                           << "A P f BE L A P l FF L";
    QTest::newRow("AT90S2343 RCEN Disable") << "AT90S2343"
                                            << "RCEN=1"
                                            << "A P f BF L A P l FF L";
    QTest::newRow("AT90S2323 FSTRT Disable") << "AT90S2323"
                                             << "FSTRT=1 LockBit=1"
                                             << "A P f BF L A P l FD L";
    QTest::newRow("AT90S8535 FSTRT Enable") << "AT90S8535"
                                            << ""
                                            << "A P f BE L A P l FF L";
    QTest::newRow("AT90S8515 lock only") << "AT90S8515"
                                         << "LockBit=0"
                                         << "A P l F9 L";
    QTest::newRow("AT90S1200A lock only") << "AT90S1200A(内部RCｸﾛｯｸ1MHz)"
                                          << "LockBit=1"
                                          << "A P l FD L";
}

void LockFuseTest::writeSequences() {
    QFETCH(QString, device);
    QFETCH(QString, panel);
    QFETCH(QString, frames);

    Bench bench(device);
    bench.Apply(panel);
    FuseWrite(bench.ctx);

    QCOMPARE(bench.OperationFrames(), Frames(kCheck + QLatin1Char(' ') + frames));
    QCOMPARE(bench.ui.panels[1], kFuseWriteDone);
    QVERIFY(bench.ui.calls.contains(QStringLiteral("message 0 ") + kFuseWriteProgress));
    QCOMPARE(bench.ui.calls.last(), QStringLiteral("close"));
    QVERIFY(!bench.ui.messageOpen);
    // A write changes nothing in the panel.
    for (const auto& [control, index] : ParseIndexes(panel)) QCOMPARE(bench.Index(control), index);
}

void LockFuseTest::cycleFailures_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("silentAfterLeave");
    QTest::addColumn<QString>("unanswered");
    QTest::addColumn<QString>("frames");
    QTest::addColumn<QString>("after");  // read: the panel as it must be left
    QTest::addColumn<QString>("calibText");

    QTest::newRow("write: silent after the first cycle") << "ATtiny26L" << true << 2 << ""
                                                         << "A P u E1 L A A"
                                                         << ""
                                                         << "?";
    QTest::newRow("write: lock refused") << "AT90S4433" << true << -1 << "l"
                                         << "A P f BA L A P l FF L"
                                         << ""
                                         << "-";
    QTest::newRow("read: silent after the first cycle") << "ATtiny12L" << false << 2 << ""
                                                        << "A P r L A A"
                                                        << "CKSEL=3 RSTDISABL=1 BODEN=1 BODLEVEL=1 LockBit=2"
                                                        << "?";
    // A fuse read that timed out leaves the fuse controls as they were (no decode of a stale byte)
    // and the later cycles send only 'A'.
    QTest::newRow("read: fuse times out") << "ATtiny12L" << false << -1 << "r"
                                          << "A P r L A A"
                                          << "CKSEL=2 RSTDISABL=1 BODEN=1 BODLEVEL=1 LockBit=2"
                                          << "?";
    // A calibration read that timed out shows no byte from an earlier read.
    QTest::newRow("read: calibration times out")
        << "ATtiny26L" << false << -1 << "o"
        << "A P r L A P : 58 08 00 L A P F L A P o L"
        << "CKSEL=3 SUT=1 CKOPT=1 PLLCK=1 BODEN=1 BODLEVEL=1 EESAVE=1 RSTDISABL=1 LockBit=1"
        << "?";
    QTest::newRow("read: combined byte times out") << "AT90S2343" << false << -1 << "F"
                                                   << "A P F L"
                                                   << "RCEN=0 LockBit=2"
                                                   << "-";
}

void LockFuseTest::cycleFailures() {
    QFETCH(QString, device);
    QFETCH(bool, write);
    QFETCH(int, silentAfterLeave);
    QFETCH(QString, unanswered);
    QFETCH(QString, frames);
    QFETCH(QString, after);
    QFETCH(QString, calibText);

    Bench bench(device);
    bench.writer.fuseLow = 0xD3;  // CKSEL 3, RSTDISBL 1, BODEN 1 / SUT 1, BODLEVEL 1
    bench.writer.fuseHigh = 0xFF;
    bench.writer.lock = 0xFE;
    bench.writer.silentAfterLeave = silentAfterLeave;
    for (QChar c : unanswered) bench.writer.unanswered.insert(c.toLatin1());
    // Bytes an earlier read left behind: decoding them would move every control and raise the warning.
    bench.state.FuseByte = 0x00;
    bench.state.LockByte = 0x00;
    bench.state.LockFuseByte = 0x00;
    bench.state.CalibrationByte = 0x42;

    if (write)
        FuseWrite(bench.ctx);
    else
        FuseRead(bench.ctx);

    QCOMPARE(bench.OperationFrames(), Frames(kCheck + QLatin1Char(' ') + frames));
    const QString& failed = write ? kFuseWriteFailed : kFuseReadFailed;
    QCOMPARE(bench.ui.panels[1], failed);
    QCOMPARE(bench.ui.calls.last(), QStringLiteral("message 1 ") + failed);
    QVERIFY(bench.ui.messageOpen);
    QVERIFY(bench.ui.messageOkVisible);
    for (const auto& [control, index] : ParseIndexes(after))
        QVERIFY2(
            bench.Index(control) == index,
            qPrintable(
                QStringLiteral("%1 is %2").arg(test::PanelControlName(control)).arg(bench.Index(control))));
    QCOMPARE(bench.ui.calibrationText, calibText);
    QCOMPARE(bench.Warnings(), 0);
}

void LockFuseTest::deviceCheckFailures_data() {
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("socketPart");  // ATtiny15L part in a socket where ATtiny12L is selected
    QTest::addColumn<QString>("unanswered");
    QTest::addColumn<QString>("notice");  // the text left in the message window, with OK

    const QString mismatch = QStringLiteral("デバイス選択と、ソケット上のデバイスが一致しません。");
    QTest::newRow("read: other chip") << false << 0x06 << "" << kFuseReadMismatch;
    QTest::newRow("read: signature times out") << false << 0x05 << "s" << kFuseReadMismatch;
    QTest::newRow("write: other chip keeps the check's notice") << true << 0x06 << "" << mismatch;
    QTest::newRow("write: signature times out") << true << 0x05 << "s"
                                                << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Signature bytes s";
    QTest::newRow("write: programming mode refused") << true << 0x05 << "P"
                                                     << "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Enter programming Mode P";
}

void LockFuseTest::deviceCheckFailures() {
    QFETCH(bool, write);
    QFETCH(int, socketPart);
    QFETCH(QString, unanswered);
    QFETCH(QString, notice);

    Bench bench(QStringLiteral("ATtiny12L"));
    bench.writer.part = quint8(socketPart);
    for (QChar c : unanswered) bench.writer.unanswered.insert(c.toLatin1());

    if (write)
        FuseWrite(bench.ctx);
    else
        FuseRead(bench.ctx);

    // No cycle runs after a failed check.
    const QStringList frames = bench.OperationFrames();
    QVERIFY2(frames.size() <= 4, qPrintable(frames.join(QLatin1Char(','))));
    QVERIFY(bench.ui.messageOpen);
    QVERIFY(bench.ui.messageOkVisible);
    QVERIFY2(bench.ui.messageText.startsWith(notice), qPrintable(bench.ui.messageText));
    QVERIFY(bench.ui.panels[1] != kFuseWriteFailed && bench.ui.panels[1] != kFuseReadDone);
}

void LockFuseTest::readRaisesResetWarning_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("fuseLow");
    QTest::addColumn<int>("fuseHigh");
    QTest::addColumn<int>("before");  // RSTDISABL index before the read
    QTest::addColumn<int>("warnings");

    QTest::newRow("ATtiny12L moves to PB5:I/O") << "ATtiny12L" << 0xC2 << 0 << 1 << 1;
    QTest::newRow("ATtiny15L moves to PB5:I/O") << "ATtiny15L" << 0xC4 << 0 << 1 << 1;
    QTest::newRow("ATtiny26L moves to PB7:I/O") << "ATtiny26L" << 0xE1 << 0xE7 << 1 << 1;
    QTest::newRow("ATtiny12L already PB5:I/O") << "ATtiny12L" << 0xC2 << 0 << 0 << 0;
    QTest::newRow("ATtiny12L stays PB5:Reset") << "ATtiny12L" << 0xD2 << 0 << 1 << 0;
}

void LockFuseTest::readRaisesResetWarning() {
    QFETCH(QString, device);
    QFETCH(int, fuseLow);
    QFETCH(int, fuseHigh);
    QFETCH(int, before);
    QFETCH(int, warnings);

    Bench bench(device);
    bench.writer.fuseLow = quint8(fuseLow);
    bench.writer.fuseHigh = quint8(fuseHigh);
    bench.ui.SetPanelIndex(PanelControl::RSTDISABL, before);
    bench.ui.calls.clear();
    FuseRead(bench.ctx);
    QCOMPARE(bench.Warnings(), warnings);
    QCOMPARE(bench.Index(PanelControl::RSTDISABL), fuseHigh ? (fuseHigh >> 4) & 1 : (fuseLow >> 4) & 1);
    QCOMPARE(bench.ui.panels[1], kFuseReadDone);
    // A warning raised by the read stays up with its OK button; without one the window closes.
    QCOMPARE(bench.ui.messageOpen, warnings > 0);
    if (warnings > 0) {
        QCOMPARE(bench.ui.messageText, kResetDisableWarning);
        QVERIFY(bench.ui.messageOkVisible);
    }
}

QTEST_GUILESS_MAIN(LockFuseTest)
#include "tst_lockfuse.moc"
