// The 5 GiB + 1 byte long-message case of SHA-256 against the bare OpenSSL
// calls for the same bytes: the case hashes "abc" x 1789569707 once in the
// chunk sizes 1, 63, 65 and 1 MiB in turn and once contiguously in a single
// call over the mapped repetitions; the bare run makes the same chunked
// updates from a plain buffer, then hashes the message again in 1 MiB updates
// (5 GiB cannot be held in memory to give it in one call). Both are timed in
// process CPU time (the case's helper thread counts) and wall time, with the
// process's peak resident set afterwards. Slow: each hashes 2 x 5 GiB.
//   build/bench/zelkor-bench --benchmark_filter=LongMessageCase
//   build/bench/zelkor-bench --benchmark_filter=LongMessageBare

#include <benchmark/benchmark.h>

#include <openssl/evp.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "OpenSSLDigests.hpp"
#include "zelkor/tests/SHA.hpp"
#include "zelkor/tests/detail/digest/LongMessages.hpp"

namespace {

using namespace zelkor;

constexpr std::uint64_t kTimes = 1789569707;  // the second SHA256 record of KAT_LONG

double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double wallSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double peakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

struct Seconds {
    double cpu = 0, wall = 0;
};

// "abc" x kTimes through OpenSSL: the case's chunk sizes, then 1 MiB updates.
Seconds bareSeconds() {
    const std::vector<std::size_t> plan = tests::long_detail::chunkPlan(64);
    const std::uint64_t length = 3 * kTimes;
    const std::size_t longest = *std::max_element(plan.begin(), plan.end());
    std::vector<unsigned char> window(longest + 3);
    for (std::size_t i = 0; i < window.size(); ++i) window[i] = static_cast<unsigned char>('a' + i % 3);
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    unsigned char out[EVP_MAX_MD_SIZE];
    const double start = processSeconds(), startWall = wallSeconds();
    std::size_t next = 0;
    EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr);
    for (std::uint64_t pos = 0; pos < length;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(plan[next], length - pos));
        next = (next + 1) % plan.size();
        EVP_DigestUpdate(ctx, window.data() + pos % 3, n);
        pos += n;
    }
    EVP_DigestFinal_ex(ctx, out, nullptr);
    EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr);
    const std::size_t big = longest / 3 * 3;
    for (std::uint64_t pos = 0; pos < length; pos += big) {
        EVP_DigestUpdate(ctx, window.data(), static_cast<std::size_t>(std::min<std::uint64_t>(big, length - pos)));
    }
    EVP_DigestFinal_ex(ctx, out, nullptr);
    const Seconds seconds{processSeconds() - start, wallSeconds() - startWall};
    benchmark::DoNotOptimize(out);
    EVP_MD_CTX_free(ctx);
    return seconds;
}

void report(benchmark::State& state, const Seconds& total) {
    const auto n = static_cast<double>(state.iterations());
    state.counters["cpu_s"] = total.cpu / n;
    state.counters["wall_s"] = total.wall / n;
    state.counters["peak_rss_MiB"] = peakResidentMiB();
}

void BM_LongMessageCase5GiB(benchmark::State& state) {
    ::setenv("zelkor_tests_long", "1", 1);
    if (std::getenv("zelkor_tests_datadir") == nullptr) ::setenv("zelkor_tests_datadir", ZELKOR_SOURCE_DATA_DIR, 1);
    const auto suite = tests::makeSHA256LongMessageTests<reference::SHA256>();
    const auto& fiveGiB = std::get<tests::TestCase>(suite.at(1).node);
    Seconds total;
    for (auto _ : state) {
        const double start = processSeconds(), startWall = wallSeconds();
        fiveGiB.run();
        total.cpu += processSeconds() - start;
        total.wall += wallSeconds() - startWall;
    }
    report(state, total);
}

void BM_LongMessageBare5GiB(benchmark::State& state) {
    Seconds total;
    for (auto _ : state) {
        const Seconds once = bareSeconds();
        total.cpu += once.cpu;
        total.wall += once.wall;
    }
    report(state, total);
}

// Run them one at a time (--benchmark_filter) for each one's peak resident set.
BENCHMARK(BM_LongMessageCase5GiB)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_LongMessageBare5GiB)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
