#pragma once
// Calendar dates in the one form the files and tables use, "YYYY-MM-DD" (proleptic
// Gregorian, years 0000 to 9999), which sorts as text in date order.
#include <optional>
#include <string>
#include <string_view>

#include "runtime/calendar.h"

namespace vorstel {

struct CivilDate {
    int year = 2000, month = 1, day = 1;
};

// Exactly four digits, '-', two digits, '-', two digits, naming a day that exists.
std::optional<CivilDate> ParseDate(std::string_view text);
std::string FormatDate(const CivilDate& date);

// A date in a short form that other programs write: day and month first in either order,
// separated by ".", "/" or "-", then a year of 2 or 4 digits (2 digits: 1970 to 2069); or a
// year of 4 digits first (YYYY-M-D). When both orders name a day that exists, `order`
// decides. `form` describes what was read, such as "DD.MM.YYYY" or "MM/DD/YY".
struct ShortDate {
    CivilDate date;
    std::string form;
};
std::optional<ShortDate> ParseShortDate(std::string_view text, DateOrder order);

// Days since 1970-01-01 and back.
long long DaysFromCivil(const CivilDate& date);
CivilDate CivilFromDays(long long days);

// The date `days` calendar days later (earlier when negative); none when `date` is not a
// date or the result falls outside years 0000 to 9999.
std::optional<std::string> AddDays(std::string_view date, long long days);

}  // namespace vorstel
