#include "operations/ConnectionCheck.h"

#include <algorithm>

#include "core/Language.h"
#include "core/Product.h"
#include "link/Commands.h"
#include "link/LinkTexts.h"
#include "link/PortMap.h"
#include "operations/Checks.h"
#include "operations/ConnectionTexts.h"
#include "operations/Identify.h"

namespace zendra::operations {

namespace {

using namespace texts;

// A reply slower than this on average costs more than the line itself (18 bytes at 57600 baud: 3.1 ms).
constexpr double kSlowRoundTripMs = 10.0;

QString Number(double value) { return QString::number(value, 'f', 1); }

// A text with the system's own words after it, when there are any.
QString WithReason(const QString& text, const QString& reason) {
    return reason.isEmpty() ? text : core::JoinTexts({text, QStringLiteral("(") + reason + QStringLiteral(")")}, QStringLiteral(" "));
}

class Steps {
public:
    void Add(const QString& name, CheckStanding standing, const QString& detail, QStringList advice = {}) {
        m_steps.append({name, standing, detail, std::move(advice)});
    }
    void FailChip(const QString& name, const QString& detail, QStringList advice) {
        Add(name, CheckStanding::Fail, detail, std::move(advice));
        m_steps.last().chipFault = true;
    }
    QList<CheckStep> Take() { return std::move(m_steps); }

private:
    QList<CheckStep> m_steps;
};

// Port, permission and another program's hold, from one trial open; false when the chain ends there.
bool CheckPort(Steps& steps, const ConnectionCheckSetup& setup) {
    const link::PortProbe probe = setup.probe(setup.path);
    using link::PortProblem;
    switch (probe.problem) {
        case PortProblem::NoSuchPort:
            steps.Add(QStringLiteral("port"), CheckStanding::Fail, core::Compose(kCheckPortMissing, {setup.path}),
                      {kCheckPortMissingAdvice});
            return false;
        case PortProblem::NotSerial:
            steps.Add(QStringLiteral("port"), CheckStanding::Fail, core::Compose(kCheckPortNotSerial, {setup.path}));
            return false;
        case PortProblem::Other:
            steps.Add(QStringLiteral("port"), CheckStanding::Fail,
                      WithReason(core::Compose(kCheckPortUnusable, {setup.path}), probe.system));
            return false;
        default:
            steps.Add(QStringLiteral("port"), CheckStanding::Ok, core::Compose(kCheckPortFound, {setup.path}));
    }
    if (probe.problem == PortProblem::NoPermission) {
        // A device of root's own is no group's to join; serial ports belong to dialout.
        const bool group = !probe.group.isEmpty() && probe.group != QLatin1String("root");
        steps.Add(QStringLiteral("permission"), CheckStanding::Fail,
                  WithReason(core::Compose(kCheckPermissionDenied, {setup.path}), probe.system),
                  {core::Compose(kCheckPermissionAdvice, {group ? probe.group : QStringLiteral("dialout")})});
        return false;
    }
    steps.Add(QStringLiteral("permission"), CheckStanding::Ok, kCheckPermissionOk);
    if (probe.problem == PortProblem::InUse) {
        steps.Add(QStringLiteral("in-use"), CheckStanding::Fail,
                  probe.holders.isEmpty() ? kCheckInUseUnknown
                                          : core::Compose(kCheckInUse, {probe.holders.join(QStringLiteral(", "))}),
                  {kCheckInUseAdvice});
        return false;
    }
    steps.Add(QStringLiteral("in-use"), CheckStanding::Ok, kCheckNotInUse);
    return true;
}

void CheckLatency(Steps& steps, const ConnectionCheckSetup& setup) {
    const std::optional<int> latency =
        setup.latencyTimer ? setup.latencyTimer(setup.path) : link::ReadLatencyTimer(setup.path);
    if (!latency) return steps.Add(QStringLiteral("latency"), CheckStanding::Ok, kCheckLatencyNone);
    const QString detail = core::Compose(kCheckLatency, {QString::number(*latency)});
    const QString hint = link::LatencyTimerHint(setup.path, latency);
    if (hint.isEmpty()) return steps.Add(QStringLiteral("latency"), CheckStanding::Ok, detail);
    steps.Add(QStringLiteral("latency"), CheckStanding::Warn, detail, {hint});
}

// The identification and the firmware's version; the reply, or nullopt when the chain ends here.
std::optional<QByteArray> CheckWriter(Steps& steps, link::Session& session, const QString& path) {
    const QString name = QStringLiteral("writer");
    link::ConfigureWriterPort(session.port);
    if (!link::OpenWriterPort(session.port, path)) {
        steps.Add(name, CheckStanding::Fail,
                  WithReason(core::Compose(kCheckPortUnusable, {path}), session.port.OpenFailureReason()));
        return std::nullopt;
    }
    const link::CommandResult id = link::ReadIdentification(session);
    if (id.outcome == link::Outcome::Cancelled) return std::nullopt;
    if (!id.Ok()) {
        steps.Add(name, CheckStanding::Fail, kCheckWriterSilent, {kCheckWriterSilentAdvice});
        return std::nullopt;
    }
    const QString reply = QString::fromLatin1(id.data);
    if (!reply.startsWith(core::kWriterIdPrefix)) {
        steps.Add(name, CheckStanding::Fail, core::Compose(kCheckWriterStrange, {reply}), {kCheckWriterSilentAdvice});
        return std::nullopt;
    }
    // The writer always writes a point; toDouble reads it in the C locale whatever the user's is.
    bool isNumber = false;
    const double version = reply.mid(core::kWriterIdPrefix.size()).toDouble(&isNumber);
    const QString update = core::Compose(kCheckFirmwareAdvice, {link::texts::kAdvisoryRecommendedVersion});
    if (!isNumber || version < kMinimumVersion) {
        steps.Add(name, CheckStanding::Fail, core::Compose(kCheckFirmwareRefused, {reply}), {update});
        return std::nullopt;
    }
    if (static_cast<float>(version) < kRecommendedVersion)
        steps.Add(name, CheckStanding::Warn, core::Compose(kCheckFirmwareOld, {reply}), {update});
    else
        steps.Add(name, CheckStanding::Ok, core::Compose(kCheckWriterAnswers, {reply}));
    return id.data + "\r\n";
}

// Round trips of the identification: how many failed, and how long they took. False when cancelled or
// when the line is too bad to go on.
bool CheckLine(Steps& steps, link::Session& session, const QByteArray& identification, int roundTrips) {
    int failed = 0, made = 0;
    double totalMs = 0, longestMs = 0;
    for (; made < roundTrips; ++made) {
        const core::Clock::time_point start = session.timing.Now();
        const link::CommandResult reply = link::QueryIdentification(session);
        if (reply.outcome == link::Outcome::Cancelled) return false;
        const double ms = std::chrono::duration<double, std::milli>(session.timing.Now() - start).count();
        totalMs += ms;
        longestMs = std::max(longestMs, ms);
        if (!reply.Ok() || reply.data != identification) ++failed;
    }
    const double meanMs = made > 0 ? totalMs / made : 0;
    const QString detail = core::Compose(
        kCheckLine, {QString::number(made), QString::number(failed), Number(meanMs), Number(longestMs)});
    // One failure in ten makes every longer operation fail somewhere.
    if (failed * 10 > made) {
        steps.Add(QStringLiteral("line"), CheckStanding::Fail, detail, {kCheckLineErrorsAdvice});
        return false;
    }
    QStringList advice;
    if (failed > 0) advice << kCheckLineErrorsAdvice;
    if (meanMs > kSlowRoundTripMs) advice << kCheckLineSlowAdvice;
    steps.Add(QStringLiteral("line"), advice.isEmpty() ? CheckStanding::Ok : CheckStanding::Warn, detail, advice);
    return true;
}

QString NamesOf(const QList<const devices::Device*>& devices) {
    QStringList names;
    for (const devices::Device* device : devices) names << device->Name();
    return core::JoinTexts(names, QStringLiteral(", "));
}

// Programming mode under the probe's device code and the signature it reads; the chip is only read.
void CheckChip(Steps& steps, link::Session& session, const devices::Device* chosen) {
    const devices::Device* probe = devices::DeviceAt(kProbeDeviceIndex);
    link::CommandResult result = link::EnterAvrCommandSet(session);
    if (result.Ok()) result = link::SelectDevice(session, probe->code);
    if (result.Ok()) result = link::EnterProgrammingMode(session);
    link::CommandResult signature;
    if (result.Ok()) {
        session.timing.Sleep(std::chrono::milliseconds(50));  // the chip's programming-enable settles
        signature = link::ReadSignature(session);
        link::LeaveProgrammingMode(session);
    }
    link::ExitAvrCommandSet(session);
    if (result.outcome == link::Outcome::Cancelled || signature.outcome == link::Outcome::Cancelled) return;
    if (!result.Ok() || !signature.Ok()) {
        steps.Add(QStringLiteral("programming"), CheckStanding::Fail,
                  core::Compose(kCheckProgrammingFailed, {result.Ok() ? signature.message : result.message}),
                  {kCheckWriterSilentAdvice});
        return;
    }
    steps.Add(QStringLiteral("programming"), CheckStanding::Ok, kCheckProgrammingOk);

    const quint8 part = signature.Byte(0), family = signature.Byte(1);
    const QString text = SignatureText(signature.Byte(2), family, part);
    const QString name = QStringLiteral("signature");
    if (family == 0xFF) return steps.FailChip(name, core::Compose(kCheckEmptySocket, {text}), {kCheckEmptySocketAdvice});
    if (family <= 0x02) return steps.FailChip(name, core::Compose(kCheckLocked, {text}), {kCheckLockedAdvice});
    const QList<const devices::Device*> found = devices::DevicesWithSignature(family, part);
    if (found.isEmpty())
        return steps.FailChip(name, core::Compose(kCheckUnknownSignature, {text}), {kCheckUnknownAdvice, kCheckJumperAdvice});
    if (chosen && !found.contains(chosen)) {
        const devices::Device* chip = found.first();
        steps.FailChip(name, core::Compose(kCheckOtherChip, {chosen->Name(), NamesOf(found), text}),
                       {core::Compose(kCheckSocketAdvice, {chip->Name(), devices::SocketLabel(chip->socket),
                                                           QString::number(devices::SocketPlace(chip->socket))}),
                        kCheckJumperAdvice, core::Compose(kCheckChooseDevice, {NamesOf(found), chosen->Name()})});
        return;
    }
    steps.Add(name, CheckStanding::Ok,
              core::Compose(kCheckChipFound, {chosen ? chosen->Name() : NamesOf(found), text}));
}

}  // namespace

QList<CheckStep> RunConnectionCheck(Environment& env, const ConnectionCheckSetup& setup) {
    Steps steps;
    if (env.port.IsOpen()) env.port.Close();  // our own hold would read as another program's
    if (!CheckPort(steps, setup)) return steps.Take();
    CheckLatency(steps, setup);
    link::Session session{env.port, env.timing, env.cancel};
    if (const auto identification = CheckWriter(steps, session, setup.path)) {
        if (CheckLine(steps, session, *identification, setup.roundTrips)) CheckChip(steps, session, setup.chosen);
    }
    env.port.Close();
    return steps.Take();
}

const CheckStep* FailedStep(const QList<CheckStep>& steps) {
    const auto failed = std::find_if(steps.begin(), steps.end(),
                                     [](const CheckStep& s) { return s.standing == CheckStanding::Fail; });
    return failed == steps.end() ? nullptr : &*failed;
}

}  // namespace zendra::operations
