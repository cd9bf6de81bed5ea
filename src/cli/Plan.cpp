#include "cli/Plan.h"
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
#include "production/Setup.h"
#include "production/StoreLocation.h"
#include "update/UpdateFile.h"
#include "update/UpdateTexts.h"

namespace zendra::cli {

namespace {

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

// The names --device takes, one a line in the current language: for the reader and for shell completion.
QString DeviceList() {
    QString list = QStringLiteral("\nDevices (--device, in any case):\n");
    for (const devices::Device& device : devices::DeviceTable()) list += QStringLiteral("  ") + Tr(device.Name()) + '\n';
    return list;
}

QString HelpText(const QCommandLineParser& parser) {
    return parser.helpText() +
           QStringLiteral(
               "\nCommands:\n"
               "  ports                        serial ports: path, description, USB id, serial number, by-id "
               "link, COM entry, USB adapter's latency timer\n"
               "  detect                       find the writer on --port, or on every detected port;\n"
               "                               with --wait, on the next port plugged in (until Ctrl-C)\n"
               "  doctor                       check the chain on --port, or on every detected port: port,\n"
               "                               permission, other programs, latency timer, writer and firmware,\n"
               "                               the line (200 round trips), programming mode and the signature\n"
               "                               (--device: the chip expected); never erases or writes.\n"
               "                               One line a step: ok|warn|fail STEP: detail; advice on stderr\n"
               "  check FILE.hex [FILE.eep]    read the files only; with --device, whether they fit it\n"
               "  program FILE.hex [FILE.eep]  check, erase, program and verify (--write-fuses: then the ELF "
               "file's lock/fuse bytes)\n"
               "  verify FILE.hex [FILE.eep]   compare the whole chip with the files\n"
               "  read OUT.hex [OUT.eep]       read the chip into the files and print its lock/fuse choices\n"
               "  FILE: Intel HEX, ELF (flash, EEPROM and lock/fuse from one file), S-record or .bin; "
               "OUT by its extension\n"
               "  erase                        erase the chip\n"
               "  fuse read                    print the lock/fuse choices as NAME=VALUE lines\n"
               "  fuse write NAME=VALUE...     change those choices (the others stay as the chip holds "
               "them);\n"
               "                               VALUE is the number or the choice's name (RSTDISBL=PB5:Reset)\n"
               "  fuse restore REPORT.json     write back the bytes a fuse write's report recorded\n"
               "  update FIRMWARE_FILE         replace the writer's firmware\n"
               "  setup save OUT.zendra [options] FILE.hex [FILE.eep]\n"
               "                               save a bench setup: a program's options and files (pinned by\n"
               "                               SHA-256, paths relative to OUT), --fuse NAME=VALUE choices\n"
               "  run SETUP.zendra             program as the setup says (options given here override it);\n"
               "                               a file changed since is refused unless --accept-changed-files;\n"
               "                               --print shows the equivalent plain commands\n"
               "  history                      the chip store's records, newest first (--serial, --file-sha256,\n"
               "                               --last, --json)\n"
               "  history --stats              chips programmed, passed and failed, the first-pass yield and\n"
               "                               the failing verdicts (--series, --since TIME, --until TIME in\n"
               "                               ISO 8601, --by day|port|bench|file, --json)\n"
               "\nWith --repeat --trigger stdin, each chip starts on a line of standard input: start (every\n"
               "waiting writer), start PORT, stop (or the end of the input: the loop ends after the running chips).\n"
               "\nStandard output: the data of ports, detect and fuse read, else the one-line verdict;\n"
               "progress, notices, warnings, errors and advice go to standard error.\n"
               "With --json, standard output is JSON Lines events only (start ... end; history: one record\n"
               "event a record), described by /usr/share/zendra/events.schema.json.\n"
               "\nExit codes:\n"
               "  0 success; 1 the chip differs from the files; 2 the writer or the link failed; 3 an input "
               "file is\n"
               "  unreadable or invalid; 4 usage error; 5 the chip is wrong or refused; 130 cancelled "
               "(Ctrl-C)\n"
               "\nThe chip log (--log) is CSV: "
               "time,port,firmware,device,signature,file_sha256,command,verdict,seconds,\n"
               "lockfuse_before,lockfuse_written\n"
               "\nEvery program, verify, read, erase and lock/fuse write is also recorded in the chip store\n"
               "(--db, by default chips.sqlite in the per-user data folder; benches that share one series name\n"
               "one PostgreSQL database: --db postgresql://USER@HOST:PORT/DBNAME); a program run with --serial-at\n"
               "takes the series' next number first, so a number is never issued twice.\n"
               "--serial-list FILE takes a series' values from a list (a number or hex:AABB a line, # comments),\n"
               "each line once; --serial-command 'PROGRAM ARGS' runs a program of your own for every chip (no\n"
               "shell: words split at blanks, \"...\" keeps blanks in one word, a quote inside written as three)\n"
               "and stamps the one line of hex bytes it prints within 5 s; it is told ZENDRA_SERIES, ZENDRA_NUMBER,\n"
               "ZENDRA_DEVICE and ZENDRA_SIGNATURE.\n") +
           DeviceList();
}

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
std::optional<QString> TakeNumberPolicy(const QCommandLineParser& parser, const std::optional<production::Setup>& setup,
                                        Plan& plan) {
    const bool keep = parser.isSet(QStringLiteral("serial-keep"));
    const bool strict = parser.isSet(QStringLiteral("serial-keep-strict"));
    const bool reuse = parser.isSet(QStringLiteral("serial-reuse-failed"));
    if (keep && strict) return T(texts::kKeepOptionsExclusive);
    using operations::SerialKeep;
    plan.serialKeep = strict ? SerialKeep::Strict : keep ? SerialKeep::Keep : SerialKeep::Off;
    plan.reuseFailed = reuse;
    if (!keep && !strict && setup && !setup->serialAt.isEmpty())
        plan.serialKeep = setup->serialKeep == QLatin1String("strict") ? SerialKeep::Strict
                          : setup->serialKeep == QLatin1String("keep") ? SerialKeep::Keep
                                                                        : SerialKeep::Off;
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
std::optional<QString> SetupChoices(const production::Setup& setup, Plan& plan) {
    for (qsizetype i = 0; i < setup.lockFuse.size(); ++i) {
        const production::SetupChoice& item = setup.lockFuse.at(i);
        const QString key = QStringLiteral("lockFuse[%1]").arg(i);
        const auto control = devices::ControlByName(item.field);
        if (!plan.device || !control) return key;
        const devices::ControlFill fill = devices::PanelFor(plan.device).controls[int(*control)];
        const auto choices = devices::ActiveChoices(*control, plan.device->fuseLayout);
        const int index = choices ? int(choices->entries.indexOf(item.choice)) : -1;
        if (!fill.enabled || index < 0) return key + QStringLiteral(".choice");
        plan.fuseChoices.append({.control = *control, .index = index});
    }
    return std::nullopt;
}

// The setup's stamp and calibration copy, each unless the command line gives its own.
void TakeSetupProduction(const production::Setup& setup, const QCommandLineParser& parser, Plan& plan) {
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
    production::Setup setup;
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
        setup.serialKeep = plan.serialKeep == operations::SerialKeep::Strict ? QStringLiteral("strict")
                           : plan.serialKeep == operations::SerialKeep::Keep ? QStringLiteral("keep")
                                                                             : QString();
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

}  // namespace

std::optional<int> ParsePlan(const QStringList& arguments, Plan& plan) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Command line for the KX-WRT540 AVR writer."));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")},
                                  QStringLiteral("COMn entry or device path; repeat for a gang."),
                                  QStringLiteral("P"));
    const QCommandLineOption device({QStringLiteral("d"), QStringLiteral("device")},
                                    QStringLiteral("Catalogue name (see the list below), in any case."),
                                    QStringLiteral("NAME"));
    const QCommandLineOption eeprom(QStringLiteral("eeprom"),
                                    QStringLiteral("The EEPROM file when it is not FILE.eep."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption lang(QStringLiteral("lang"), QStringLiteral("ja or en (default: the locale)."),
                                  QStringLiteral("LANG"));
    const QCommandLineOption report(QStringLiteral("report"), QStringLiteral("Write a JSON report."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Append one CSV line per chip."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption repeat(QStringLiteral("repeat"),
                                    QStringLiteral("Production loop: wait for the next chip."));
    const QCommandLineOption trigger(QStringLiteral("trigger"),
                                     QStringLiteral("With --repeat: start each chip on a line of standard input "
                                                    "(start, start PORT, stop)."),
                                     QStringLiteral("stdin"));
    const QCommandLineOption watch(QStringLiteral("watch"),
                                   QStringLiteral("program: again each time the files are rewritten, until Ctrl-C."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("No progress."));
    const QCommandLineOption verbose({QStringLiteral("v"), QStringLiteral("verbose")},
                                     QStringLiteral("Status lines and the wire bytes as hex (may be repeated)."));
    const QCommandLineOption allowLockout(QStringLiteral("allow-lockout"),
                                          QStringLiteral("Write a lock/fuse change that locks the chip out."));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    QStringLiteral("Read what the run needs and print its plan; write nothing."));
    const QCommandLineOption writeFuses(QStringLiteral("write-fuses"),
                                        QStringLiteral("program: write the ELF file's lock/fuse bytes after the verify."));
    const QCommandLineOption wait(QStringLiteral("wait"),
                                  QStringLiteral("detect: wait for a writer on a port plugged in later."));
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("The chip store: an SQLite file, or postgresql://USER@HOST:PORT/DBNAME."),
                                QStringLiteral("PATH|URL"));
    const QCommandLineOption serialAt(QStringLiteral("serial-at"),
                                      QStringLiteral("Stamp a serial number: eeprom:ADDR or flash:ADDR."),
                                      QStringLiteral("PLACE"));
    const QCommandLineOption serialFormat(QStringLiteral("serial-format"),
                                          QStringLiteral("u8, le16, be16, le32, be32 or decN (N ASCII digits)."),
                                          QStringLiteral("FORMAT"));
    const QCommandLineOption serialStart(QStringLiteral("serial-start"),
                                         QStringLiteral("The series' first number (creates the series)."),
                                         QStringLiteral("N"));
    const QCommandLineOption serialStep(QStringLiteral("serial-step"), QStringLiteral("The series' step (1)."),
                                        QStringLiteral("N"));
    const QCommandLineOption serialSeries(QStringLiteral("serial-series"),
                                          QStringLiteral("The series' name (default)."), QStringLiteral("NAME"));
    const QCommandLineOption serialKeep(QStringLiteral("serial-keep"),
                                        QStringLiteral("program: keep the number the chip carries when the series "
                                                       "issued it; else the next number, with a warning."));
    const QCommandLineOption serialKeepStrict(QStringLiteral("serial-keep-strict"),
                                              QStringLiteral("program: keep the chip's number; refuse a chip "
                                                             "without one the series issued (exit 5)."));
    const QCommandLineOption reuseFailed(QStringLiteral("serial-reuse-failed"),
                                         QStringLiteral("program: issue again a number whose run ended before its "
                                                        "bytes were sent, before a new one."));
    const QCommandLineOption serialList(QStringLiteral("serial-list"),
                                        QStringLiteral("Stamp the next line of this list no chip has taken."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption serialCommand(
        QStringLiteral("serial-command"),
        QStringLiteral("Stamp the hex bytes this program prints (run without a shell; words split at blanks, \"...\" "
                       "keeps blanks in one)."),
        QStringLiteral("PROGRAM ARGS"));
    const QCommandLineOption yes(QStringLiteral("yes"),
                                 QStringLiteral("run: run the setup's serial-number program without asking."));
    const QCommandLineOption calibrationAt(QStringLiteral("calibration-at"),
                                           QStringLiteral("Copy the calibration byte: eeprom:ADDR or flash:ADDR."),
                                           QStringLiteral("PLACE"));
    const QCommandLineOption serial(QStringLiteral("serial"), QStringLiteral("history: the chip with this number."),
                                    QStringLiteral("N"));
    const QCommandLineOption fileSha(QStringLiteral("file-sha256"),
                                     QStringLiteral("history: the chips programmed from this file."),
                                     QStringLiteral("H"));
    const QCommandLineOption last(QStringLiteral("last"), QStringLiteral("history: the newest N records."),
                                  QStringLiteral("N"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Standard output as JSON Lines events."));
    const QCommandLineOption stats(QStringLiteral("stats"),
                                   QStringLiteral("history: the chips programmed, passed and failed, and the yield."));
    const QCommandLineOption statsSeries(QStringLiteral("series"), QStringLiteral("history --stats: one series."),
                                         QStringLiteral("NAME"));
    const QCommandLineOption since(QStringLiteral("since"),
                                   QStringLiteral("history --stats: from this time on (ISO 8601)."),
                                   QStringLiteral("TIME"));
    const QCommandLineOption until(QStringLiteral("until"),
                                   QStringLiteral("history --stats: before this time (ISO 8601)."),
                                   QStringLiteral("TIME"));
    const QCommandLineOption by(QStringLiteral("by"), QStringLiteral("history --stats: one row per day, port, bench or file."),
                                QStringLiteral("day|port|bench|file"));
    const QCommandLineOption noEeprom(QStringLiteral("no-eeprom"),
                                      QStringLiteral("program: no EEPROM file, not even FILE.eep beside FILE."));
    const QCommandLineOption fuse(QStringLiteral("fuse"),
                                  QStringLiteral("setup save, run: a lock/fuse choice to write after a good verify "
                                                 "(repeatable)."),
                                  QStringLiteral("NAME=VALUE"));
    const QCommandLineOption acceptChanged(QStringLiteral("accept-changed-files"),
                                           QStringLiteral("run: use files that changed since the setup was saved."));
    const QCommandLineOption print(QStringLiteral("print"),
                                   QStringLiteral("run: print the setup's plain commands; run nothing."));
    const QList<QCommandLineOption> options{
        help,   version,      port,      device,     eeprom,        lang,        report,       log,
        repeat, watch,        quiet,     verbose,    allowLockout,  dryRun,      writeFuses,   wait,
        db,     serialAt,     serialFormat, serialStart, serialStep, serialSeries, calibrationAt, serial,
        fileSha, last,        json,      noEeprom,   fuse,          acceptChanged, print,
        stats,  statsSeries,  since,     until,      by,            trigger,       serialList, serialCommand,
        yes,    serialKeep,   serialKeepStrict, reuseFailed};
    parser.addOptions(options);
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("See the list below."));

    const auto usage = [&](const QString& text) {
        PrintErr(text);
        PrintErr(T(texts::kUsage) + QStringLiteral(": zendra-cli --help"));
        plan.failure = text;
        return std::optional<int>(kExitUsage);
    };
    const auto refuse = [&](int code, const QString& text) {
        PrintErr(text);
        plan.failure = text;
        return std::optional<int>(code);
    };
    const bool parsed = parser.parse(QStringList{QStringLiteral("zendra-cli")} + arguments);
    // The language first, so every later message is in it.
    const QString langText = parser.value(lang);
    if (!langText.isEmpty() && !core::ParseLanguage(langText))
        return usage(T(texts::kUnknownLanguage).arg(langText));
    const core::Language language = langText.isEmpty() ? core::LanguageFromLocale(QLocale::system().name())
                                                       : *core::ParseLanguage(langText);
    UseEnglish(language == core::Language::English);
    if (!parsed) return usage(parser.errorText());
    if (parser.isSet(help)) {
        PrintOut(HelpText(parser));
        return kExitSuccess;
    }
    if (parser.isSet(version)) {
        PrintOut(QStringLiteral("zendra-cli ") + core::kVersionText);
        return kExitSuccess;
    }

    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) return usage(T(texts::kUsage));
    plan.command = args.takeFirst();
    if (plan.command == QLatin1String("fuse")) {
        const QString sub = args.isEmpty() ? QString() : args.takeFirst();
        if (sub != QLatin1String("read") && sub != QLatin1String("write") && sub != QLatin1String("restore"))
            return usage(T(texts::kUnknownCommand).arg(QStringLiteral("fuse ") + sub));
        plan.command = QStringLiteral("fuse-") + sub;
    }
    if (plan.command == QLatin1String("setup")) {
        const QString sub = args.isEmpty() ? QString() : args.takeFirst();
        if (sub != QLatin1String("save")) return usage(T(texts::kUnknownCommand).arg(QStringLiteral("setup ") + sub));
        if (args.isEmpty()) return usage(T(texts::kMissingFile).arg(QStringLiteral("setup save")));
        plan.setupOut = args.takeFirst();
        if (const auto refused = RefuseOutputTarget(plan.setupOut)) return usage(*refused);
        // A setup is copied and shared: libpq's own places keep the password.
        if (const QString db = parser.value(QStringLiteral("db")); production::HasPassword(db))
            return usage(T(texts::kPasswordNotStored).arg(production::WithoutPassword(db)));
        // A setup holds the job, not one run's records or loop.
        for (const QCommandLineOption& perRun : {report, log, repeat, trigger, watch, writeFuses, allowLockout, dryRun})
            if (parser.isSet(perRun)) return usage(T(texts::kNotForCommand).arg(QStringLiteral("--") + perRun.names().last()));
        plan.command = QStringLiteral("program");
    }
    std::optional<production::Setup> runSetup;
    bool setupNoEeprom = false;
    if (plan.command == QLatin1String("run")) {
        if (args.size() != 1)
            return usage(args.isEmpty() ? T(texts::kMissingFile).arg(plan.command) : T(texts::kTooManyArguments).arg(args.at(1)));
        const QString setupPath = args.at(0);
        const production::SetupLoad load = production::LoadSetup(setupPath);
        if (load.problem == production::SetupProblem::Unreadable) {
            // Read again for the same words as any other unreadable input.
            Failure unreadable{kExitInput, T(texts::kFileUnreadable).arg(setupPath, load.reason)};
            ReadInput(setupPath, unreadable);
            return refuse(kExitInput, unreadable.text);
        }
        if (load.problem == production::SetupProblem::NotSetup)
            return refuse(kExitInput, T(texts::kNotSetup).arg(setupPath));
        if (load.problem == production::SetupProblem::Newer)
            return refuse(kExitInput, T(texts::kSetupNewer).arg(QString::number(load.format), setupPath));
        if (load.problem == production::SetupProblem::BadValue)
            return refuse(kExitInput, T(texts::kSetupBadValue).arg(setupPath, load.key) +
                                          (load.nearDevice.isEmpty()
                                               ? QString()
                                               : QLatin1Char(' ') + T(texts::kDidYouMean).arg(Tr(load.nearDevice))));
        if (parser.isSet(print)) {
            for (const QString& line : production::CommandLines(load.setup, setupPath)) PrintOut(line);
            return kExitSuccess;
        }
        // Tested files only, unless told otherwise; refused before any port is opened.
        for (const QString& path : production::ChangedFiles(load.setup, setupPath)) {
            if (!parser.isSet(acceptChanged)) return refuse(kExitInput, T(texts::kSetupFileChanged).arg(path));
            PrintErr(T(texts::kSetupChangeAccepted).arg(path));
        }
        // The setup's values go straight into the plan; an option given here replaces its value.
        plan.setupPath = setupPath;
        runSetup = load.setup;
        args = QStringList{production::ResolvedPath(setupPath, load.setup.code.path)};
        // An EEPROM file named here, or none, replaces the setup's.
        const bool ownEeprom = parser.isSet(eeprom) || parser.isSet(noEeprom);
        if (!ownEeprom && load.setup.programEeprom && load.setup.eeprom)
            args << production::ResolvedPath(setupPath, load.setup.eeprom->path);
        setupNoEeprom = !ownEeprom && !load.setup.programEeprom;
        if (!load.setup.store.isEmpty() && !parser.isSet(db)) {
            plan.dbPath = production::ResolvedPath(setupPath, load.setup.store);
            plan.dbGiven = true;
        }
        plan.command = QStringLiteral("program");
    }
    const bool fromSetup = !plan.setupOut.isEmpty() || runSetup;
    if (parser.isSet(fuse) && !(fromSetup && plan.command == QLatin1String("program")))
        return usage(T(texts::kNotForCommand).arg(QStringLiteral("--fuse")));
    for (const QCommandLineOption& runOnly : {acceptChanged, print, yes})
        if (parser.isSet(runOnly) && !runSetup) return usage(T(texts::kNotForCommand).arg(QStringLiteral("--") + runOnly.names().last()));
    plan.noEeprom = parser.isSet(noEeprom) || setupNoEeprom;
    if (plan.noEeprom && plan.command != QLatin1String("program"))
        return usage(T(texts::kNotForCommand).arg(QStringLiteral("--no-eeprom")));
    plan.ports = parser.isSet(port) || !runSetup ? parser.values(port) : runSetup->ports;
    plan.repeat = parser.isSet(repeat);
    plan.trigger = parser.isSet(trigger);
    if (plan.trigger && (!plan.repeat || parser.value(trigger) != QLatin1String("stdin")))
        return usage(T(texts::kTriggerNeedsRepeat));
    plan.watch = parser.isSet(watch);
    plan.quiet = parser.isSet(quiet);
    plan.verbose = parser.isSet(verbose);
    ShowQtMessages(plan.verbose);
    plan.allowLockout = parser.isSet(allowLockout);
    plan.dryRun = parser.isSet(dryRun);
    plan.writeFuses = parser.isSet(writeFuses);
    plan.wait = parser.isSet(wait);
    if (plan.wait && (plan.command != QLatin1String("detect") || !plan.ports.isEmpty()))
        return usage(T(texts::kWaitOnlyDetect));
    plan.reportPath = parser.value(report);
    plan.json = parser.isSet(json);
    if (plan.json && plan.reportPath == QLatin1String("-")) {
        plan.reportPath.clear();
        return usage(T(texts::kJsonReportStdout));
    }
    plan.logPath = parser.value(log);
    // Outputs are checked before anything else is done; a refused report target takes no report.
    if (!plan.reportPath.isEmpty()) {
        if (const auto refused = RefuseOutputTarget(plan.reportPath, true)) {
            plan.reportPath.clear();
            return usage(*refused);
        }
    }
    if (!plan.logPath.isEmpty()) {
        if (const auto refused = RefuseOutputTarget(plan.logPath)) return usage(*refused);
    }
    if (parser.isSet(device)) {
        const QString name = parser.value(device);
        plan.device = devices::DeviceNamed(name);
        if (!plan.device) {
            const devices::Device* nearest = devices::NearestDevice(name);
            return usage(T(texts::kUnknownDevice).arg(name) +
                         (nearest ? QStringLiteral(" (") + T(texts::kDidYouMean).arg(Tr(nearest->Name())) + u')'
                                  : QString()));
        }
    }

    if (!parser.isSet(device) && runSetup && !runSetup->device.isEmpty()) plan.device = devices::DeviceNamed(runSetup->device);
    if (parser.isSet(fuse)) {
        if (!plan.setupOut.isEmpty() && !plan.device) return usage(T(texts::kFuseNeedsDevice));
        if (const auto refused = ParseFuseSettings(parser.values(fuse), plan)) return usage(*refused);
    } else if (runSetup) {
        if (const auto key = SetupChoices(*runSetup, plan))
            return refuse(kExitInput, T(texts::kSetupBadValue).arg(plan.setupPath, *key));
    }

    const QString& c = plan.command;
    const auto wantFiles = [&](int least, int most) {
        if (args.size() < least) return usage(T(texts::kMissingFile).arg(c)), false;
        if (args.size() > most) return usage(T(texts::kTooManyArguments).arg(args.at(most))), false;
        return true;
    };
    if (c == QLatin1String("program") || c == QLatin1String("verify") || c == QLatin1String("check")) {
        if (!wantFiles(1, 2)) return kExitUsage;
        plan.codePath = args.at(0);
        if (plan.noEeprom && args.size() > 1) return usage(T(texts::kTooManyArguments).arg(args.at(1)));
        plan.eepromPath = args.size() > 1 || plan.noEeprom ? args.value(1) : parser.value(eeprom);
        // An ELF file holds its EEPROM data itself.
        if (plan.eepromPath.isEmpty() && !plan.noEeprom && !image::IsElfFile(plan.codePath) &&
            QFileInfo(image::SetEepromFileExtension(plan.codePath)).isFile())
            plan.eepromPath = image::SetEepromFileExtension(plan.codePath);
    } else if (c == QLatin1String("read")) {
        if (!wantFiles(1, 2)) return kExitUsage;
        // "OUT" and "OUT.hex" both give OUT.hex and OUT.eep; a second name is taken as given.
        plan.outCode = QFileInfo(args.at(0)).suffix().isEmpty() ? args.at(0) + QStringLiteral(".hex") : args.at(0);
        plan.outEeprom = args.size() > 1        ? args.at(1)
                         : parser.isSet(eeprom) ? parser.value(eeprom)
                                                : image::SetEepromFileExtension(args.at(0));
        for (const QString& out : {plan.outCode, plan.outEeprom})
            if (const auto refused = RefuseOutputTarget(out)) return usage(*refused);
        for (const QString& out : {plan.outCode, plan.outEeprom})
            if (!image::CanSaveTo(out)) return usage(T(texts::kNoElfOutput).arg(out));
        if (SameFile(plan.outCode, plan.outEeprom)) return usage(T(texts::kSameOutput).arg(plan.outCode));
    } else if (c == QLatin1String("update")) {
        if (!wantFiles(1, 1)) return kExitUsage;
        plan.firmwarePath = args.at(0);
    } else if (c == QLatin1String("fuse-write")) {
        if (args.isEmpty()) return usage(T(texts::kUnknownFuse).arg(QString()));
        if (const auto refused = ParseFuseSettings(args, plan)) return usage(*refused);
    } else if (c == QLatin1String("fuse-restore")) {
        if (!wantFiles(1, 1)) return kExitUsage;
        if (const auto refused = ReadRestoreReport(args.at(0), plan)) return refuse(kExitInput, *refused);
    } else if (c == QLatin1String("ports") || c == QLatin1String("detect") || c == QLatin1String("doctor") ||
               c == QLatin1String("erase") ||
               c == QLatin1String("fuse-read") || c == QLatin1String("history")) {
        if (!wantFiles(0, 0)) return kExitUsage;
    } else {
        return usage(T(texts::kUnknownCommand).arg(c));
    }

    // A watch programs files; with the production loop it would never see them change.
    if (plan.watch && (c != QLatin1String("program") || plan.repeat))
        return usage(T(texts::kWatchProgramOnly));
    if (const auto refused = ParseProduction(parser, plan)) return usage(*refused);
    if (runSetup) TakeSetupProduction(*runSetup, parser, plan);
    if (const auto refused = TakeNumberPolicy(parser, runSetup, plan)) return usage(*refused);
    // A setup's program runs for every chip: the first time on this bench the user says so.
    if (runSetup && !plan.serialFolder.isEmpty() && !plan.dryRun &&
        !production::GeneratorApproved(plan.serialCommand, plan.serialFolder)) {
        if (!parser.isSet(yes) && !AskToRunGenerator(plan.serialCommand))
            return refuse(kExitUsage, T(texts::kGeneratorNotApproved).arg(plan.serialCommand));
        production::ApproveGenerator(plan.serialCommand, plan.serialFolder);
    }

    // Input files are read and checked before the writer is touched.
    if (const auto ended = ReadPlanInputs(plan)) return ended;
    if (!plan.setupOut.isEmpty()) return SaveSetupOf(parser, plan);
    return std::nullopt;
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
