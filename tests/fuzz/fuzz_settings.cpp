// The typed settings readers over a store whose every value comes from the input (one line a key, in the
// order of the key table). Each read is in its key's range or its default, and writing what was read
// reads back as the same value.

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "MemorySettings.h"
#include "core/Settings.h"

using namespace zendra;

namespace {

const core::IntKey kInts[] = {core::keys::Device, core::keys::IndexComFlag, core::keys::ComNox};
const core::RealKey kReals[] = {core::keys::IndLeft,   core::keys::IndTop,    core::keys::MainLeft,
                                core::keys::MainTop,   core::keys::MainWidth, core::keys::MainHeight,
                                core::keys::PgmLeft,   core::keys::PgmTop,    core::keys::PgmWidth,
                                core::keys::PgmHeight, core::keys::EEpLeft,   core::keys::EEpTop,
                                core::keys::EEpWidth,  core::keys::EEpHeight};
const core::TextKey kTexts[] = {core::keys::OpenDir, core::keys::SaveDir, core::keys::OpenDir0,
                                core::keys::Speed, core::keys::Com};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> lines =
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\n');
    test::MemorySettings store;
    qsizetype next = 0;
    const auto put = [&](const char* section, const char* key) {
        if (next < lines.size()) store.Write(section, key, QString::fromUtf8(lines[next++]));
    };
    for (const auto& k : kInts) put(k.section, k.key);
    for (const auto& k : kReals) put(k.section, k.key);
    for (const auto& k : kTexts) put(k.section, k.key);

    for (const auto& k : kInts) {
        const int value = core::ReadInt(store, k);
        if (value != k.defaultValue && (value < k.minimum || value > k.maximum)) std::abort();
        test::MemorySettings copy;
        core::WriteInt(copy, k, value);
        if (core::ReadInt(copy, k) != value) std::abort();
    }
    for (const auto& k : kReals) {
        const double value = core::ReadReal(store, k);
        if (!std::isfinite(value) || std::fabs(value) > 1.0e7) std::abort();
        // Written in single precision: one write and read settles it, a second changes nothing.
        test::MemorySettings copy;
        core::WriteReal(copy, k, value);
        const double settled = core::ReadReal(copy, k);
        core::WriteReal(copy, k, settled);
        if (core::ReadReal(copy, k) != settled) std::abort();
    }
    for (const auto& k : kTexts) {
        const QString value = core::ReadText(store, k);
        test::MemorySettings copy;
        core::WriteText(copy, k, value);
        if (core::ReadText(copy, k) != value) std::abort();
    }
    return 0;
}
