#include "cli/Writer.h"
#include "operations/Station.h"

#include <unistd.h>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>

#include "cli/Events.h"
#include "cli/Inputs.h"
#include "cli/Outputs.h"
#include "cli/Render.h"
#include "core/Language.h"
#include "core/Settings.h"
#include "image/CodeFormats.h"
#include "image/FileCommands.h"
#include "image/ImageTexts.h"
#include "image/IntelHex.h"
#include "link/LinkTexts.h"
#include "link/PortMap.h"
#include "link/SystemPort.h"
#include "operations/Identify.h"
#include "operations/OperationTexts.h"
#include "operations/SocketWatch.h"

#include <QSysInfo>
namespace zendra::cli {

namespace {

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

// The ports the system has, for a port name that leads nowhere.
QString DetectedPortsLine(const link::PortMap& ports) {
    QStringList paths;
    for (const link::DetectedPort& port : ports.Detected()) paths << port.path;
    return paths.isEmpty() ? T(texts::kNoPortsDetected)
                           : T(texts::kDetectedPorts).arg(paths.join(QStringLiteral(", ")));
}

}  // namespace

bool Writer::ExplainUnusablePort(ChipResult& result, const link::PortMap& ports) {
    const link::PortProbe probe = link::ProbePort(m_path);
    using link::PortProblem;
    switch (probe.problem) {
        case PortProblem::None:
            return true;
        case PortProblem::NoSuchPort:
            result.message = T(texts::kUnknownPort).arg(m_portText);
            result.details << DetectedPortsLine(ports);
            break;
        case PortProblem::NoPermission: {
            // A device of root's own is no group's to join; serial ports belong to dialout.
            const bool group = !probe.group.isEmpty() && probe.group != QLatin1String("root");
            result.message = T(texts::kPortDenied).arg(m_portText);
            result.details << T(texts::kJoinGroup).arg(group ? probe.group : QStringLiteral("dialout"));
            break;
        }
        case PortProblem::InUse:
            result.message = T(texts::kPortBusy).arg(m_portText);
            if (!probe.holders.isEmpty())
                result.details << T(texts::kHeldBy).arg(probe.holders.join(QStringLiteral(", ")));
            result.details << T(texts::kEndOtherProgram);
            break;
        case PortProblem::NotSerial:
            result.message = T(texts::kPortNotSerial).arg(m_portText);
            break;
        case PortProblem::Other:
            result.message = T(texts::kPortOpenFailed).arg(m_portText);
            break;
    }
    if (!probe.system.isEmpty()) result.message += QStringLiteral(" (") + probe.system + QLatin1Char(')');
    result.exitCode = kExitLink;
    return false;
}

void Writer::SayFailure(ChipResult& result, const QString& text) {
    // The operations' advice for a writer that does not answer names the windows' menus and dialogs.
    if (text != link::texts::kNoCommunicationNotice && text != link::texts::kWriterNotFound) {
        result.message = Tr(text);
        return;
    }
    result.message = T(texts::kNoAnswer).arg(m_portText);
    result.details << T(texts::kNoAnswerAdvice);
}

bool Writer::Prepare(ChipResult& result) {
    core::IniSettingsStore settings;  // the windows' store, only read
    link::PortMap ports(settings);
    const operations::GivenPort port = operations::ResolveGivenPort(
        m_portText, [&ports](int n) { return ports.Resolve(n); }, [&ports](int n) { return ports.Assigned(n); });
    m_name = port.comGiven ? QString() : m_portText;
    m_number = port.number > 0 ? port.number : 1;  // a path no entry leads to names itself
    m_path = port.path;
    result.port = m_portText;
    result.path = m_path;
    m_progress = std::make_unique<ConsoleProgress>(ConsoleStyle{.label = m_alone ? QString() : m_portText,
                                                                .bar = m_alone && ::isatty(STDERR_FILENO),
                                                                .quiet = m_plan.quiet,
                                                                .verbose = m_plan.verbose});
    if (m_path.isEmpty()) {
        result.message = T(texts::kUnknownPort).arg(m_portText);
        result.details << T(texts::kComNotAssigned) << DetectedPortsLine(ports);
        return false;
    }

    switch (m_lock.Acquire(m_path)) {
        case PortLock::Outcome::Taken:
            break;
        case PortLock::Outcome::TakenOver:
            PrintErr(T(texts::kStaleLockTaken).arg(m_lock.FileName()));
            break;
        case PortLock::Outcome::Held:
            result.message = T(texts::kPortInUse).arg(m_path) + QStringLiteral(" (") + m_lock.FileName() +
                             QLatin1Char(')');
            return false;
        case PortLock::Outcome::Failed:
            result.message = T(texts::kLockFailed).arg(m_lock.FileName());
            return false;
    }

    // Said once, before the first command: a port that cannot be opened says why, in the terminal's terms.
    if (!m_systemPort && !ExplainUnusablePort(result, ports)) return false;
    HintSlowAdapter(m_path);
    m_systemPort = link::MakeSystemSerialPort();
    m_port = m_systemPort.get();
    if (m_plan.verbose) {
        m_trace = std::make_unique<WireTrace>(*m_systemPort, m_portText);
        m_port = m_trace.get();
    }
    return true;
}

}  // namespace zendra::cli
