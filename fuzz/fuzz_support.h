#pragma once
// What every fuzz target shares: a check that stops the run with the failed condition, and the
// input cut into parts at NUL bytes (the targets that read several texts take them this way,
// so a seed stays readable).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace vorstel::fuzz {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::vorstel::fuzz::Fail(#condition, __FILE__, __LINE__))

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// At most `limit` parts; the last one keeps any further NUL bytes.
inline std::vector<std::string> Parts(std::string_view input, std::size_t limit) {
    std::vector<std::string> parts;
    while (parts.size() + 1 < limit) {
        const auto at = input.find('\0');
        if (at == std::string_view::npos) break;
        parts.emplace_back(input.substr(0, at));
        input.remove_prefix(at + 1);
    }
    parts.emplace_back(input);
    return parts;
}

// A working directory for the whole run, emptied and removed when the process ends.
class RunDirectory {
public:
    explicit RunDirectory(const char* name) {
        path_ = std::filesystem::temp_directory_path() /
                ("vorstel-fuzz-" + std::string(name) + "-" + std::to_string(static_cast<long>(::getpid())));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~RunDirectory() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const char* file) const { return path_ / file; }

private:
    std::filesystem::path path_;
};

}  // namespace vorstel::fuzz
