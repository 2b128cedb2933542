#include "request_bucket.h"

#include <algorithm>

namespace vorstel {

std::int64_t RequestBucket::EarliestSend(std::int64_t nowMs, std::int64_t marginMs) const {
    if (level_ < kBurst) return nowMs;
    // Full: one request must have leaked out since the last one counted.
    return std::max(nowMs, lastMs_ + kLeakMs * (level_ - kBurst + 1) + marginMs);
}

void RequestBucket::Sent(std::int64_t nowMs) {
    const std::int64_t interval = nowMs - lastMs_;
    const std::int64_t expired = interval / kLeakMs;
    anchorOpen_ = false;
    if (!used_ || expired > level_ || interval < 0) {
        used_ = true;
        level_ = 0;
        lastMs_ = nowMs;
        anchorOpen_ = true;
    } else {
        level_ -= static_cast<int>(expired);
        lastMs_ = nowMs - interval % kLeakMs;
    }
    // Were it full, the server would drop this one and count nothing.
    if (level_ < kBurst) ++level_;
}

void RequestBucket::Answered(std::int64_t nowMs) {
    if (!anchorOpen_) return;
    anchorOpen_ = false;
    if (nowMs > lastMs_) lastMs_ = nowMs;
}

}  // namespace vorstel
