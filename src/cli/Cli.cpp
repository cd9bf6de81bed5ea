#include "cli/Cli.h"

#include <unistd.h>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <memory>
#include <utility>

#include "cli/Console.h"
#include "cli/Doctor.h"
#include "cli/Events.h"
#include "cli/Inputs.h"
#include "cli/Outputs.h"
#include "cli/Plan.h"
#include "cli/Render.h"
#include "cli/Writer.h"
#include "cli/YieldTable.h"
#include "core/FileWatcher.h"
#include "core/Settings.h"
#include "link/PortMap.h"
#include "production/StoreLocation.h"
#include "link/PortWatcher.h"
#include "operations/UsedPart.h"

namespace zendra::cli {

namespace {

// --- Ctrl-C ----------------------------------------------------------------------------------------------

Interrupts g_interrupts;
QByteArray g_updateRefusal;  // written from the signal handler, so prepared beforehand

void OnInterrupt(int) {
    if (g_interrupts.updating.load()) {
        // The writer cannot be returned to a usable state in the middle of a firmware update.
        [[maybe_unused]] const auto written =
            ::write(STDERR_FILENO, g_updateRefusal.constData(), static_cast<size_t>(g_updateRefusal.size()));
        return;
    }
    g_interrupts.cancel.Cancel();
}

// A logout or a service manager's stop ends the run as Ctrl-C does, in every wait: after the current
// exchange, with the writer returned to its base set. A signal the starting process left ignored stays
// ignored (a script's background job has no Ctrl-C; nohup keeps a logout out). A reader that goes away
// is no signal at all: the failed write to it is the run's own error.
void InstallSignalHandlers() {
    std::signal(SIGPIPE, SIG_IGN);
    for (int signal : {SIGINT, SIGHUP}) {
        struct sigaction inherited {};
        if (::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) continue;
        std::signal(signal, OnInterrupt);
    }
    std::signal(SIGTERM, OnInterrupt);
}

// --- Commands without a writer ---------------------------------------------------------------------------

int ListPorts() {
    core::IniSettingsStore settings;
    link::PortMap map(settings);
    for (const link::DetectedPort& port : map.Detected()) {
        QStringList entries;
        for (int n = 1; n <= core::kComPortCount; ++n)
            if (map.Resolve(n) == port.path) entries << QStringLiteral("COM%1").arg(n);
        const QString latency =
            port.latencyTimerMs ? QStringLiteral("latency_timer=%1ms").arg(*port.latencyTimerMs) : QString();
        events::Emit("serialport", {{"path", port.path},
                                    {"description", port.description},
                                    {"usbId", port.usbId},
                                    {"serialNumber", port.serial},
                                    {"byId", port.byIdLink},
                                    {"entries", QJsonArray::fromStringList(entries)},
                                    {"latencyTimerMs", port.latencyTimerMs ? QJsonValue(*port.latencyTimerMs) : QJsonValue()}});
        PrintOut(QStringList{port.path, port.description, port.usbId, port.serial, port.byIdLink,
                             entries.join(QLatin1Char(' ')), latency}
                     .join(QLatin1Char('\t')));
    }
    return kExitSuccess;
}

// The files alone; the outcome is kept like a chip's, for the report and the log.
ChipResult CheckFiles(const Plan& plan) {
    ChipResult result;
    result.device = plan.device ? Tr(plan.device->Name()) : QString();
    Failure failure{};
    const auto parsed = ParseInputs(plan, plan.device, failure);
    result.finished = QDateTime::currentDateTimeUtc();
    if (!parsed) {
        PrintErr(failure.text);
        result.exitCode = failure.code;
        result.message = failure.text;
        return result;
    }
    for (const QString& path : parsed->withoutEndRecord) PrintErr(T(texts::kNoEndRecord).arg(path));
    const qint32 words = operations::LastUsedWord(parsed->images, image::kProgramImageSize / 2) + 1;
    const qint32 bytes = operations::LastUsedByte(parsed->images, image::kEepromImageSize) + 1;
    PrintOut(QStringLiteral("%1: %2").arg(T(texts::kRecords)).arg(parsed->records));
    PrintOut(QStringLiteral("%1: %2").arg(T(texts::kUsedFlash)).arg(words));
    PrintOut(QStringLiteral("%1: %2").arg(T(texts::kUsedEeprom)).arg(bytes));
    result.exitCode = kExitSuccess;
    const auto checked = [&] {
        events::Emit("check", {{"records", parsed->records},
                               {"flashWords", words},
                               {"eepromBytes", bytes},
                               {"device", plan.device ? plan.device->Name() : QString()},
                               {"fits", result.exitCode == kExitSuccess},
                               {"message", result.message}});
    };
    if (!plan.device) {
        checked();
        return result;
    }
    for (const QString& line : FileFuseLines(plan.device, {parsed->fuses.fuse, parsed->fuses.fuseHigh, parsed->fuses.lock}))
        PrintOut(line);
    const int beyond = parsed->codeBeyond + parsed->eepromBeyond;
    if (beyond > 0) {
        result.message = T(texts::kBeyondDevice).arg(beyond);
        result.exitCode = kExitInput;
    } else {
        result.message = T(texts::kFits).arg(Tr(plan.device->Name()));
    }
    (result.exitCode == kExitSuccess ? PrintOut : PrintErr)(result.message);
    checked();
    return result;
}

// Asks the writer on `path`; `found` takes "path<TAB>firmware" when one answers. The writer's exit code.
int ProbeForWriter(Plan plan, const QString& path, QStringList& found) {
    plan.ports = {path};
    plan.quiet = true;
    int code = kExitLink;
    Writer writer(plan, path, true, g_interrupts);
    writer.Run([&](const ChipResult& r) {
        code = r.exitCode;
        if (r.exitCode == kExitSuccess) {
            found << r.path + QLatin1Char('\t') + r.firmware;
            events::Emit("writer", {{"firmware", r.firmware}, {"path", r.path}}, r.port);
        }
    });
    return code;
}

// Every detected port, one after the other: where does a writer answer?
int DetectEverywhere(const Plan& plan) {
    core::IniSettingsStore settings;
    link::PortMap map(settings);
    QStringList found;
    for (const link::DetectedPort& port : map.Detected())
        if (ProbeForWriter(plan, port.path, found) == kExitCancelled) return kExitCancelled;
    for (const QString& line : found) PrintOut(line);
    if (found.isEmpty()) {
        PrintErr(T(texts::kNoWriter));
        return kExitLink;
    }
    return kExitSuccess;
}

// Waits for a port that was not there at the start (or came back after it went) and a writer answering on
// it; Ctrl-C ends the wait.
int DetectOnNewPort(const Plan& plan) {
    core::IniSettingsStore settings;
    link::PortMap map(settings);
    link::PortWatcher watcher;
    QSet<QString> known;
    for (const link::DetectedPort& port : map.Detected()) known.insert(port.path);
    if (!watcher.IsLive()) PrintErr(T(texts::kNoPortMonitor));
    PrintErr(T(texts::kWaitingForWriter));
    // The second bounds how late Ctrl-C is seen when it lands just before the wait begins; without a
    // monitor it is how often the ports are listed again.
    constexpr std::chrono::seconds kRecheck{1};
    while (!g_interrupts.cancel.IsCancelled()) {
        if (!watcher.WaitForChange(kRecheck) && watcher.IsLive()) continue;
        QSet<QString> present;
        for (const link::DetectedPort& port : map.Detected()) {
            present.insert(port.path);
            if (known.contains(port.path) || g_interrupts.cancel.IsCancelled()) continue;
            known.insert(port.path);
            QStringList found;
            const int code = ProbeForWriter(plan, port.path, found);
            if (code == kExitCancelled) break;
            if (!found.isEmpty()) {
                PrintOut(found.first());
                return kExitSuccess;
            }
        }
        // A port pulled out and plugged in again is new again.
        known &= present;
    }
    PrintErr(T(texts::kWaitCancelled));
    return kExitCancelled;
}

// The store's records, newest first.
int ShowHistory(const Plan& plan) {
    if (plan.stats) return ShowYield(plan);
    production::ChipStore store(plan.dbPath, &g_interrupts.cancel);
    QList<production::ChipRecord> records;
    production::StoreResult result = store.Open(production::ChipStore::OpenMode::Existing);
    if (result.Ok()) result = store.History(plan.history, records);
    if (!result.Ok()) {
        if (result.problem == production::StoreProblem::Missing) result.detail = production::WithoutPassword(plan.dbPath);
        PrintErr(StoreProblemText(result));
        return result.problem == production::StoreProblem::Cancelled ? kExitCancelled : kExitLink;
    }
    if (plan.json) {
        for (const production::ChipRecord& record : records) events::Record(record);
        return kExitSuccess;
    }
    for (const production::ChipRecord& record : records) PrintOut(HistoryLine(record));
    return kExitSuccess;
}

// The records of the run: the chip log's line for each outcome as it comes, and the report at the end.
// A record that cannot be written fails the run.
class Records {
public:
    explicit Records(const Plan& plan) : m_plan(plan) {}

    void Add(ChipResult& result) {
        const QMutexLocker locker(&m_mutex);
        if (!m_plan.logPath.isEmpty()) {
            if (const auto why = AppendOutput(m_plan.logPath, kLogHeader, LogLine(m_plan, result))) {
                PrintErr(*why);
                MarkOutputFailed(result, *why);
            }
        }
        // The report too is written as each outcome comes (standard output takes it once, at the end), so
        // the result line can say that it could not be.
        if (!m_plan.reportPath.isEmpty() && m_plan.reportPath != QLatin1String("-")) {
            QList<int> codes{result.exitCode};
            for (const ChipResult& r : m_results) codes << r.exitCode;
            if (const auto why = WriteOutput(m_plan.reportPath,
                                             ReportJson(m_plan, m_results + QList{result}, CombineExitCodes(codes), {}))) {
                if (!std::exchange(m_reportFailed, true)) PrintErr(*why);
                MarkOutputFailed(result, *why);
            }
        }
        m_results.append(result);
    }

    // The report, when one was asked for; `exitCode` becomes the link's code when it cannot be written.
    void Finish(int& exitCode, const QString& failure = {}) {
        if (m_plan.reportPath.isEmpty()) return;
        if (const auto why = WriteOutput(m_plan.reportPath, ReportJson(m_plan, m_results, exitCode, failure))) {
            if (!m_reportFailed) PrintErr(*why);
            if (exitCode == kExitSuccess) exitCode = kExitLink;
        }
    }

private:
    const Plan& m_plan;
    QMutex m_mutex;
    QList<ChipResult> m_results;
    bool m_reportFailed = false;  // and said so
};

// --- Watch -------------------------------------------------------------------------------------------------

constexpr int kInterruptPollMs = 100;

QStringList WatchedFiles(const Plan& plan) {
    QStringList files{plan.codePath};
    if (!plan.eepromPath.isEmpty()) files << plan.eepromPath;
    return files;
}

// Programs at once, then again after each settled change of the files, until Ctrl-C. The code is the last
// run's, a refused file counting as an input error.
int Watch(Plan& plan, const std::function<int()>& programAll) {
    int last = programAll();
    int runs = 1;
    core::FileWatcher watcher;
    watcher.Follow(WatchedFiles(plan));
    QEventLoop loop;
    QTimer poll;
    const auto waiting = [&] {
        PrintErr(T(texts::kWatching).arg(WatchedFiles(plan).join(QStringLiteral(", "))));
    };
    QObject::connect(&watcher, &core::FileWatcher::fileGone, &loop,
                     [](const QString& path) { PrintErr(T(texts::kWatchGone).arg(path)); });
    QObject::connect(&watcher, &core::FileWatcher::fileBack, &loop,
                     [](const QString& path) { PrintErr(T(texts::kWatchBack).arg(path)); });
    QObject::connect(&watcher, &core::FileWatcher::settled, &loop, [&] {
        if (!watcher.TakeChange()) return;
        PrintErr(T(texts::kWatchChanged).arg(WatchedFiles(plan).join(QStringLiteral(", "))));
        if (const auto refused = ReadPlanInputs(plan)) {
            last = *refused;
        } else {
            // A change during the run raises its notice meanwhile; it is taken after the run.
            last = programAll();
            ++runs;
        }
        if (g_interrupts.cancel.IsCancelled()) return loop.quit();
        waiting();
    });
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (g_interrupts.cancel.IsCancelled()) loop.quit();
    });
    if (!g_interrupts.cancel.IsCancelled()) {
        poll.start(kInterruptPollMs);
        waiting();
        loop.exec();
    }
    PrintErr(T(texts::kWatchEnded).arg(runs).arg(last));
    return last;
}

}  // namespace

int CombineExitCodes(const QList<int>& codes) {
    for (int code : {int(kExitLink), int(kExitChip), int(kExitMismatch), int(kExitCancelled)})
        if (codes.contains(code)) return code;
    for (int code : codes)
        if (code != kExitSuccess) return code;
    return kExitSuccess;
}

namespace {

// A chip's or the run's end, also on the event stream.
void SayRefusedRun(const Plan& plan, int code) {
    if (code != kExitSuccess && !plan.failure.isEmpty())
        events::Emit("error", {{"code", events::CodeOf(code)}, {"message", plan.failure}});
}

int RunParsed(Plan& plan, std::optional<int> ended);

}  // namespace

int RunCommandLine(const QStringList& arguments) {
    // The stream is known before the options are parsed, so a refused option is an event too.
    if (arguments.contains(QStringLiteral("--json"))) {
        events::Enable();
        ReserveStdout(arguments.contains(QStringLiteral("-q")) || arguments.contains(QStringLiteral("--quiet")));
        // A reader that goes away must not end the run in the middle of a chip: writes then fail instead.
        std::signal(SIGPIPE, SIG_IGN);
    }
    Plan plan;
    const auto ended = ParsePlan(arguments, plan);
    events::Start(plan.command);
    return events::End(RunParsed(plan, ended));
}

namespace {

int RunParsed(Plan& plan, std::optional<int> ended) {
    if (ended) {
        // A run that ends before the writer is touched still replaces an older report with its reason.
        int code = *ended;
        if (code != kExitSuccess) Records(plan).Finish(code, plan.failure);
        SayRefusedRun(plan, code);
        return code;
    }
    if (plan.command == QLatin1String("ports")) return ListPorts();
    g_updateRefusal = (T(texts::kUpdateNoCancel) + QLatin1Char('\n')).toUtf8();
    InstallSignalHandlers();
    if (plan.command == QLatin1String("history")) return ShowHistory(plan);
    if (IsJobCommand(plan.command)) {
        // A store that cannot serve the job is refused once, before any port is opened.
        const operations::JobReport refused = operations::CheckJobStore(JobOf(plan), &g_interrupts.cancel);
        if (refused.end != operations::JobEnd::Ran) {
            ChipResult result;
            SayJobRefusal(plan, result, refused);
            PrintErr(result.message);
            plan.failure = result.message;
            int code = result.exitCode;
            Records cancelled(plan);
            // A cancelled wait leaves its line in the chip log too, as a cancelled chip's run does.
            result.finished = QDateTime::currentDateTimeUtc();
            if (code == kExitCancelled) cancelled.Add(result);
            cancelled.Finish(code, plan.failure);
            SayRefusedRun(plan, code);
            return code;
        }
    }
    Records records(plan);
    if (plan.command == QLatin1String("check")) {
        ChipResult result = CheckFiles(plan);
        records.Add(result);
        int code = result.exitCode;
        records.Finish(code);
        return code;
    }

    if (plan.command == QLatin1String("doctor")) return RunDoctor(plan, g_interrupts.cancel);
    if (plan.command == QLatin1String("detect") && plan.wait) return DetectOnNewPort(plan);
    if (plan.command == QLatin1String("detect") && plan.ports.isEmpty()) return DetectEverywhere(plan);

    const QStringList ports = plan.ports.isEmpty() ? QStringList{QStringLiteral("COM%1").arg(core::ReadInt(
                                                         core::IniSettingsStore(), core::keys::ComNox))}
                                                   : plan.ports;
    const bool alone = ports.size() == 1;
    const std::shared_ptr<Trigger> trigger = plan.trigger ? Trigger::FromStdin(ports) : nullptr;
    // A writer's code also takes in a record of its that could not be written.
    const auto run = [&](const QString& port) {
        Writer writer(plan, port, alone, g_interrupts);
        writer.UseTrigger(trigger.get());
        int recordFailed = kExitSuccess;
        int code = writer.Run([&](const ChipResult& r) {
            ChipResult kept = r;
            records.Add(kept);
            if (kept.outputFailed && !r.outputFailed) recordFailed = kExitLink;
            events::ChipEnded(plan, kept);
            const QString prefix = alone ? QString() : kept.port + QStringLiteral(": ");
            (plan.PrintsData() ? PrintErr : PrintOut)(ResultLine(kept, alone));
            for (const QString& line : kept.data) PrintOut(prefix + line);
            for (const QString& line : kept.details) PrintErr(prefix + line);
        });
        return CombineExitCodes({code, recordFailed});
    };

    const auto runAll = [&] {
        if (alone) return run(ports.first());
        // One worker a writer: each owns its port and clock.
        QList<int> threadCodes(ports.size(), kExitLink);
        std::vector<std::unique_ptr<QThread>> threads;
        for (int i = 0; i < ports.size(); ++i) {
            threads.emplace_back(QThread::create([&, i] { threadCodes[i] = run(ports.at(i)); }));
            threads.back()->start();
        }
        for (auto& thread : threads) thread->wait();
        return CombineExitCodes(threadCodes);
    };
    int combined = plan.watch ? Watch(plan, runAll) : runAll();
    records.Finish(combined);
    return combined;
}

}  // namespace

}  // namespace zendra::cli
