#pragma once
// A production station: one bench setup run as the same job on several writers, and the batch it works
// through. What the setup means for the job is decided here, once, for every writer of the station.

#include <QString>
#include <functional>
#include <optional>

#include "operations/Job.h"
#include "production/BenchSetup.h"

namespace zendra::operations {

enum class StationProblem { None, SetupUnreadable, FilesChanged, FileRefused, DeviceUnknown, ChoiceUnknown };

struct StationJob {
    Job job;
    production::BenchSetup setup;
    QString setupPath;
    StationProblem problem = StationProblem::None;
    QString detail;  // the file, the key or the choice the problem names, with the reader's reason
    bool Ok() const { return problem == StationProblem::None; }
};

// The program job a setup file stands for: its files read and parsed once, the device, the lock/fuse
// choices, the stamp, the calibration copy and the store. A file changed since the setup was saved is
// refused: a station programs chip after chip without anyone looking at the files again.
// `changedAllowed`: a changed file is loaded as it is now, for a caller that holds the chips back until
// the change is accepted (production::StationFiles).
StationJob LoadStationJob(const QString& setupPath, bool changedAllowed = false);

// A bench setup's named lock/fuse choices as the choices of `device`: the one reading of them for the
// command line's run and the station. Refused (nothing taken) at the first that names no field, or no
// choice the device offers: its position, and whether the field itself was unknown (or no device named).
// One named choice as the device's; none when it names no field or no choice the device offers.
std::optional<ChoiceChange> SetupChoiceOf(const production::SetupChoice& item, const devices::Device* device);
struct SetupChoiceRefusal {
    qsizetype at = 0;
    bool field = false;
};
std::optional<SetupChoiceRefusal> TakeSetupChoices(const production::BenchSetup& setup, const devices::Device* device,
                                                   QList<ChoiceChange>& choices);

// One chip's end as a station shows it: passed or not (or neither, when it was cancelled), and the
// reason in the words of the main window's status panel.
struct ChipVerdict {
    enum class Kind { Pass, Fail, Cancelled } kind = Kind::Fail;
    QString reason;
};
ChipVerdict VerdictOf(const JobReport& done);

// A writer's port as given ("COM3" or a device path), resolved against the windows' port entries: the
// path to open and the COM entry that leads there (0: none).
struct GivenPort {
    QString given, path;
    int number = 0;
    bool comGiven = false;
    PortChoice Choice() const;
};
GivenPort ResolveGivenPort(const QString& given, const std::function<QString(int)>& resolve,
                               const std::function<QString(int)>& assigned);

// The batch: how many passes are wanted and how many failures in a row mean a broken fixture.
struct BatchRule {
    std::optional<int> quantity;  // none: no end
    int failuresInRow = 0;        // 0: never stop for failures
};

enum class BatchStop { None, QuantityReached, FailuresInRow };

class BatchTally {
public:
    explicit BatchTally(BatchRule rule = {}) : m_rule(rule) {}
    // A new rule keeps the chips counted so far.
    void SetRule(BatchRule rule) { m_rule = rule; }

    void Count(bool passed);
    // Whether one more chip may start while `running` others run: never past the quantity counting every
    // running chip as a pass, and never after the batch stopped.
    bool MayStart(int running) const;
    BatchStop Stopped() const;
    // Passes still wanted; none without a quantity.
    std::optional<int> Remaining() const;
    int Passes() const { return m_passes; }
    int Failures() const { return m_failures; }
    int FailuresInRow() const { return m_inRow; }

private:
    BatchRule m_rule;
    int m_passes = 0, m_failures = 0, m_inRow = 0;
};

}  // namespace zendra::operations
