// Peak resident memory of building and registering every suite of the demo,
// against the bytes of the vector files it reads. The demo runs as a process
// of its own with a filter that selects no test, so the figure is the whole
// process's (code and libraries included) and owes nothing to what other
// benchmarks left in this one. zelkor_bench_demo and zelkor_tests_datadir
// name another build's demo and its vectors, to compare two versions.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

extern char** environ;

namespace {

std::string fromEnvironment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

const std::string& dataDirectory() {
    static const std::string dir = fromEnvironment("zelkor_tests_datadir", ZELKOR_SOURCE_DATA_DIR);
    return dir;
}

// The vector files: every regular file but the notes beside them.
double vectorBytes() {
    double total = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dataDirectory())) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".md") || name.starts_with("LICENSE")) continue;
        total += static_cast<double>(entry.file_size());
    }
    return total;
}

// Runs the demo over the vectors; its peak resident set in bytes, or an
// error text.
std::variant<double, std::string> demoTreePeak() {
    std::string dataDir = "zelkor_tests_datadir=" + dataDirectory();
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "zelkor_tests_datadir=", 21) != 0) env.push_back(*e);
    }
    env.push_back(dataDir.data());
    env.push_back(nullptr);
    std::string program = fromEnvironment("zelkor_bench_demo", ZELKOR_DEMO_PATH), filter = "--gtest_filter=NoTestIsCalledThis";
    char* argv[] = {program.data(), filter.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return "cannot start " + program + ": " + std::strerror(spawned);
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) return std::string("wait4: ") + std::strerror(errno);
    }
    // Selecting no test, the demo builds every suite and exits with 1 (0 for
    // versions that did not count an empty selection as a failure).
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return program + " did not end as a run selecting no test";
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

void BM_DemoTreeBuildingPeak(benchmark::State& state) {
    const double vectors = vectorBytes();
    double peak = 0;
    for (auto _ : state) {
        const auto result = demoTreePeak();
        if (const auto* error = std::get_if<std::string>(&result)) {
            state.SkipWithError(error->c_str());
            return;
        }
        peak = std::max(peak, std::get<double>(result));
    }
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["vectors_MB"] = vectors / 1e6;
    state.counters["peak_per_vector_byte"] = peak / vectors;
}
BENCHMARK(BM_DemoTreeBuildingPeak)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
