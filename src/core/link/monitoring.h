#pragma once
// Starting, claiming, stopping and releasing a server. The engine timer running is the only
// record of whether the server is being monitored.
#include <cstdint>
#include <optional>
#include <string>

#include "../runtime/task.h"

namespace vorstel {

class Watchdog;

class Monitoring {
public:
    explicit Monitoring(Watchdog& w);

    bool ClaimRetry = false;

    void Command1_Click();   // Start, or scan now while monitoring
    void Command13_Click();  // Stop
    void ConnectionChanged();  // txtSVR, txtPORT, txtPWD
    void txtPWD_LostFocus();

    // "1" when this monitor now holds the server's marker, "0" otherwise.
    Task<std::string> ClaimServer();
    Task<void> StopMonitoring();

    // Counts StopMonitoring calls, so a cycle can tell that monitoring ended while it ran.
    std::uint64_t stops() const { return stops_; }

private:
    Task<std::string> Claim(bool first);
    // After a header-only answer (or one that named the password as the command): true when
    // the server turns out to take the command from the raw line, and the link now frames
    // requests that way.
    Task<bool> FindFraming(bool ranPassword);
    Task<void> ScanNow();
    void DisableControls();

    Watchdog& w_;
    std::uint64_t stops_ = 0;
    std::optional<std::uint64_t> scanNowFor_;  // a "scan now" holding the engine timer, by session
};

}  // namespace vorstel
