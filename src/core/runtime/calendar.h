#pragma once
// Local date and time, the one place the core learns the wall clock.
#include <cstdio>
#include <string>

namespace vorstel {

struct LocalDateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;

    // The one date form used in every file and caption: sorts as text in date order.
    std::string date() const {
        char b[16];
        std::snprintf(b, sizeof b, "%04d-%02d-%02d", year % 10000, month % 100, day % 100);
        return b;
    }
    std::string time() const {
        char b[16];
        std::snprintf(b, sizeof b, "%02d:%02d:%02d", hour % 100, minute % 100, second % 100);
        return b;
    }
};

// Which comes first in the operator's short date form when it names day and month by
// numbers; the platform reads it from the locale.
enum class DateOrder { DayFirst, MonthFirst };

class Calendar {
public:
    virtual ~Calendar() = default;
    virtual LocalDateTime now() const = 0;
    virtual DateOrder shortDateOrder() const { return DateOrder::DayFirst; }
};

// A calendar whose time the caller sets (tests and simulations).
class FixedCalendar : public Calendar {
public:
    LocalDateTime current;
    DateOrder order = DateOrder::DayFirst;
    LocalDateTime now() const override { return current; }
    DateOrder shortDateOrder() const override { return order; }
};

}  // namespace vorstel
