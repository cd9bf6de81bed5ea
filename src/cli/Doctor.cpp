#include "cli/Doctor.h"

#include <QRegularExpression>

#include "cli/Cli.h"
#include "cli/Console.h"
#include "core/Settings.h"
#include "link/PortMap.h"
#include "link/SystemPort.h"
#include "operations/ConnectionCheck.h"

namespace zendra::cli {

namespace {

using operations::CheckStanding;

QString StandingWord(CheckStanding standing) {
    switch (standing) {
        case CheckStanding::Ok: return QStringLiteral("ok");
        case CheckStanding::Warn: return QStringLiteral("warn");
        case CheckStanding::Fail: return QStringLiteral("fail");
    }
    return {};
}

// A "COMn" entry of the windows' settings store (only read) or a device path; empty when nothing resolves.
QString PathOf(const QString& port, const link::PortMap& ports) {
    static const QRegularExpression comEntry(QStringLiteral("^COM([0-9]+)$"), QRegularExpression::CaseInsensitiveOption);
    const auto match = comEntry.match(port);
    if (!match.hasMatch()) return port;
    const int number = match.captured(1).toInt();
    return number >= 1 && number <= core::kComPortCount ? ports.Resolve(number) : QString();
}

// The steps of one port, printed as they are; the port's exit code.
int CheckOnePort(const Plan& plan, const QString& path, const core::CancelToken& cancel) {
    std::unique_ptr<link::SerialPort> port = link::MakeSystemSerialPort();
    core::SystemTiming timing;
    SilentProgress silent;
    operations::Environment env{*port, timing, silent, silent, &cancel};
    const QList<operations::CheckStep> steps =
        operations::RunConnectionCheck(env, {.path = path, .chosen = plan.device});
    for (const operations::CheckStep& step : steps) {
        PrintOut(StandingWord(step.standing) + QLatin1Char(' ') + step.name + QStringLiteral(": ") + Tr(step.detail));
        for (const QString& advice : step.advice)
            for (const QString& line : Tr(advice).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
                PrintErr(QStringLiteral("  ") + line);
    }
    if (cancel.IsCancelled()) return kExitCancelled;
    const operations::CheckStep* failed = operations::FailedStep(steps);
    if (!failed) return kExitSuccess;
    return failed->chipFault ? kExitChip : kExitLink;
}

}  // namespace

int RunDoctor(const Plan& plan, const core::CancelToken& cancel) {
    core::IniSettingsStore settings;
    const link::PortMap ports(settings);
    QStringList paths;
    for (const QString& port : plan.ports) {
        const QString path = PathOf(port, ports);
        if (path.isEmpty()) {
            PrintOut(QStringLiteral("fail port: ") + T(texts::kUnknownPort).arg(port));
            PrintErr(QStringLiteral("  ") + T(texts::kComNotAssigned));
            return kExitLink;
        }
        paths << path;
    }
    if (plan.ports.isEmpty())
        for (const link::DetectedPort& detected : ports.Detected()) paths << detected.path;
    if (paths.isEmpty()) {
        PrintOut(QStringLiteral("fail port: ") + T(texts::kNoPortsDetected));
        return kExitLink;
    }
    QList<int> codes;
    for (const QString& path : paths) {
        codes << CheckOnePort(plan, path, cancel);
        if (codes.last() == kExitCancelled) return kExitCancelled;
    }
    return CombineExitCodes(codes);
}

}  // namespace zendra::cli
