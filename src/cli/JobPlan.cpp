#include "cli/JobPlan.h"
#include "cli/CliTexts.h"
#include "cli/Console.h"

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

using operations::Report;
using operations::Verdict;

QString DeviceNameText(const devices::Device* device) { return device ? Tr(device->Name()) : QString(); }

std::optional<operations::JobCommand> JobCommandOf(const QString& command) {
    using operations::JobCommand;
    static const QList<std::pair<QString, JobCommand>> commands{
        {QStringLiteral("program"), JobCommand::Program},       {QStringLiteral("verify"), JobCommand::Verify},
        {QStringLiteral("read"), JobCommand::Read},             {QStringLiteral("erase"), JobCommand::Erase},
        {QStringLiteral("fuse-write"), JobCommand::FuseWrite}, {QStringLiteral("fuse-restore"), JobCommand::FuseRestore}};
    for (const auto& [name, job] : commands)
        if (name == command) return job;
    return std::nullopt;
}

bool IsJobCommand(const QString& command) { return JobCommandOf(command).has_value(); }

operations::Job JobOf(const Plan& plan) {
    operations::Job job;
    job.command = *JobCommandOf(plan.command);
    job.device = plan.device;
    job.deviceFromSignature = !plan.device;
    job.images = plan.images;
    for (const InputFile& f : plan.files) job.files.append({f.role, f.path, f.sha256});
    using operations::JobCommand;
    if (job.command == JobCommand::FuseRestore) {
        job.lockFuse.bytes = plan.restoreBytes;
        job.lockFuse.bytesDevice = plan.restoreDevice;
    } else if (job.command == JobCommand::Program && plan.writeFuses) {
        job.lockFuse.bytes = plan.fileFuses;
    } else {
        job.lockFuse.choices = plan.fuseChoices;
    }
    operations::ProductionSettings& p = job.production;
    p.stampAt = plan.command == QLatin1String("program") || plan.command == QLatin1String("verify") ? plan.serialAt
                                                                                                  : std::nullopt;
    p.layout = plan.serialLayout;
    p.series = plan.series;
    p.start = plan.serialStart;
    p.step = plan.serialStep;
    p.calibrationAt = plan.calibrationAt;
    p.store = plan.dbPath;
    p.keep = plan.serialKeep;
    p.reuseFailed = plan.reuseFailed;
    p.kind = plan.serialKind;
    p.listPath = plan.serialList;
    p.command = plan.serialCommand;
    p.commandFolder = plan.serialFolder;
    job.recordsRequired = plan.dbGiven;
    job.lockOut = plan.allowLockout ? operations::WritePolicy::AllowLockOut : operations::WritePolicy::RefuseLockOut;
    job.dryRun = plan.dryRun;
    return job;
}

// A job that ended before the chip was touched, in the command line's words.
void SayJobRefusal(const Plan& plan, ChipResult& result, const operations::JobReport& done) {
    using operations::JobEnd;
    const devices::Device* device = done.device;
    const auto place = [](const std::optional<production::Place>& at) { return at ? production::PlaceText(*at) : QString(); };
    switch (done.end) {
        case JobEnd::Ran:
            return;
        case JobEnd::NotIdentified:
            return;
        case JobEnd::ImagesBeyond:
            result.exitCode = kExitInput;
            result.message = Tr(core::Compose(image::texts::kCodeBeyondDevice, {QString::number(done.imagesBeyond)}));
            return;
        case JobEnd::StampBeyond:
            result.exitCode = kExitUsage;
            result.message = T(texts::kPlaceBeyond).arg(place(plan.serialAt));
            return;
        case JobEnd::CalibrationBeyond:
            result.exitCode = kExitUsage;
            result.message = T(texts::kPlaceBeyond).arg(place(plan.calibrationAt));
            return;
        case JobEnd::NoCalibration:
            result.exitCode = kExitUsage;
            result.message = T(texts::kNoCalibration).arg(DeviceNameText(device));
            return;
        case JobEnd::StoreUnusable:
            result.exitCode = done.store.problem == production::StoreProblem::Cancelled ? kExitCancelled : kExitLink;
            result.message = StoreProblemText(done.store);
            return;
        case JobEnd::SeriesUnknown:
            result.exitCode = kExitUsage;
            result.message = T(texts::kSeriesUnknown).arg(plan.series);
            return;
        case JobEnd::SeriesContradicts:
            result.exitCode = kExitUsage;
            result.message = T(texts::kSeriesContradicts).arg(plan.series, QString::number(done.next.value_or(0)));
            return;
        case JobEnd::SeriesExhausted:
            result.exitCode = kExitUsage;
            result.message = StoreProblemText(done.store);
            return;
        case JobEnd::OtherDevice:
            result.exitCode = kExitChip;
            result.message = T(texts::kRestoreOtherDevice).arg(Tr(plan.restoreDevice));
            return;
        case JobEnd::KeepLocked:
        case JobEnd::KeepRefused:
            result.exitCode = kExitChip;
            result.message = Tr(core::Compose(operations::texts::kKeepRefused, {done.keepProblem}));
            return;
        case JobEnd::SerialRefused:
            result.exitCode = kExitUsage;
            result.message = Tr(done.serialProblem);
            return;
        case JobEnd::LockFuseUnmatched:
            result.exitCode = kExitInput;
            result.message =
                FileFuseLines(device, plan.fileFuses).last();
            return;
    }
}

}  // namespace zendra::cli
