#pragma once
// Ban rows as an operator's list holds them: random addresses, a few thousand names, dates in
// the past, half of them timed.
#include <random>
#include <string>
#include <vector>

namespace vorstel::bench {

inline constexpr int kRows = 100000;

inline std::vector<std::vector<std::string>> BanRows(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::vector<std::string>> rows;
    rows.reserve(n);
    for (int i = 0; i < n; ++i) {
        const unsigned a = rng();
        rows.push_back({std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 255) + "." +
                            std::to_string((a >> 8) & 255) + "." + std::to_string(a & 255),
                        "Player" + std::to_string(rng() % 5000), "aimbot", "2024-05-" + std::to_string(10 + rng() % 20),
                        rng() % 2 ? "" : "2031-01-" + std::to_string(10 + rng() % 20)});
    }
    return rows;
}

}  // namespace vorstel::bench
