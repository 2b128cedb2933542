#include "civil_date.h"

#include <cstdio>

namespace vorstel {

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool Digits(std::string_view s, int& out) {
    out = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + (c - '0');
    }
    return true;
}

}  // namespace

std::optional<CivilDate> ParseDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    CivilDate d;
    if (!Digits(text.substr(0, 4), d.year) || !Digits(text.substr(5, 2), d.month) || !Digits(text.substr(8, 2), d.day))
        return std::nullopt;
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month)) return std::nullopt;
    return d;
}

namespace {

bool Exists(const CivilDate& d) {
    return d.year >= 0 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
           d.day <= DaysInMonth(d.year, d.month);
}

}  // namespace

std::optional<ShortDate> ParseShortDate(std::string_view text, DateOrder order) {
    const auto sep = text.find_first_of("./-");
    if (sep == std::string_view::npos) return std::nullopt;
    const char separator = text[sep];
    const auto second = text.find(separator, sep + 1);
    if (second == std::string_view::npos || text.find(separator, second + 1) != std::string_view::npos)
        return std::nullopt;
    const std::string_view parts[3] = {text.substr(0, sep), text.substr(sep + 1, second - sep - 1),
                                       text.substr(second + 1)};
    int n[3];
    for (int i = 0; i < 3; ++i)
        if (parts[i].empty() || parts[i].size() > 4 || !Digits(parts[i], n[i])) return std::nullopt;
    const std::string sepText(1, separator);
    if (parts[0].size() == 4) {
        if (parts[1].size() > 2 || parts[2].size() > 2) return std::nullopt;
        const CivilDate d{n[0], n[1], n[2]};
        if (!Exists(d)) return std::nullopt;
        return ShortDate{d, "YYYY" + sepText + "MM" + sepText + "DD"};
    }
    if (parts[0].size() > 2 || parts[1].size() > 2 || (parts[2].size() != 2 && parts[2].size() != 4))
        return std::nullopt;
    int year = n[2];
    if (parts[2].size() == 2) year += year < 70 ? 2000 : 1900;
    const CivilDate dayFirst{year, n[1], n[0]}, monthFirst{year, n[0], n[1]};
    const bool dayFirstExists = Exists(dayFirst), monthFirstExists = Exists(monthFirst);
    if (!dayFirstExists && !monthFirstExists) return std::nullopt;
    const bool readDayFirst = dayFirstExists && (!monthFirstExists || order == DateOrder::DayFirst);
    const std::string yearForm = parts[2].size() == 2 ? "YY" : "YYYY";
    return readDayFirst ? ShortDate{dayFirst, "DD" + sepText + "MM" + sepText + yearForm}
                        : ShortDate{monthFirst, "MM" + sepText + "DD" + sepText + yearForm};
}

std::string FormatDate(const CivilDate& date) {
    char b[16];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d", date.year, date.month, date.day);
    return b;
}

// Howard Hinnant's days-from-civil: counts in 400-year eras that start on March 1st, so the
// leap day falls at the end of each year of the era.
long long DaysFromCivil(const CivilDate& date) {
    const long long y = date.year - (date.month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;                                       // [0, 399]
    const long long mp = (date.month + 9) % 12;                                // March = 0
    const long long doy = (153 * mp + 2) / 5 + date.day - 1;                   // [0, 365]
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;               // [0, 146096]
    return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(long long days) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    return {static_cast<int>(year), month, day};
}

std::optional<std::string> AddDays(std::string_view date, long long days) {
    const auto d = ParseDate(date);
    if (!d) return std::nullopt;
    const long long first = DaysFromCivil({0, 1, 1});
    const long long last = DaysFromCivil({9999, 12, 31});
    const long long base = DaysFromCivil(*d);
    if (days < first - base || days > last - base) return std::nullopt;
    return FormatDate(CivilFromDays(base + days));
}

}  // namespace vorstel
