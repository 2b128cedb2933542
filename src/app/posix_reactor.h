#pragma once
// The runtime interfaces on a plain poll() loop, for the headless program: no toolkit, so a
// service that idles between cycles in a few megabytes. POSIX only.
//
// Behaves as the Qt reactor does: timers never fire early, a periodic timer keeps its beat,
// start() or a new interval restarts a running timer, a single-shot timer stops itself
// before its handler runs; posted functions run after the current handler, in order.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "runtime/reactor.h"

namespace vorstel {

class PosixReactor : public Reactor {
public:
    PosixReactor();
    ~PosixReactor() override;
    PosixReactor(const PosixReactor&) = delete;
    PosixReactor& operator=(const PosixReactor&) = delete;

    std::int64_t nowMs() const override;
    std::unique_ptr<Timer> createTimer() override;
    std::unique_ptr<DatagramSocket> createDatagramSocket() override;
    // May be called from any thread.
    void post(std::function<void()> fn) override;

    // Calls `ready` on the loop whenever `fd` can be read (or has hung up), until unwatch(fd).
    void watch(int fd, std::function<void()> ready);
    void unwatch(int fd);

    // Runs the loop until quit(); returns the status given to quit.
    int run();
    void quit(int status);

    // For the timers: deadlines on the monotonic clock, in nanoseconds.
    using TimerKey = std::pair<std::int64_t, std::uint64_t>;
    TimerKey arm(std::int64_t deadlineNs, std::function<void()> fire);
    void disarm(const TimerKey& key) { timers_.erase(key); }
    static std::int64_t monotonicNs();

    struct Inbox;  // the posted functions, shared with lookup threads that may outlive the loop

private:
    bool runPosted();
    void fireDueTimers();
    void waitForEvents(bool mayBlock);

    struct Watch {
        std::uint64_t id;
        std::function<void()> ready;
    };

    std::shared_ptr<Inbox> inbox_;
    std::map<TimerKey, std::function<void()>> timers_;
    std::uint64_t sequence_ = 0;
    std::map<int, Watch> watches_;
    std::uint64_t watchIds_ = 0;
    bool running_ = false;
    int status_ = 0;
    std::int64_t startNs_;
};

}  // namespace vorstel
