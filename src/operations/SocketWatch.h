#pragma once
// The socket watch of a production loop: the writer is asked for the chip's signature every half second
// until a chip is seated (or gone), so a chip put in starts the next run without a key. The command
// line's --repeat and the station's writers wait the same way.

#include <chrono>
#include <functional>

#include "operations/Report.h"

namespace zendra::operations {

enum class SocketChange { Reached, Cancelled, WriterLost, Stopped };

inline constexpr std::chrono::milliseconds kSocketPollInterval{500};

// Waits until the socket holds a chip (`seated`) or none; `stop` is asked before every look (a lost
// store, a batch that is complete). A writer that stops answering is WriterLost; env.cancel, Cancelled.
SocketChange AwaitSocket(Environment& env, const PortChoice& port, bool seated,
                         const std::function<bool()>& stop = {});

}  // namespace zendra::operations
