// vorstel-simulate: seeded simulation runs, one seed or a sweep.
//   vorstel-simulate --seed 42 --hours 6        replays one run
//   vorstel-simulate --seeds 1000 --hours 6     the long sweep, seeds 1 to 1000
#include <cstdio>
#include <cstdlib>
#include <string>

#include "simulation.h"

int main(int argc, char** argv) {
    unsigned long long first = 1, last = 1;
    double hours = 2;
    for (int i = 1; i < argc; i += 2) {
        const std::string a = argv[i];
        if (i + 1 == argc || (a != "--seed" && a != "--seeds" && a != "--hours")) {
            std::printf("usage: vorstel-simulate [--seed N | --seeds COUNT] [--hours H]\n");
            return a == "--help" ? 0 : 2;
        }
        if (a == "--hours") hours = std::strtod(argv[i + 1], nullptr);
        else if (a == "--seed") first = last = std::strtoull(argv[i + 1], nullptr, 10);
        else last = std::strtoull(argv[i + 1], nullptr, 10);
    }
    int failed = 0;
    for (unsigned long long seed = first; seed <= last; ++seed) {
        const auto result = vorstel::sim::RunSimulation({.seed = seed, .hours = hours});
        std::printf("seed %llu: %zu requests, %zu scans, %zu patrols, trace %llx\n", seed, result.requests,
                    result.scans, result.patrols, static_cast<unsigned long long>(result.traceHash));
        for (const auto& v : result.violations) std::printf("  VIOLATION %s\n", v.c_str());
        if (!result.violations.empty()) {
            ++failed;
            std::printf("  replay: vorstel-simulate --seed %llu --hours %g\n", seed, hours);
        }
        std::fflush(stdout);
    }
    return failed == 0 ? 0 : 1;
}
