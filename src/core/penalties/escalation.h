#pragma once
// Escalation: so many warnings of one address become a kick, so many kicks an indefinite
// ban; then the one kick that any detection or conversion asked for.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "../runtime/task.h"
#include "ban_index.h"

namespace vorstel {

class Watchdog;

// The largest threshold: a pass remembers at most this many rows at a time.
inline constexpr int kMaxThreshold = 101;

// Goes through the rows of `ip` in the indexed table's order; whenever `threshold` of them have
// been seen, calls `convert` and removes those rows, then goes on with the row after the last
// one removed. Returns the number of conversions.
int EscalationPass(const BanIndex& rows, const std::string& ip, int threshold, const std::function<void()>& convert);

// A threshold box read as a whole number: nothing when it switches its step off (0 or less),
// and `usable` false when the text is blank, not a number, beyond 16 bits or above 101.
std::optional<int> EscalationThreshold(const std::string& text, bool& usable);

Task<void> RunEscalation(Watchdog& w);

}  // namespace vorstel
