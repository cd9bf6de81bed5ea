#include "cli/Plan.h"
#include "cli/PlanParts.h"
#include "cli/YieldTable.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <unistd.h>

#include "cli/Cli.h"
#include "cli/Console.h"
#include "cli/Inputs.h"
#include "cli/Outputs.h"
#include "image/CodeFormats.h"
#include "image/FileCommands.h"
#include "core/BoundedFile.h"
#include "core/Language.h"
#include "core/Product.h"
#include "devices/Catalogue.h"
#include "devices/DeviceNames.h"
#include "devices/Encodings.h"
#include "production/BenchSetup.h"
#include "production/StoreLocation.h"
#include "update/UpdateFile.h"
#include "update/UpdateTexts.h"


namespace zendra::cli {

// The bytes a fuse write's JSON report recorded before it wrote, and its device; the reason it will not do.
// Every value taken is checked: a damaged one would restore nothing, or something else, and say it had.
std::optional<QString> ReadRestoreReport(const QString& path, Plan& plan) {
    Failure failure{};
    const auto bytes = ReadInput(path, failure);
    if (!bytes) return failure.text;
    const auto damaged = [&path](const QString& field) { return T(texts::kBadReportValue).arg(field, path); };
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    if (!document.isObject()) return damaged(QStringLiteral("(JSON)"));
    const QJsonValue runsValue = document.object().value(QStringLiteral("runs"));
    if (!runsValue.isArray()) return damaged(QStringLiteral("runs"));
    const QJsonArray runs = runsValue.toArray();
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const QString at = QStringLiteral("runs[%1].lockFuse").arg(i);
        const QJsonValue lockFuse = runs.at(i)[QStringLiteral("lockFuse")];
        if (lockFuse.isUndefined()) continue;
        if (!lockFuse.isObject()) return damaged(at);
        const QJsonValue before = lockFuse[QStringLiteral("before")];
        if (!before.isObject()) return damaged(at + QStringLiteral(".before"));
        operations::LockFuseBytes taken;
        for (const auto& [name, slot] : {std::pair{"fuse", &taken.fuse}, std::pair{"fuseHigh", &taken.fuseHigh},
                                          std::pair{"lock", &taken.lock}}) {
            const QJsonValue value = before[QLatin1String(name)];
            if (value.isUndefined()) continue;
            // Written as two hex digits: a number, a sign, a third digit or nothing is not a recorded byte.
            static const QRegularExpression kByte(QStringLiteral("^[0-9A-Fa-f]{2}$"));
            if (!value.isString() || !kByte.match(value.toString()).hasMatch())
                return damaged(at + QStringLiteral(".before.") + QLatin1String(name));
            *slot = quint8(value.toString().toUInt(nullptr, 16));
        }
        if (taken.Empty()) continue;
        const QString device = lockFuse[QStringLiteral("device")].toString();
        if (!std::any_of(devices::DeviceTable().begin(), devices::DeviceTable().end(),
                         [&device](const devices::Device& d) { return d.Name() == device; }))
            return damaged(at + QStringLiteral(".device"));
        plan.restoreBytes = taken;
        plan.restoreDevice = device;
        plan.files.append({QStringLiteral("report"), QFileInfo(path).absoluteFilePath(), core::Sha256Hex(*bytes)});
        return std::nullopt;
    }
    return T(texts::kNothingToRestore).arg(path);
}


std::optional<int> ReadPlanInputs(Plan& plan) {
    const QString& c = plan.command;
    const auto refuse = [&](int code, const QString& text) {
        PrintErr(text);
        plan.failure = text;
        return std::optional<int>(code);
    };
    plan.files.clear();
    Failure failure{};
    const auto read = [&](const QString& role, const QString& path, QByteArray* into) {
        if (path.isEmpty()) return true;
        const auto bytes = ReadInput(path, failure);
        if (!bytes) return false;
        if (into) *into = *bytes;
        plan.files.append({role, QFileInfo(path).absoluteFilePath(), core::Sha256Hex(*bytes)});
        return true;
    };
    if (!read(QStringLiteral("code"), plan.codePath, &plan.codeBytes) ||
        !read(QStringLiteral("eeprom"), plan.eepromPath, &plan.eepromBytes) ||
        !read(QStringLiteral("firmware"), plan.firmwarePath, nullptr))
        return refuse(failure.code, failure.text);
    if (!plan.firmwarePath.isEmpty()) {
        const update::UpdateFileContents contents = update::LoadUpdateFile(plan.firmwarePath);
        if (!contents.IsValid())
            return refuse(
                kExitInput,
                T(texts::kFileRefused).arg(plan.firmwarePath, Tr(update::DescribeProblem(contents))));
    }
    if (c == QLatin1String("check") || c == QLatin1String("ports") || c == QLatin1String("history"))
        return std::nullopt;
    Failure bad{};
    const auto images = ParseInputs(plan, nullptr, bad);
    if (!images) return refuse(bad.code, bad.text);
    plan.images = images->images;
    plan.fileFuses = {images->fuses.fuse, images->fuses.fuseHigh, images->fuses.lock};
    for (const QString& path : images->withoutEndRecord) PrintErr(T(texts::kNoEndRecord).arg(path));
    // Programming nothing would erase the chip and pass: a failed build must not wipe every chip.
    if (c == QLatin1String("program") && images->Blank()) {
        QStringList named{plan.codePath};
        if (!plan.eepromPath.isEmpty()) named << plan.eepromPath;
        return refuse(kExitInput, T(texts::kNoData).arg(named.join(QStringLiteral(", "))));
    }
    if (plan.writeFuses && (c != QLatin1String("program") || images->fuses.Empty()))
        return refuse(kExitInput, T(texts::kFuseWriteNeedsElf).arg(plan.codePath));
    return std::nullopt;
}

}  // namespace zendra::cli
