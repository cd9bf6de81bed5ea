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
    std::optional<production::BenchSetup> runSetup;
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

}  // namespace zendra::cli
