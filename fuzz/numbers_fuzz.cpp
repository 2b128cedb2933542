// Numbers typed into text boxes or read from the settings file: ports, intervals, days, the
// ping limit.
#include <charconv>
#include <limits>

#include "fuzz_support.h"
#include "runtime/numbers.h"

using namespace vorstel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::Bytes(data, size);
    const auto whole = ParseWholeNumber(text);
    const auto l = ToLong(text);
    const auto i = ToInteger(text);

    // The narrow readings agree with the wide one and refuse only what is out of their range.
    const auto fits = [&](auto lo, auto hi) { return whole && *whole >= lo && *whole <= hi; };
    FUZZ_CHECK(l.has_value() == fits(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    FUZZ_CHECK(i.has_value() == fits(std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
    if (l) FUZZ_CHECK(*l == *whole);
    if (i) FUZZ_CHECK(*i == *whole);

    // Plain digits, optionally signed, read as the integer they spell.
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
    if (!digits.empty() && digits.size() <= 12 && digits.find_first_not_of("0123456789") == std::string_view::npos) {
        long long expected = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), expected);
        FUZZ_CHECK(ec == std::errc() && end == text.data() + text.size());
        FUZZ_CHECK(whole && *whole == expected);
    }
    // A number written back as text reads as itself.
    if (whole && *whole > -(1LL << 40) && *whole < (1LL << 40)) FUZZ_CHECK(ParseWholeNumber(std::to_string(*whole)) == whole);
    return 0;
}
