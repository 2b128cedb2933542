#pragma once
// SIGINT and SIGTERM delivered as an ordinary event on Qt's loop.
#include <functional>

namespace vorstel {

// Calls `handler` on the event loop each time the process is asked to terminate.
void OnTerminationRequest(std::function<void()> handler);

}  // namespace vorstel
