#pragma once
// The window's small reactions: the links that open the skin lists and the detection log in
// the text editor, emptying the detection log, the guard that stops monitoring when the
// operator starts editing an interval, and the patrol interval's floor.
#include <string>

#include "../runtime/task.h"

namespace vorstel {

class Watchdog;

class WindowHandlers {
public:
    static constexpr int kPatrolFloor = 30;  // seconds

    // Only hooks itself to the elements: it may be built before the rest of the watchdog.
    explicit WindowHandlers(Watchdog& w);

    // Label11, Label12, Label17: the file, named relative to the working directory.
    void OpenInEditor(const std::string& file);
    // Label13: asks first; Yes leaves an empty "vorstel.log".
    Task<void> DeleteLog();
    // Any key in txtMin or MinPolt: while the engine runs, monitoring ends at the first key.
    void IntervalKeyDown();
    // A patrol interval below the floor, or one that is no 16-bit whole number, becomes the floor.
    void MinPolt_LostFocus();

private:
    Watchdog& w_;
};

}  // namespace vorstel
