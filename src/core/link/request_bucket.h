#pragma once
// A copy, on our side, of the rate limit that the open-source engine keeps per source
// address: a bucket of 10 requests that leaks one every 1000 ms, where a request that finds
// it full is dropped without a word. Fed with every request we send, it tells the earliest
// moment the server takes the next one.
#include <cstdint>

namespace vorstel {

class RequestBucket {
public:
    static constexpr int kBurst = 10;
    static constexpr std::int64_t kLeakMs = 1000;
    // Covers the two clocks reading whole milliseconds at different moments.
    static constexpr std::int64_t kMarginMs = 2;

    // At `nowMs` or later: the first moment the server's bucket has room, plus the margin
    // when the bucket is what holds the request back.
    std::int64_t EarliestSend(std::int64_t nowMs, std::int64_t marginMs = kMarginMs) const;
    // A request went out at `nowMs`: the server's own arithmetic, step for step.
    void Sent(std::int64_t nowMs);
    // The reply to that request came at `nowMs`. A bucket that started afresh with the
    // request counts its time from here: the server saw the request no later than this.
    void Answered(std::int64_t nowMs);

    int level() const { return level_; }

private:
    int level_ = 0;
    std::int64_t lastMs_ = 0;
    bool used_ = false;
    bool anchorOpen_ = false;
};

}  // namespace vorstel
