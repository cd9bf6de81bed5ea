#include "cli/Plan.h"
#include "cli/PlanParts.h"
#include "operations/Station.h"
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

// The store, the stamp, the calibration copy and the history's filters; the reason when they will not do.
std::optional<QString> ParseProduction(const QCommandLineParser& parser, Plan& plan) {
    const auto value = [&](const char* name) { return parser.value(QLatin1String(name)); };
    const auto isSet = [&](const char* name) { return parser.isSet(QLatin1String(name)); };
    plan.dbGiven = plan.dbGiven || isSet("db");
    if (isSet("db") || plan.dbPath.isEmpty()) plan.dbPath = isSet("db") ? value("db") : production::ChipStore::DefaultPath();
    if (isSet("db") && !production::ChipStore::IsServerLocation(plan.dbPath))
        if (const auto refused = RefuseOutputTarget(plan.dbPath)) return refused;
    const QString& c = plan.command;
    const bool history = c == QLatin1String("history");
    for (const char* name : {"serial", "file-sha256", "last", "stats", "series", "since", "until", "by"})
        if (isSet(name) && !history)
            return T(texts::kNotForCommand).arg(QStringLiteral("--") + QLatin1String(name));
    if (history) {
        if (isSet("serial") && !(plan.history.serial = production::ParseNumber(value("serial"), 0)))
            return T(texts::kBadNumber).arg(value("serial"));
        if (isSet("last")) {
            const auto last = production::ParseNumber(value("last"), 1);
            if (!last || *last > INT_MAX) return T(texts::kBadNumber).arg(value("last"));
            plan.history.last = int(*last);
        }
        plan.history.fileSha256 = value("file-sha256").toLower();
        static const QRegularExpression sha(QStringLiteral("^[0-9a-f]{64}$"));
        if (isSet("file-sha256") && !sha.match(plan.history.fileSha256).hasMatch())
            return T(texts::kBadNumber).arg(value("file-sha256"));
        if (const auto refused = ParseYieldOptions(parser, plan)) return refused;
    }

    const bool anySerial = isSet("serial-at") || isSet("serial-format") || isSet("serial-start") ||
                           isSet("serial-step") || isSet("serial-series") || isSet("serial-list") ||
                           isSet("serial-command");
    if (anySerial) {
        if (c != QLatin1String("program") && c != QLatin1String("verify"))
            return T(texts::kNotForCommand).arg(QStringLiteral("--serial-*"));
        if (isSet("serial-list") && isSet("serial-command")) return T(texts::kSerialOneSource);
        // A list or generator series is made by its option alone; a counter's start or step would be
        // silently meaningless for it.
        if ((isSet("serial-list") || isSet("serial-command")) && (isSet("serial-start") || isSet("serial-step")))
            return T(texts::kSerialSourceNoCounter);
        if (isSet("serial-command")) {
            // Its bytes are unknown until it runs, so a verify cannot tell which cells to leave out.
            if (c != QLatin1String("program")) return T(texts::kNotForCommand).arg(QStringLiteral("--serial-command"));
            if (isSet("serial-format")) return T(texts::kCommandNoFormat);
            if (production::SplitCommand(value("serial-command")).isEmpty())
                return T(texts::kBadNumber).arg(QStringLiteral("--serial-command"));
            plan.serialKind = production::SeriesKind::Command;
            plan.serialCommand = value("serial-command");
        } else if (isSet("serial-list")) {
            plan.serialKind = production::SeriesKind::List;
            plan.serialList = value("serial-list");
        }
        const bool command = plan.serialKind == production::SeriesKind::Command;
        if (!isSet("serial-at") || (!command && !isSet("serial-format"))) return T(texts::kNeedsSerialAt).arg(c);
        plan.serialAt = production::ParsePlace(value("serial-at"));
        if (!plan.serialAt) return T(texts::kBadPlace).arg(value("serial-at"));
        const auto layout = command ? std::optional(production::SerialLayout{.format = production::SerialFormat::U8})
                                    : production::ParseSerialLayout(value("serial-format"));
        if (!layout) return T(texts::kBadSerialFormat).arg(value("serial-format"));
        plan.serialLayout = *layout;
        if (isSet("serial-start") && !(plan.serialStart = production::ParseNumber(value("serial-start"), 0)))
            return T(texts::kBadNumber).arg(value("serial-start"));
        if (isSet("serial-step") && !(plan.serialStep = production::ParseNumber(value("serial-step"), 1)))
            return T(texts::kBadNumber).arg(value("serial-step"));
        if (isSet("serial-series")) plan.series = value("serial-series");
        if (plan.series.isEmpty()) return T(texts::kBadNumber).arg(QStringLiteral("--serial-series"));
        if (!production::Fits(*plan.serialAt, production::Width(plan.serialLayout), plan.device))
            return T(texts::kPlaceBeyond).arg(value("serial-at"));
    }
    if (isSet("calibration-at")) {
        if (c != QLatin1String("program") && c != QLatin1String("verify"))
            return T(texts::kNotForCommand).arg(QStringLiteral("--calibration-at"));
        plan.calibrationAt = production::ParsePlace(value("calibration-at"));
        if (!plan.calibrationAt) return T(texts::kBadPlace).arg(value("calibration-at"));
        if (plan.device && !plan.device->profile.calibration)
            return T(texts::kNoCalibration).arg(Tr(plan.device->Name()));
        if (!production::Fits(*plan.calibrationAt, 1, plan.device))
            return T(texts::kPlaceBeyond).arg(value("calibration-at"));
        if (plan.serialAt && plan.StampCells().first().Covers(plan.calibrationAt->area, plan.calibrationAt->address))
            return T(texts::kPlacesOverlap);
    }
    return std::nullopt;
}

// What a program run does with the number a chip already carries, and with one that never reached a chip:
// from the command line, else from the setup. Both need a stamp.
std::optional<QString> TakeNumberPolicy(const QCommandLineParser& parser, const std::optional<production::BenchSetup>& setup,
                                        Plan& plan) {
    const bool keep = parser.isSet(QStringLiteral("serial-keep"));
    const bool strict = parser.isSet(QStringLiteral("serial-keep-strict"));
    const bool reuse = parser.isSet(QStringLiteral("serial-reuse-failed"));
    if (keep && strict) return T(texts::kKeepOptionsExclusive);
    using operations::SerialKeep;
    plan.serialKeep = strict ? SerialKeep::Strict : keep ? SerialKeep::Keep : SerialKeep::Off;
    plan.reuseFailed = reuse;
    if (!keep && !strict && setup && !setup->serialAt.isEmpty())
        plan.serialKeep = operations::SerialKeepOf(setup->serialKeep);
    if (!reuse && setup && !setup->serialAt.isEmpty()) plan.reuseFailed = setup->serialReuseFailed;
    const QString given = strict ? QStringLiteral("--serial-keep-strict")
                          : keep ? QStringLiteral("--serial-keep")
                                 : QStringLiteral("--serial-reuse-failed");
    if ((keep || strict || reuse) && plan.command != QLatin1String("program")) return T(texts::kNotForCommand).arg(given);
    if ((keep || strict || reuse) && !plan.serialAt) return T(texts::kNeedsSerialAt).arg(given);
    if ((plan.serialKeep != SerialKeep::Off || plan.reuseFailed) && plan.serialKind != production::SeriesKind::Counter)
        return T(texts::kKeepNeedsCounter);
    return std::nullopt;
}

// NAME=VALUE lock/fuse settings into the plan's choices; the reason when one will not do.
std::optional<QString> ParseFuseSettings(const QStringList& settings, Plan& plan) {
    for (const QString& setting : settings) {
        const auto control = devices::ControlByName(setting.section(QLatin1Char('='), 0, 0));
        const QString valueText = setting.section(QLatin1Char('='), 1);
        // A choice's name first ("PB5:Reset", "0101"): the device's list, or with no device given, any
        // layout's; a name never means another entry than the same number does.
        bool number = false;
        int value = -1;
        const QList<devices::FuseLayout> layouts =
            plan.device ? QList{plan.device->fuseLayout}
                        : QList{devices::FuseLayout::Tiny12, devices::FuseLayout::Tiny26,
                                devices::FuseLayout::At90s4433, devices::FuseLayout::CombinedRcen};
        for (const devices::FuseLayout layout : layouts) {
            const auto choices = control ? devices::ActiveChoices(*control, layout) : std::nullopt;
            if (!number && choices && choices->entries.contains(valueText))
                value = int(choices->entries.indexOf(valueText)), number = true;
        }
        if (!number) value = valueText.toInt(&number);
        if (!control || !number || !setting.contains(QLatin1Char('=')))
            return T(texts::kUnknownFuse).arg(setting);
        if (plan.device) {
            const devices::ControlFill fill = devices::PanelFor(plan.device).controls[int(*control)];
            if (!fill.enabled || value < 0 || value >= fill.entries.size())
                return T(texts::kFuseWriteNeedsDevice).arg(setting);
        }
        plan.fuseChoices.append({.control = *control, .index = value});
    }
    return std::nullopt;
}

// A setup's lock/fuse choices as the device's fields; the key of the first that names none.
std::optional<QString> SetupChoices(const production::BenchSetup& setup, Plan& plan) {
    const auto refused = operations::TakeSetupChoices(setup, plan.device, plan.fuseChoices);
    if (!refused) return std::nullopt;
    const QString key = QStringLiteral("lockFuse[%1]").arg(refused->at);
    return refused->field ? key : key + QStringLiteral(".choice");
}

// The setup's stamp and calibration copy, each unless the command line gives its own.
void TakeSetupProduction(const production::BenchSetup& setup, const QCommandLineParser& parser, Plan& plan) {
    const bool ownSerial = std::ranges::any_of(
        QStringList{QStringLiteral("serial-at"), QStringLiteral("serial-format"), QStringLiteral("serial-start"),
                    QStringLiteral("serial-step"), QStringLiteral("serial-series"), QStringLiteral("serial-list"),
                    QStringLiteral("serial-command")},
        [&](const QString& name) { return parser.isSet(name); });
    if (!ownSerial && !setup.serialAt.isEmpty()) {
        // The setup's reader has checked the place and the format.
        plan.serialAt = production::ParsePlace(setup.serialAt);
        plan.serialLayout = production::ParseSerialLayout(setup.serialFormat).value_or(production::SerialLayout{});
        plan.serialStart = setup.serialStart;
        plan.serialStep = setup.serialStep;
        if (!setup.series.isEmpty()) plan.series = setup.series;
        if (!setup.serialList.isEmpty()) {
            plan.serialKind = production::SeriesKind::List;
            plan.serialList = production::ResolvedPath(plan.setupPath, setup.serialList);
        } else if (!setup.serialCommand.isEmpty()) {
            plan.serialKind = production::SeriesKind::Command;
            plan.serialCommand = setup.serialCommand;
            plan.serialFolder = production::SetupFolderPath(plan.setupPath);
            plan.serialLayout = production::SerialLayout{.format = production::SerialFormat::U8};
        }
    }
    if (!parser.isSet(QStringLiteral("calibration-at")) && !setup.calibrationAt.isEmpty())
        plan.calibrationAt = production::ParsePlace(setup.calibrationAt);
}

// Shows the setup's program and asks on the terminal whether to run it; no terminal, no.
bool AskToRunGenerator(const QString& command) {
    PrintErr(T(texts::kGeneratorAsk).arg(command));
    if (!::isatty(STDIN_FILENO)) return false;
    std::fputs(T(texts::kGeneratorQuestion).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    char answer[16] = {};
    if (!std::fgets(answer, sizeof answer, stdin)) return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

// Writes the planned program run as a setup; the exit code and what was said.
int SaveSetupOf(const QCommandLineParser& parser, Plan& plan) {
    production::BenchSetup setup;
    const QString& out = plan.setupOut;
    // Saved again over a setup, what a later program added to it stays; a newer setup is not replaced.
    if (QFileInfo(out).isFile()) {
        const production::SetupLoad previous = production::LoadSetup(out);
        if (previous.problem == production::SetupProblem::Newer) {
            plan.failure = T(texts::kSetupNewer).arg(QString::number(previous.format), out);
            PrintErr(plan.failure);
            return kExitInput;
        }
        setup.kept = previous.setup.kept;
    }
    for (const InputFile& file : plan.files) {
        const production::PinnedFile pinned{production::StoredPath(out, file.path), file.sha256};
        if (file.role == QLatin1String("code")) setup.code = pinned;
        if (file.role == QLatin1String("eeprom")) setup.eeprom = pinned;
    }
    setup.programEeprom = !plan.noEeprom;
    if (plan.device) setup.device = plan.device->Name();
    for (const operations::ChoiceChange& change : plan.fuseChoices)
        setup.lockFuse.append({devices::ControlName(change.control),
                               operations::ChoiceName(plan.device, change.control, change.index)});
    const auto value = [&](const char* name) { return parser.value(QLatin1String(name)); };
    if (plan.serialAt) {
        setup.serialAt = production::PlaceText(*plan.serialAt);
        setup.serialFormat = value("serial-format");
        setup.serialStart = plan.serialStart;
        setup.serialStep = plan.serialStep;
        if (parser.isSet(QStringLiteral("serial-series"))) setup.series = plan.series;
        setup.serialKeep = operations::SerialKeepWord(plan.serialKeep);
        setup.serialReuseFailed = plan.reuseFailed;
        if (!plan.serialList.isEmpty()) setup.serialList = production::StoredPath(out, plan.serialList);
        setup.serialCommand = plan.serialCommand;
    }
    if (plan.calibrationAt) setup.calibrationAt = production::PlaceText(*plan.calibrationAt);
    if (parser.isSet(QStringLiteral("db"))) setup.store = production::StoredPath(out, plan.dbPath);
    setup.ports = plan.ports;
    if (const auto failed = production::SaveSetup(setup, out)) {
        plan.failure = T(texts::kCannotWrite).arg(out) + QStringLiteral(": ") + *failed;
        PrintErr(plan.failure);
        return kExitLink;
    }
    PrintOut(T(texts::kSaved).arg(out));
    return kExitSuccess;
}

}  // namespace zendra::cli
