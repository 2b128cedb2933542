#pragma once
// Connection checks: the warning for a fast connection with a modem-sized rate (every scan).
#include "../runtime/task.h"

namespace vorstel {

class Watchdog;

Task<void> WarnConnection(Watchdog& w);

}  // namespace vorstel
