#include "cli/Cli.h"

#include <unistd.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QLockFile>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QThread>
#include <atomic>
#include <csignal>
#include <memory>

#include "cli/Console.h"
#include "core/BoundedFile.h"
#include "core/Language.h"
#include "core/Product.h"
#include "core/Settings.h"
#include "devices/Catalogue.h"
#include "devices/Encodings.h"
#include "image/FileCommands.h"
#include "image/ImageTexts.h"
#include "image/IntelHex.h"
#include "link/Commands.h"
#include "link/PortMap.h"
#include "link/SystemPort.h"
#include "link/Texts.h"
#include "operations/Flows.h"
#include "operations/Texts.h"
#include "operations/UsedPart.h"
#include "update/UpdateFile.h"
#include "update/UpdateTexts.h"

namespace zendra::cli {

namespace {

using operations::Report;
using operations::Verdict;

// --- Ctrl-C ----------------------------------------------------------------------------------------------

core::CancelToken g_cancel;
std::atomic<bool> g_updating{false};
QByteArray g_updateRefusal;  // written from the signal handler, so prepared beforehand

void OnInterrupt(int) {
    if (g_updating.load()) {
        // The writer cannot be returned to a usable state in the middle of a firmware update.
        [[maybe_unused]] const auto written =
            ::write(STDERR_FILENO, g_updateRefusal.constData(), static_cast<size_t>(g_updateRefusal.size()));
        return;
    }
    g_cancel.Cancel();
}

// --- The plan: what the command line asks for, checked before the writer is touched -----------------

struct InputFile {
    QString role;  // "code", "eeprom", "firmware", "out-code", "out-eeprom"
    QString path;
    QString sha256;
};

struct Plan {
    QString command;  // "program", "verify", "read", "erase", "fuse-read", "fuse-write", "detect", "update"
    QStringList ports;
    const devices::Device* device = nullptr;  // from --device; null: the chip's signature decides
    QList<QPair<core::PanelControl, int>> fuseChoices;
    QString codePath, eepromPath, outCode, outEeprom, firmwarePath;
    QByteArray codeBytes, eepromBytes;  // the input files as read
    QList<InputFile> files;
    bool repeat = false, quiet = false, verbose = false;
    QString reportPath, logPath;
};

struct Failure {
    int code;
    QString text;
};

QString Sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// Reads an input file; a refusal says which file and why.
std::optional<QByteArray> ReadInput(const QString& path, Failure& failure) {
    const core::BoundedRead read = core::ReadBoundedFile(path);
    if (read.Ok()) return read.bytes;
    image::HexReadResult why;
    why.rejection = image::HexRejection::Unreadable;
    why.file = read.refusal;
    why.systemReason = read.systemReason;
    failure = {kExitInput,
               T(texts::kFileUnreadable) + path + QStringLiteral(": ") + Tr(image::DescribeRejection(why))};
    return std::nullopt;
}

struct ParsedImages {
    image::MemoryImages images;
    int codeBeyond = 0, eepromBeyond = 0;
    int records = 0;
};

int DataRecords(const QByteArray& text) {
    int records = 0;
    for (const QByteArray& line : text.split('\n'))
        if (line.trimmed().startsWith(':') && line.trimmed().mid(7, 2) == "00") ++records;
    return records;
}

// The files as images for `device` (null: the images' whole capacity); a bad record is a failure that names
// the file and the line.
std::optional<ParsedImages> ParseInputs(const Plan& plan, const devices::Device* device, Failure& failure) {
    ParsedImages parsed;
    const qint32 words = device ? device->flashWords : image::kProgramImageSize / 2;
    const qint32 bytes = device ? device->eepromBytes : image::kEepromImageSize;
    const auto refuse = [&](const QString& readerError, const QString& path, const image::HexReadResult& r) {
        QString text = readerError;
        if (r.line > 0) text += image::texts::kLineSuffix.arg(r.line);
        failure = {kExitInput, T(texts::kFileRefused) + path + QStringLiteral(": ") + Tr(text) +
                                   QStringLiteral(": ") + Tr(image::DescribeRejection(r))};
    };
    if (!plan.codePath.isEmpty()) {
        const auto r = image::ParseCodeHex(plan.codeBytes, parsed.images.ProgramImage, words);
        if (!r.Accepted()) return refuse(image::texts::kCodeReadError, plan.codePath, r), std::nullopt;
        parsed.codeBeyond = r.bytesBeyondDevice;
        parsed.records += DataRecords(plan.codeBytes);
    }
    if (!plan.eepromPath.isEmpty()) {
        const auto r = image::ParseEepromHex(plan.eepromBytes, parsed.images.EepromImage, bytes);
        if (!r.Accepted()) return refuse(image::texts::kEepromReadError, plan.eepromPath, r), std::nullopt;
        parsed.eepromBeyond = r.bytesBeyondDevice;
        parsed.records += DataRecords(plan.eepromBytes);
    }
    return parsed;
}

// --- One writer ------------------------------------------------------------------------------------------

// One chip's outcome on one writer.
struct ChipResult {
    QString port, path;
    int exitCode = kExitLink;
    QString firmware, device, signature;
    QString message;      // the result line's text
    QStringList details;  // lock/fuse lines, verify differences
    std::optional<Report> report;
    QDateTime finished;
};

int ExitFor(const Report& report) {
    switch (report.verdict) {
        case Verdict::Succeeded:
        case Verdict::NothingToDo:
            return kExitSuccess;
        case Verdict::Mismatch:
            return kExitMismatch;
        case Verdict::LinkFailed:
            return kExitLink;
        case Verdict::ChipRefused:
            return kExitChip;
        case Verdict::Cancelled:
            return kExitCancelled;
    }
    return kExitLink;
}

QString DeviceNameText(const devices::Device* device) { return device ? Tr(device->Name()) : QString(); }

class Writer {
public:
    Writer(const Plan& plan, QString portText, bool alone)
        : m_plan(plan), m_portText(std::move(portText)), m_alone(alone) {}

    // Runs the command (and with --repeat the production loop); every chip's result goes to `sink`.
    int Run(const std::function<void(const ChipResult&)>& sink);

private:
    bool Prepare(ChipResult& result);
    std::optional<const devices::Device*> FindDevice(ChipResult& result);
    void RunCommand(ChipResult& result);
    void RunUpdate(ChipResult& result);
    bool WaitForChipChange();
    bool ChipPresent(bool& linkFailed);
    operations::Target TargetFor(const devices::Device* device) const {
        return {.device = device, .port = {.number = m_number, .path = m_path, .saved = true}};
    }
    operations::Environment Environment(core::Progress& progress, core::Prompts& prompts) {
        return {*m_port, m_timing, progress, prompts, &g_cancel};
    }
    void EndCancelled();

    const Plan& m_plan;
    QString m_portText;
    bool m_alone;
    QString m_path;
    int m_number = 1;
    std::unique_ptr<link::SerialPort> m_systemPort;
    std::unique_ptr<WireTrace> m_trace;
    link::SerialPort* m_port = nullptr;
    core::SystemTiming m_timing;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<ConsoleProgress> m_progress;
};

// A USB adapter whose latency timer holds every reply back: said once per port and run, on stderr, since
// a repeated run or several writers would otherwise repeat it.
void HintSlowAdapter(const QString& path) {
    static QMutex mutex;
    static QSet<QString> told;
    const QString hint = link::LatencyTimerHint(path, link::ReadLatencyTimer(path));
    if (hint.isEmpty()) return;
    {
        const QMutexLocker lock(&mutex);
        if (told.contains(path)) return;
        told.insert(path);
    }
    PrintErr(Tr(hint));
}

bool Writer::Prepare(ChipResult& result) {
    core::IniSettingsStore settings;  // the windows' store, only read
    link::PortMap ports(settings);
    static const QRegularExpression comEntry(QStringLiteral("^COM([0-9]+)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    const auto match = comEntry.match(m_portText);
    if (match.hasMatch()) {
        m_number = match.captured(1).toInt();
        m_path = m_number >= 1 && m_number <= core::kComPortCount ? ports.Resolve(m_number) : QString();
    } else {
        m_path = m_portText;
        // The COM entry that already leads there names the port in the status texts.
        for (int n = 1; n <= core::kComPortCount; ++n)
            if (ports.Assigned(n) == m_portText) m_number = n;
    }
    result.port = m_portText;
    result.path = m_path;
    m_progress = std::make_unique<ConsoleProgress>(ConsoleStyle{.label = m_alone ? QString() : m_portText,
                                                                .bar = m_alone && ::isatty(STDERR_FILENO),
                                                                .quiet = m_plan.quiet,
                                                                .verbose = m_plan.verbose});
    if (m_path.isEmpty()) {
        result.message = T(texts::kUnknownPort) + m_portText;
        return false;
    }

    // Two processes never share a writer: one lock per device, in the user's runtime folder.
    const QString device =
        QFileInfo(m_path).canonicalFilePath().isEmpty() ? m_path : QFileInfo(m_path).canonicalFilePath();
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QDir().mkpath(runtime);
    m_lock = std::make_unique<QLockFile>(runtime + QStringLiteral("/zendra-cli-") +
                                         QString(device).replace(QLatin1Char('/'), QLatin1Char('_')) +
                                         QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        result.message = T(texts::kPortInUse) + m_path;
        return false;
    }

    HintSlowAdapter(m_path);
    m_systemPort = link::MakeSystemSerialPort();
    m_port = m_systemPort.get();
    if (m_plan.verbose) {
        m_trace = std::make_unique<WireTrace>(*m_systemPort, m_portText);
        m_port = m_trace.get();
    }
    return true;
}

// The device: --device, or the one catalogue row whose signature the chip answers.
std::optional<const devices::Device*> Writer::FindDevice(ChipResult& result) {
    if (m_plan.device) return m_plan.device;
    SilentProgress silent;
    auto env = Environment(silent, silent);
    const Report probe =
        operations::ProbeChip(env, TargetFor(devices::DeviceAt(operations::kProbeDeviceIndex)));
    result.firmware = probe.firmware;
    result.signature = probe.signature;
    if (probe.verdict == Verdict::Cancelled) {
        result.exitCode = kExitCancelled;
        result.message = Tr(link::texts::kCancelled);
        return std::nullopt;
    }
    if (probe.signatureBytes.size() != 3 || probe.verdict != Verdict::Succeeded) {
        result.exitCode = kExitLink;
        result.message = Tr(probe.notice.isEmpty() ? probe.status : probe.notice);
        return std::nullopt;
    }
    const auto part = quint8(probe.signatureBytes[0]), family = quint8(probe.signatureBytes[1]);
    if (family <= 0x02 || family == 0xFF) {
        // Locked chips and an empty socket answer no signature of a device; an erase still serves a locked
        // one.
        if (m_plan.command == QLatin1String("erase") && family != 0xFF)
            return devices::DeviceAt(operations::kProbeDeviceIndex);
        result.exitCode = kExitChip;
        result.message =
            Tr(family == 0xFF ? link::texts::kChipNotSeated : link::texts::kChipProtectedOrNotSeated);
        return std::nullopt;
    }
    QStringList names;
    const devices::Device* found = nullptr;
    for (const devices::Device& device : devices::DeviceTable()) {
        if (device.family == family && device.part == part) {
            names << Tr(device.Name());
            found = &device;
        }
    }
    if (names.size() != 1) {
        result.exitCode = kExitUsage;
        result.message = names.isEmpty() ? T(texts::kNoSignatureMatch) + probe.signature
                                         : T(texts::kSignatureAmbiguous) + names.join(QStringLiteral(", "));
        return std::nullopt;
    }
    m_progress->Line(T(texts::kChose) + names.first() + QStringLiteral(" (") + probe.signature +
                     QLatin1Char(')'));
    return found;
}

void Writer::EndCancelled() {
    // Back to the writer's base command set, so the next program finds it as after power-up.
    link::Session session{*m_port, m_timing};
    link::ExitAvrCommandSet(session);
    m_port->Close();
}

// The lock/fuse choices as NAME=VALUE lines: the controls the device has, and the lock.
QStringList ChoiceLines(const devices::Device* device, const devices::PanelIndexes& choices) {
    const devices::PanelSetup setup = devices::PanelFor(device);
    QStringList lines;
    for (int i = 0; i < core::kPanelControlCount; ++i) {
        if (!setup.controls[i].enabled) continue;
        lines << devices::ControlName(core::PanelControl(i)) + QLatin1Char('=') + QString::number(choices[i]);
    }
    return lines;
}

devices::PanelIndexes DefaultChoices(const devices::Device* device) {
    const devices::PanelSetup setup = devices::PanelFor(device);
    devices::PanelIndexes choices{};
    for (int i = 0; i < core::kPanelControlCount; ++i) choices[i] = setup.controls[i].index;
    return choices;
}

void Writer::RunCommand(ChipResult& result) {
    const auto device = FindDevice(result);
    if (!device) return;
    result.device = DeviceNameText(*device);
    Failure failure{};
    const auto parsed = ParseInputs(m_plan, *device, failure);
    if (!parsed) {
        result.exitCode = failure.code;
        result.message = failure.text;
        return;
    }
    if (parsed->codeBeyond > 0 || parsed->eepromBeyond > 0) {
        // The chip could not hold what the files hold: no program or verify can be a success.
        QStringList beyond;
        if (parsed->codeBeyond > 0) beyond << Tr(image::texts::kCodeBeyondDevice.arg(parsed->codeBeyond));
        if (parsed->eepromBeyond > 0)
            beyond << Tr(image::texts::kEepromBeyondDevice.arg(parsed->eepromBeyond));
        result.exitCode = kExitInput;
        result.message = beyond.join(QLatin1Char(' '));
        return;
    }

    auto env = Environment(*m_progress, *m_progress);
    const operations::Target target = TargetFor(*device);
    const QString& command = m_plan.command;
    Report report;
    if (command == QLatin1String("program")) {
        report = operations::ProgramCommand(env, target, parsed->images);
    } else if (command == QLatin1String("verify")) {
        report = operations::VerifyCommand(env, target, parsed->images);
    } else if (command == QLatin1String("read")) {
        report = operations::ReadCommand(env, target, image::MemoryImages(), DefaultChoices(*device));
    } else if (command == QLatin1String("erase")) {
        report = operations::EraseCommand(env, target);
    } else if (command == QLatin1String("fuse-read")) {
        report = operations::ReadLockFuseCommand(env, target, DefaultChoices(*device));
    } else if (command == QLatin1String("fuse-write")) {
        // What is not named stays as the chip holds it: read first, then change only the named choices.
        report = operations::ReadLockFuseCommand(env, target, DefaultChoices(*device));
        if (report.Succeeded() && report.panel) {
            devices::PanelIndexes choices = *report.panel;
            for (const auto& [control, value] : m_plan.fuseChoices) choices[int(control)] = value;
            const int reset = int(core::PanelControl::RSTDISABL);
            if (choices[reset] != (*report.panel)[reset] &&
                devices::ResetWarningApplies(*device, choices[reset]))
                m_progress->Line(Tr(operations::texts::kResetDisableWarning));
            report = operations::WriteLockFuseCommand(env, target, choices);
            report.panel = choices;
        }
    } else if (command == QLatin1String("detect")) {
        report = operations::CheckCommunicationCommand(env, target);
    }

    result.report = report;
    result.exitCode = ExitFor(report);
    if (!report.firmware.isEmpty()) result.firmware = report.firmware;
    if (!report.signature.isEmpty()) result.signature = report.signature;
    result.message = Tr(report.status);
    if (report.verdict == Verdict::Cancelled) {
        EndCancelled();
        result.message = Tr(link::texts::kCancelled);
    } else if (!report.notice.isEmpty() && !report.Succeeded()) {
        result.message = Tr(report.notice);
    } else if (!report.notice.isEmpty() && report.notice != report.status) {
        result.details << Tr(report.notice);  // a warning that stays up after a success
    }
    for (const operations::Difference& d : report.differences) {
        const int digits = d.memory == operations::Memory::Flash ? 4 : 2;
        result.details
            << QStringLiteral("%1 %2 %3: %4 %5 %6 %7")
                   .arg(T(texts::kDifference),
                        d.memory == operations::Memory::Flash ? QStringLiteral("flash")
                                                              : QStringLiteral("eeprom"),
                        QStringLiteral("%1").arg(d.address, 4, 16, QLatin1Char('0')).toUpper(),
                        T(texts::kFileValue),
                        QStringLiteral("%1").arg(d.expected, digits, 16, QLatin1Char('0')).toUpper(),
                        T(texts::kChipValue),
                        QStringLiteral("%1").arg(d.actual, digits, 16, QLatin1Char('0')).toUpper());
    }
    if (command == QLatin1String("detect") && report.Succeeded())
        result.details << m_path + QLatin1Char('\t') + result.firmware;
    const bool fuseCommand = command.startsWith(QLatin1String("fuse")) || command == QLatin1String("read");
    if (fuseCommand && report.panel && report.errorFlag == 0)
        result.details << ChoiceLines(*device, *report.panel);
    if (command == QLatin1String("read") && report.images && result.exitCode == kExitSuccess) {
        const auto save = [&](const QString& path, const QByteArray& text) {
            if (path.isEmpty()) return;
            if (image::SaveFileContents(path, text) != image::SaveFailure::None) {
                result.exitCode = kExitInput;
                result.message = T(texts::kSaveFailed) + path;
                return;
            }
            result.details << T(texts::kSaved) + path;
        };
        save(m_plan.outCode, image::CodeHexText(report.images->ProgramImage, (*device)->flashWords));
        save(m_plan.outEeprom, image::EepromHexText(report.images->EepromImage, (*device)->eepromBytes));
    }
}

void Writer::RunUpdate(ChipResult& result) {
    update::PrepareUpdatePort(*m_port, QStringLiteral("57600"));
    if (!m_port->Open(m_path)) {
        result.exitCode = kExitLink;
        result.message = T(texts::kUnknownPort) + m_path + QLatin1Char(' ') + m_port->OpenFailureReason();
        return;
    }
    ConsoleUpdateDisplay display(*m_progress);
    update::UpdateLink link{*m_port, m_timing, display};
    if (const auto version = update::ReadFirmwareVersion(link)) result.firmware = *version;
    g_updating = true;
    const update::TransferResult sent = update::SendFirmwareFile(link, m_plan.firmwarePath);
    g_updating = false;
    m_port->Close();
    result.exitCode = sent == update::TransferResult::Completed ? kExitSuccess
                      : sent == update::TransferResult::Refused ? kExitInput
                                                                : kExitLink;
    result.message =
        (sent == update::TransferResult::Completed ? T(texts::kUpdateDone) : T(texts::kUpdateFailed)) +
        QStringLiteral(": ") + Tr(display.LastText());
}

// Whether a chip answers in the socket (false for an empty one); `linkFailed` when the writer is gone.
bool Writer::ChipPresent(bool& linkFailed) {
    SilentProgress silent;
    auto env = Environment(silent, silent);
    const Report probe =
        operations::ProbeChip(env, TargetFor(devices::DeviceAt(operations::kProbeDeviceIndex)));
    linkFailed = probe.signatureBytes.size() != 3 && probe.verdict != Verdict::Cancelled;
    return probe.signatureBytes.size() == 3 && quint8(probe.signatureBytes[1]) != 0xFF;
}

// The production loop's wait: the chip goes, then the next one comes; false when cancelled or the writer
// went away.
bool Writer::WaitForChipChange() {
    constexpr auto kPollInterval = std::chrono::milliseconds(500);
    for (const bool wanted : {false, true}) {
        m_progress->Line(T(wanted ? texts::kWaitInsert : texts::kWaitRemove));
        for (;;) {
            if (g_cancel.IsCancelled()) return false;
            bool linkFailed = false;
            const bool present = ChipPresent(linkFailed);
            if (linkFailed) return false;
            if (present == wanted) break;
            m_timing.RunEventsFor(kPollInterval);
        }
    }
    return true;
}

int Writer::Run(const std::function<void(const ChipResult&)>& sink) {
    int passes = 0, failures = 0;
    for (;;) {
        ChipResult result;
        if (Prepare(result)) {
            if (m_plan.command == QLatin1String("update"))
                RunUpdate(result);
            else
                RunCommand(result);
        }
        result.finished = QDateTime::currentDateTimeUtc();
        (result.exitCode == kExitSuccess ? passes : failures) += 1;
        sink(result);
        if (!m_plan.repeat || result.exitCode == kExitCancelled || !m_port) return result.exitCode;
        m_progress->Line(QStringLiteral("%1 %2, %3 %4")
                             .arg(T(texts::kPasses))
                             .arg(passes)
                             .arg(T(texts::kFailures))
                             .arg(failures));
        if (!WaitForChipChange()) break;
    }
    PrintOut((m_alone ? QString() : m_portText + QStringLiteral(": ")) + QStringLiteral("%1 %2, %3 %4")
                                                                             .arg(T(texts::kPasses))
                                                                             .arg(passes)
                                                                             .arg(T(texts::kFailures))
                                                                             .arg(failures));
    return failures == 0 ? kExitSuccess : kExitMismatch;
}

// --- Output ----------------------------------------------------------------------------------------------

// The word for how a chip's run ended, also when it ended before an operation ran.
QString VerdictWord(const ChipResult& r) {
    if (r.report) return operations::VerdictName(r.report->verdict);
    switch (r.exitCode) {
        case kExitInput:
            return QStringLiteral("input-invalid");
        case kExitUsage:
            return QStringLiteral("no-device");
        case kExitChip:
            return QStringLiteral("chip-refused");
        case kExitCancelled:
            return QStringLiteral("cancelled");
        default:
            return QStringLiteral("link-failed");
    }
}

QString ResultLine(const ChipResult& r, bool alone) {
    QString line = alone ? QString() : r.port + QStringLiteral(": ");
    line += VerdictWord(r);
    if (!r.message.isEmpty()) line += QStringLiteral(" - ") + r.message;
    if (r.report) line += QStringLiteral(" (%1 s)").arg(r.report->figures.seconds, 0, 'f', 1);
    return line;
}

QJsonObject ChipJson(const Plan& plan, const ChipResult& r) {
    QJsonObject o{{"port", r.port},           {"path", r.path},
                  {"firmware", r.firmware},   {"device", r.device},
                  {"signature", r.signature}, {"exitCode", r.exitCode},
                  {"message", r.message},     {"time", r.finished.toString(Qt::ISODate)}};
    QJsonArray files;
    for (const InputFile& f : plan.files)
        files.append(QJsonObject{{"role", f.role}, {"path", f.path}, {"sha256", f.sha256}});
    o.insert("files", files);
    if (r.report) {
        const Report& report = *r.report;
        o.insert("verdict", operations::VerdictName(report.verdict));
        o.insert("status", Tr(report.status));
        o.insert("exchanges", double(report.figures.exchanges));
        o.insert("bytesOut", double(report.figures.bytesOut));
        o.insert("bytesIn", double(report.figures.bytesIn));
        o.insert("seconds", report.figures.seconds);
        QJsonArray phases;
        for (const auto& p : report.phases)
            phases.append(
                QJsonObject{{"phase", operations::PhaseName(p.phase)}, {"ok", p.ok}, {"text", Tr(p.text)}});
        o.insert("phases", phases);
        QJsonArray differences;
        for (const auto& d : report.differences)
            differences.append(
                QJsonObject{{"memory", d.memory == operations::Memory::Flash ? "flash" : "eeprom"},
                            {"address", d.address},
                            {"file", d.expected},
                            {"chip", d.actual}});
        o.insert("differences", differences);
    } else {
        o.insert("verdict", VerdictWord(r));
    }
    return o;
}

// The chip log: one CSV line per chip, with a header line when the file is new.
bool AppendLog(const Plan& plan, const ChipResult& r) {
    QFile file(plan.logPath);
    const bool fresh = !file.exists() || file.size() == 0;
    if (!file.open(QIODevice::Append | QIODevice::Text)) return false;
    const auto field = [](QString text) {
        if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))) {
            text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            text = QLatin1Char('"') + text + QLatin1Char('"');
        }
        return text;
    };
    if (fresh) file.write("time,port,firmware,device,signature,file_sha256,command,verdict,seconds\n");
    QString sha;
    for (const InputFile& f : plan.files)
        if (f.role == QLatin1String("code") || f.role == QLatin1String("firmware")) sha = f.sha256;
    const QStringList fields{r.finished.toString(Qt::ISODate),
                             field(r.port),
                             field(r.firmware),
                             field(r.device),
                             r.signature,
                             sha,
                             plan.command,
                             VerdictWord(r),
                             r.report ? QString::number(r.report->figures.seconds, 'f', 2) : QString()};
    file.write(fields.join(QLatin1Char(',')).toUtf8() + '\n');
    return true;
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
        PrintOut(QStringList{port.path, port.description, port.usbId, port.serial, port.byIdLink,
                             entries.join(QLatin1Char(' ')), latency}
                     .join(QLatin1Char('\t')));
    }
    return kExitSuccess;
}

int CheckFiles(const Plan& plan) {
    Failure failure{};
    const auto parsed = ParseInputs(plan, plan.device, failure);
    if (!parsed) {
        PrintErr(failure.text);
        return failure.code;
    }
    const qint32 words = operations::LastUsedWord(parsed->images, image::kProgramImageSize / 2) + 1;
    const qint32 bytes = operations::LastUsedByte(parsed->images, image::kEepromImageSize) + 1;
    PrintOut(QStringLiteral("%1: %2").arg(T(texts::kRecords)).arg(parsed->records));
    PrintOut(QStringLiteral("%1: %2").arg(T(texts::kUsedFlash)).arg(words));
    PrintOut(QStringLiteral("%1: %2").arg(T(texts::kUsedEeprom)).arg(bytes));
    if (!plan.device) return kExitSuccess;
    const int beyond = parsed->codeBeyond + parsed->eepromBeyond;
    if (beyond > 0) {
        PrintOut(T(texts::kBeyondDevice) + QString::number(beyond));
        return kExitInput;
    }
    PrintOut(T(texts::kFits) + DeviceNameText(plan.device));
    return kExitSuccess;
}

// --- Parsing ---------------------------------------------------------------------------------------------

QString HelpText(const QCommandLineParser& parser) {
    return parser.helpText() +
           QStringLiteral(
               "\nCommands:\n"
               "  ports                        serial ports: path, description, USB id, serial number, by-id "
               "link, COM entry, USB adapter's latency timer\n"
               "  detect                       find the writer on --port, or on every detected port\n"
               "  check FILE.hex [FILE.eep]    read the files only; with --device, whether they fit it\n"
               "  program FILE.hex [FILE.eep]  check, erase, program and verify\n"
               "  verify FILE.hex [FILE.eep]   compare the whole chip with the files\n"
               "  read OUT.hex [OUT.eep]       read the chip into the files and print its lock/fuse choices\n"
               "  erase                        erase the chip\n"
               "  fuse read                    print the lock/fuse choices as NAME=VALUE lines\n"
               "  fuse write NAME=VALUE...     change those choices (the others stay as the chip holds "
               "them)\n"
               "  update FIRMWARE_FILE         replace the writer's firmware\n"
               "\nExit codes:\n"
               "  0 success; 1 the chip differs from the files; 2 the writer or the link failed; 3 an input "
               "file is\n"
               "  unreadable or invalid; 4 usage error; 5 the chip is wrong or refused; 130 cancelled "
               "(Ctrl-C)\n"
               "\nThe chip log (--log) is CSV: "
               "time,port,firmware,device,signature,file_sha256,command,verdict,seconds\n");
}

std::optional<Plan> ParsePlan(const QStringList& arguments, int& exitCode) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Command line for the KX-WRT540 AVR writer."));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("COMn entry or device path; repeat for a gang."),
                                  QStringLiteral("P"));
    const QCommandLineOption device(
        QStringLiteral("device"), QStringLiteral("Catalogue name (AT90S8515, ...)."), QStringLiteral("NAME"));
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
    const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("No progress."));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Status lines and the wire bytes as hex."));
    parser.addOptions({help, version, port, device, eeprom, lang, report, log, repeat, quiet, verbose});
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("See the list below."));

    const auto usage = [&](const QString& text) {
        PrintErr(text);
        PrintErr(T(texts::kUsage) + QStringLiteral(": zendra-cli --help"));
        exitCode = kExitUsage;
        return std::nullopt;
    };
    const bool parsed = parser.parse(QStringList{QStringLiteral("zendra-cli")} + arguments);
    // The language first, so every later message is in it.
    const QString langText = parser.value(lang);
    if (!langText.isEmpty() && !core::ParseLanguage(langText))
        return usage(T(texts::kUnknownLanguage) + langText);
    const core::Language language = langText.isEmpty() ? core::LanguageFromLocale(QLocale::system().name())
                                                       : *core::ParseLanguage(langText);
    UseEnglish(language == core::Language::English);
    if (!parsed) return usage(parser.errorText());
    if (parser.isSet(help)) {
        PrintOut(HelpText(parser));
        exitCode = kExitSuccess;
        return std::nullopt;
    }
    if (parser.isSet(version)) {
        PrintOut(QStringLiteral("zendra-cli ") + core::kVersionText);
        exitCode = kExitSuccess;
        return std::nullopt;
    }

    Plan plan;
    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) return usage(T(texts::kUsage));
    plan.command = args.takeFirst();
    if (plan.command == QLatin1String("fuse")) {
        const QString sub = args.isEmpty() ? QString() : args.takeFirst();
        if (sub != QLatin1String("read") && sub != QLatin1String("write"))
            return usage(T(texts::kUnknownCommand) + QStringLiteral("fuse ") + sub);
        plan.command = QStringLiteral("fuse-") + sub;
    }
    plan.ports = parser.values(port);
    plan.repeat = parser.isSet(repeat);
    plan.quiet = parser.isSet(quiet);
    plan.verbose = parser.isSet(verbose);
    plan.reportPath = parser.value(report);
    plan.logPath = parser.value(log);
    if (parser.isSet(device)) {
        const auto index = devices::FindDevice(parser.value(device));
        if (!index) return usage(T(texts::kUnknownDevice) + parser.value(device));
        plan.device = devices::DeviceAt(*index);
    }

    const QString& c = plan.command;
    const auto wantFiles = [&](int least, int most) {
        if (args.size() < least) return usage(T(texts::kMissingFile) + c), false;
        if (args.size() > most) return usage(T(texts::kTooManyArguments) + args.at(most)), false;
        return true;
    };
    if (c == QLatin1String("program") || c == QLatin1String("verify") || c == QLatin1String("check")) {
        if (!wantFiles(1, 2)) return std::nullopt;
        plan.codePath = args.at(0);
        plan.eepromPath = args.size() > 1 ? args.at(1) : parser.value(eeprom);
        if (plan.eepromPath.isEmpty() && QFileInfo(image::SetEepromFileExtension(plan.codePath)).isFile())
            plan.eepromPath = image::SetEepromFileExtension(plan.codePath);
    } else if (c == QLatin1String("read")) {
        if (!wantFiles(1, 2)) return std::nullopt;
        plan.outCode = args.at(0);
        plan.outEeprom = args.size() > 1        ? args.at(1)
                         : parser.isSet(eeprom) ? parser.value(eeprom)
                                                : image::SetEepromFileExtension(plan.outCode);
    } else if (c == QLatin1String("update")) {
        if (!wantFiles(1, 1)) return std::nullopt;
        plan.firmwarePath = args.at(0);
    } else if (c == QLatin1String("fuse-write")) {
        if (args.isEmpty()) return usage(T(texts::kUnknownFuse));
        for (const QString& setting : args) {
            const auto control = devices::ControlByName(setting.section(QLatin1Char('='), 0, 0));
            bool number = false;
            const int value = setting.section(QLatin1Char('='), 1).toInt(&number);
            if (!control || !number || !setting.contains(QLatin1Char('=')))
                return usage(T(texts::kUnknownFuse) + setting);
            if (plan.device) {
                const devices::ControlFill fill = devices::PanelFor(plan.device).controls[int(*control)];
                if (!fill.enabled || value < 0 || value >= fill.entries.size())
                    return usage(T(texts::kFuseWriteNeedsDevice) + setting);
            }
            plan.fuseChoices.append({*control, value});
        }
    } else if (c == QLatin1String("ports") || c == QLatin1String("detect") || c == QLatin1String("erase") ||
               c == QLatin1String("fuse-read")) {
        if (!wantFiles(0, 0)) return std::nullopt;
    } else {
        return usage(T(texts::kUnknownCommand) + c);
    }

    // Input files are read and checked before the writer is touched.
    Failure failure{};
    const auto read = [&](const QString& role, const QString& path, QByteArray* into) {
        if (path.isEmpty()) return true;
        const auto bytes = ReadInput(path, failure);
        if (!bytes) return false;
        if (into) *into = *bytes;
        plan.files.append({role, QFileInfo(path).absoluteFilePath(), Sha256(*bytes)});
        return true;
    };
    if (!read(QStringLiteral("code"), plan.codePath, &plan.codeBytes) ||
        !read(QStringLiteral("eeprom"), plan.eepromPath, &plan.eepromBytes) ||
        !read(QStringLiteral("firmware"), plan.firmwarePath, nullptr)) {
        PrintErr(failure.text);
        exitCode = failure.code;
        return std::nullopt;
    }
    if (!plan.firmwarePath.isEmpty()) {
        const update::UpdateFileContents contents = update::LoadUpdateFile(plan.firmwarePath);
        if (!contents.IsValid()) {
            PrintErr(T(texts::kFileRefused) + plan.firmwarePath + QStringLiteral(": ") +
                     Tr(update::DescribeProblem(contents)));
            exitCode = kExitInput;
            return std::nullopt;
        }
    }
    if (c != QLatin1String("check") && c != QLatin1String("ports")) {
        Failure bad{};
        if (!ParseInputs(plan, nullptr, bad)) {
            PrintErr(bad.text);
            exitCode = bad.code;
            return std::nullopt;
        }
    }
    return plan;
}

// Every detected port, one after the other: where does a writer answer?
int DetectEverywhere(Plan plan) {
    core::IniSettingsStore settings;
    link::PortMap map(settings);
    QStringList found;
    for (const link::DetectedPort& port : map.Detected()) {
        plan.ports = {port.path};
        plan.quiet = true;
        int code = kExitLink;
        Writer writer(plan, port.path, true);
        writer.Run([&](const ChipResult& r) {
            code = r.exitCode;
            if (r.exitCode == kExitSuccess) found << r.path + QLatin1Char('\t') + r.firmware;
        });
        if (code == kExitCancelled) return kExitCancelled;
    }
    for (const QString& line : found) PrintOut(line);
    if (found.isEmpty()) {
        PrintErr(T(texts::kNoWriter));
        return kExitLink;
    }
    return kExitSuccess;
}

}  // namespace

int CombineExitCodes(const QList<int>& codes) {
    for (int code : {int(kExitLink), int(kExitChip), int(kExitMismatch), int(kExitCancelled)})
        if (codes.contains(code)) return code;
    for (int code : codes)
        if (code != kExitSuccess) return code;
    return kExitSuccess;
}

int RunCommandLine(const QStringList& arguments) {
    int exitCode = kExitSuccess;
    const auto planned = ParsePlan(arguments, exitCode);
    if (!planned) return exitCode;
    const Plan& plan = *planned;
    if (plan.command == QLatin1String("ports")) return ListPorts();
    if (plan.command == QLatin1String("check")) return CheckFiles(plan);
    if (plan.command == QLatin1String("detect") && plan.ports.isEmpty()) return DetectEverywhere(plan);

    g_updateRefusal = (T(texts::kUpdateNoCancel) + QLatin1Char('\n')).toUtf8();
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);

    const QStringList ports = plan.ports.isEmpty() ? QStringList{QStringLiteral("COM%1").arg(core::ReadInt(
                                                         core::IniSettingsStore(), core::keys::ComNox))}
                                                   : plan.ports;
    const bool alone = ports.size() == 1;
    QMutex collected;
    QList<ChipResult> results;
    const auto sink = [&](const ChipResult& r) {
        const QMutexLocker locker(&collected);
        results.append(r);
        PrintOut(ResultLine(r, alone));
        for (const QString& line : r.details)
            PrintOut((alone ? QString() : r.port + QStringLiteral(": ")) + line);
        if (!plan.logPath.isEmpty() && !AppendLog(plan, r)) PrintErr(T(texts::kCannotWrite) + plan.logPath);
    };

    QList<int> codes;
    if (alone) {
        Writer writer(plan, ports.first(), true);
        codes << writer.Run(sink);
    } else {
        // One worker a writer: each owns its port and clock.
        QList<int> threadCodes(ports.size(), kExitLink);
        std::vector<std::unique_ptr<QThread>> threads;
        for (int i = 0; i < ports.size(); ++i) {
            threads.emplace_back(QThread::create([&, i] {
                Writer writer(plan, ports.at(i), false);
                threadCodes[i] = writer.Run(sink);
            }));
            threads.back()->start();
        }
        for (auto& thread : threads) thread->wait();
        codes = threadCodes;
    }
    const int combined = CombineExitCodes(codes);

    if (!plan.reportPath.isEmpty()) {
        QJsonArray runs;
        for (const ChipResult& r : results) runs.append(ChipJson(plan, r));
        const QJsonObject document{{"command", plan.command},
                                   {"program", QStringLiteral("zendra-cli ") + core::kVersionText},
                                   {"runs", runs},
                                   {"exitCode", combined}};
        if (image::SaveFileContents(plan.reportPath, QJsonDocument(document).toJson()) !=
            image::SaveFailure::None)
            PrintErr(T(texts::kCannotWrite) + plan.reportPath);
    }
    return combined;
}

}  // namespace zendra::cli
