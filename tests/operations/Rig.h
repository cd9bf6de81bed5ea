#pragma once
// One operation's surroundings for a test: fake clock, scripted port with a fake writer, recorded windows,
// state for a chosen catalogue device, and a scratch folder of its own.

#include <QTemporaryDir>
#include <memory>

#include "FakeTiming.h"
#include "FakeWriter.h"
#include "MemorySettings.h"
#include "RecordingUi.h"
#include "ScriptedPort.h"
#include "core/SharedState.h"
#include "devices/Catalogue.h"
#include "link/Link.h"
#include "link/PortMap.h"
#include "operations/Flows.h"

namespace zendra::test {

inline const QString kFakePortPath = QStringLiteral("/dev/ttyFAKE0");

struct Rig {
    explicit Rig(const QString& deviceName) {
        const auto index = devices::FindDevice(deviceName);
        Q_ASSERT(index);
        const auto& d = devices::DeviceTable()[*index];
        state.DeviceCode = d.code;
        state.ProgramMemoryWords = d.flashWords;
        state.EepromBytes = d.eepromBytes;
        state.AppDir = state.ScratchDir = scratch.path() + QLatin1Char('/');
        ui.deviceText = deviceName;
        settings.values.insert(QStringLiteral("Settings/ComNox"), QStringLiteral("1"));
        writer = std::make_unique<FakeWriter>(d.flashWords, d.eepromBytes, d.family, d.part);
        writer->Attach(port);
        port.SetLineSettings(QStringLiteral("57600,n,8,1"));
        port.Open(kFakePortPath);
    }

    void FillFlash(int words, quint16 base) {
        for (int w = 0; w < words; ++w) {
            const quint16 v = static_cast<quint16>(base + w);
            images.ProgramImage[2 * w] = static_cast<quint8>(v >> 8);
            images.ProgramImage[2 * w + 1] = static_cast<quint8>(v & 0xFF);
        }
    }
    quint16 ImageWord(int w) const {
        return static_cast<quint16>(images.ProgramImage[2 * w] << 8 | images.ProgramImage[2 * w + 1]);
    }
    double FakeSeconds() const { return std::chrono::duration<double>(timing.Now() - started).count(); }

    QTemporaryDir scratch;
    FakeTiming timing;
    core::Clock::time_point started = timing.Now();
    ScriptedPort port{timing};
    RecordingUi ui;
    core::SharedState state;
    MemorySettings settings;
    link::PortMap ports{settings, [] { return QList<link::DetectedPort>{{kFakePortPath, QString()}}; }};
    link::LinkContext link{port, timing, ui, state, settings, ports};
    image::MemoryImages images;
    operations::OperationContext ctx{link, images};
    std::unique_ptr<FakeWriter> writer;
};

}  // namespace zendra::test
