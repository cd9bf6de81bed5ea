#pragma once
// One writer of the command line: its port (a "COMn" entry of the windows' settings or a device path),
// its lock, the device (named, or found from the chip's signature), the command, and with --repeat the
// production loop. Every chip's outcome goes to a sink as a ChipResult.

#include <atomic>
#include <functional>
#include <memory>

#include "cli/ChipResult.h"
#include "cli/JobPlan.h"
#include "cli/Console.h"
#include "cli/Plan.h"
#include "cli/PortLock.h"
#include "cli/Trigger.h"
#include "core/Timing.h"
#include "link/PortMap.h"
#include "link/SerialPort.h"
#include "operations/Job.h"

namespace zendra::cli {

// What a signal handler sets: Ctrl-C (or SIGTERM) cancels; during a firmware update it is refused.
struct Interrupts {
    core::CancelToken cancel;
    std::atomic<bool> updating{false};
    // A writer's store failed: every production loop ends after its running chip, and asks for no other.
    std::atomic<bool> storeLost{false};
};

class Writer {
public:
    Writer(const Plan& plan, QString portText, bool alone, Interrupts& interrupts)
        : m_plan(plan), m_portText(std::move(portText)), m_alone(alone), m_interrupts(interrupts) {}

    // With --trigger: each chip of the loop starts when the trigger says so, not when one is seated.
    void UseTrigger(Trigger* trigger) { m_trigger = trigger; }
    // Runs the command (and with --repeat the production loop); returns the writer's exit code.
    int Run(const std::function<void(const ChipResult&)>& sink);

private:
    enum class ChipChange { Changed, Cancelled, WriterLost, StoreLost };

    bool Prepare(ChipResult& result);
    // False, with the reason and the terminal's advice in `result`, when the port cannot be opened.
    bool ExplainUnusablePort(ChipResult& result, const link::PortMap& ports);
    // A failure text of an operation as the result's message.
    void SayFailure(ChipResult& result, const QString& text);
    std::optional<const devices::Device*> FindDevice(ChipResult& result);
    void SayChosen(const operations::Identification& id);
    void SayNotIdentified(ChipResult& result, const operations::Identification& id);
    void RunCommand(ChipResult& result);
    void RenderReport(ChipResult& result, const operations::Report& report, const devices::Device* device);
    void RunUpdate(ChipResult& result);
    void SaveReadImages(ChipResult& result, const devices::Device* device);
    ChipChange WaitForChipChange();
    operations::PortChoice Port() const {
        return {.number = m_number, .path = m_path, .saved = true, .name = m_name};
    }
    operations::Environment Environment(core::Progress& progress, core::Prompts& prompts) {
        return {*m_port, m_timing, progress, prompts, &m_interrupts.cancel};
    }
    void EndCancelled();
    // The store failed the chip's run: a cancel ends it as one (the writer sent back to its base set); any
    // other failure ends the production loops.
    void StoreFailed(ChipResult& result, const production::StoreResult& store);

    const Plan& m_plan;
    QString m_portText;
    bool m_alone;
    Interrupts& m_interrupts;
    QString m_path;
    QString m_name;  // the port as given, when it is no "COMn" entry
    int m_number = 1;
    std::unique_ptr<link::SerialPort> m_systemPort;
    std::unique_ptr<WireTrace> m_trace;
    link::SerialPort* m_port = nullptr;
    core::SystemTiming m_timing;
    PortLock m_lock;
    std::unique_ptr<ConsoleProgress> m_progress;
    Trigger* m_trigger = nullptr;
    QString m_storeLost;  // why this writer's store failed
};

}  // namespace zendra::cli
