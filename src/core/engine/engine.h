#pragma once
// The engine tick: the first tick after Start warms up, every later one counts down to the
// scan and patrol cycles, runs whichever is due (the scan first), refreshes the map
// information and shows the age of the last listing.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "../link/reply.h"
#include "../runtime/task.h"

namespace vorstel {

class Watchdog;

// Thrown by the engine's requests once monitoring has ended during the tick: the tick unwinds
// at its next request or pause, so nothing of it reaches the server after the release.
struct MonitoringEnded {};

class Engine {
public:
    static constexpr int kWarmUpPeriod = 100;
    static constexpr int kFirstTickPeriod = 105;
    static constexpr int kTickPeriod = 1000;

    explicit Engine(Watchdog& w);

    std::int16_t ScanCountdown = 0;
    std::int16_t PatrolCountdown = 0;
    int SecondsSinceData = 0;
    std::string StatusText;  // this tick's listing
    std::string CurrentMap;
    std::string NextMap;
    bool SpearheadServer = false;

    // The cycles' own work. The scan's runs with StatusText holding the listing; the patrol's
    // reuses it or fetches one, and leaves StatusText empty when none came.
    std::function<Task<void>()> ScanWork;
    std::function<Task<void>()> PatrolWork;

    // The timer's handler: a firing while a tick runs is dropped.
    void Timer3_Timer();
    bool tickRunning() const { return tickRunning_; }
    // A scan or patrol is under way: the timer is stopped, but the server is being watched.
    bool inCycle() const { return inCycle_; }

    Task<void> Tick();

    // Every request of a tick goes through Send: it waits for the link, and throws
    // MonitoringEnded instead of sending (or instead of returning the reply) once monitoring
    // has ended since the tick began. Pause does the same after its wait.
    // A framing given overrides the one found: the claim's probes of how the server cuts commands.
    Task<std::string> Send(std::string command, std::optional<Framing> framing = std::nullopt);
    Task<void> Pause(int milliseconds);
    // Monitoring ended (Stop, Exit, a connection edit, a failed claim) since this tick began.
    bool ended() const;

    // The periods as the boxes give them; a text that is no usable number falls back to the
    // default, and the operator is told once.
    int ScanPeriodSeconds();
    int PatrolPeriodSeconds();
    std::int16_t ScanMinutes();

    // Pushes the operator's local minute and hour, as the server's schedule needs them.
    Task<void> SendClock();

private:
    Task<bool> WarmUp();
    void HandOver();
    void NoteServerEngine(const std::string& version);
    Task<void> ScanFrame();
    Task<void> PatrolFrame();
    Task<void> MapRefresh();
    // Shows the status query's results; returns false when the reply was empty.
    bool TakeStatusQuery(const std::string& reply);
    void BeginCycle();
    void EndCycle();
    void Notice(const std::string& box, const std::string& text, const std::string& fallback);

    Watchdog& w_;
    bool tickRunning_ = false;
    std::uint64_t session_ = 0;  // the monitor's stop count when the tick began
    bool inCycle_ = false;
};

}  // namespace vorstel
