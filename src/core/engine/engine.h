#pragma once
// The engine tick: the first tick after Start warms up, every later one counts down to the
// scan and patrol cycles, runs whichever is due (the scan first), refreshes the map
// information and shows the age of the last listing.
#include <cstdint>
#include <functional>
#include <string>

#include "../runtime/task.h"

namespace vorstel {

class Watchdog;

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
    void EndCycle(std::uint64_t stopsAtStart);
    void Notice(const std::string& box, const std::string& text, const std::string& fallback);

    Watchdog& w_;
    bool tickRunning_ = false;
    bool inCycle_ = false;
};

}  // namespace vorstel
