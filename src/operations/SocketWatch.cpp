#include "operations/SocketWatch.h"

#include "operations/Identify.h"

namespace zendra::operations {

namespace {

bool Cancelled(const Environment& env) { return env.cancel && env.cancel->IsCancelled(); }

}  // namespace

SocketChange AwaitSocket(Environment& env, const PortChoice& port, bool seated, const std::function<bool()>& stop) {
    core::SilentAccount quiet(core::MessageAnswer::Cancel);  // the watch's looks are no operation of their own
    Environment look{env.port, env.timing, quiet, quiet, env.cancel};
    for (;;) {
        if (Cancelled(env)) return SocketChange::Cancelled;
        if (stop && stop()) return SocketChange::Stopped;
        const Identification id = IdentifyChip(look, port, false);
        if (id.identity == Identity::Cancelled) return SocketChange::Cancelled;
        if (id.identity == Identity::NoAnswer) return SocketChange::WriterLost;
        if (id.ChipPresent() == seated) return SocketChange::Reached;
        // In slices, so a cancel between two looks is taken at once.
        const auto until = env.timing.Now() + kSocketPollInterval;
        while (env.timing.Now() < until && !Cancelled(env) && !(stop && stop()))
            env.timing.RunEventsFor(std::chrono::milliseconds(50));
    }
}

}  // namespace zendra::operations
