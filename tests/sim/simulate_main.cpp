// vorstel-simulate: seeded simulation runs, one seed or a sweep.
//   vorstel-simulate --seed 42 --hours 6        replays one run
//   vorstel-simulate --seeds 1000 --hours 6     the long sweep, seeds 1 to 1000
#include <cstdio>
#include <cstdlib>
#include <string>

#include "simulation.h"

int main(int argc, char** argv) {
    vorstel::sim::SimulationOptions options;
    std::uint64_t first = 1, count = 1;
    bool sweep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--seed" && value) {
            first = std::strtoull(value, nullptr, 10);
            ++i;
        } else if (a == "--seeds" && value) {
            count = std::strtoull(value, nullptr, 10);
            sweep = true;
            ++i;
        } else if (a == "--hours" && value) {
            options.hours = std::strtod(value, nullptr);
            ++i;
        } else if (a == "--no-faults") {
            options.faults = false;
        } else {
            std::printf("usage: vorstel-simulate [--seed N | --seeds COUNT] [--hours H] [--no-faults]\n");
            return a == "--help" ? 0 : 2;
        }
    }
    int failed = 0;
    for (std::uint64_t seed = sweep ? 1 : first; seed < (sweep ? count + 1 : first + 1); ++seed) {
        options.seed = seed;
        std::printf("seed %llu, %.1f h of virtual time\n", static_cast<unsigned long long>(seed), options.hours);
        std::fflush(stdout);
        const auto result = vorstel::sim::RunSimulation(options);
        std::printf("%s\n", result.Summary().c_str());
        for (const auto& v : result.violations) std::printf("  VIOLATION %s\n", v.c_str());
        if (!result.violations.empty()) {
            ++failed;
            std::printf("  replay: vorstel-simulate --seed %llu --hours %g%s\n", static_cast<unsigned long long>(seed),
                        options.hours, options.faults ? "" : " --no-faults");
        }
        std::fflush(stdout);
    }
    return failed == 0 ? 0 : 1;
}
