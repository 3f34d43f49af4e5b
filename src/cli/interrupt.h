// Ctrl-C during a long task: the first one asks the task to stop and keep
// what it found; a second one ends the program at once.
#pragma once

#include <functional>

namespace datrevo::cli {

// Runs `isRunning` polls until it returns false, calling `stop` once when
// the user presses Ctrl-C meanwhile, and `tick` (when given) at each poll.
// Returns true when Ctrl-C was pressed.
bool WaitWithInterrupt(const std::function<bool()>& isRunning, const std::function<void()>& stop,
                       const std::function<void()>& tick = {});

}  // namespace datrevo::cli
