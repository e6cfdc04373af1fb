// The Monte Carlo suites against the bare hashing work of the same chain. The
// suite's run (building the list, then every case: 100 checkpoints of 1000
// steps, contiguous input on even checkpoints and 37-byte chunks on odd ones)
// is timed next to the OpenSSL calls that the reference digest makes for the
// same 100,000 digests: a fresh EVP context per digest, one update per chunk.
// Both are timed in thread CPU time, so that other load on the machine does
// not count; "library_share" is the part of the suite's time that is not
// that bare hashing.

#include <benchmark/benchmark.h>

#include <openssl/evp.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "OpenSSLDigests.hpp"
#include "zelkor/tests/SHA.hpp"

namespace {

using namespace zelkor;

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// The digests of one chain, straight through OpenSSL.
double bareChainSeconds(const char* digestName, std::size_t digestBytes) {
    EVP_MD* md = EVP_MD_fetch(nullptr, digestName, nullptr);
    std::vector<unsigned char> window(3 * digestBytes, 0x5a);
    unsigned char out[EVP_MAX_MD_SIZE];
    const double start = threadSeconds();
    for (int checkpoint = 0; checkpoint < 100; ++checkpoint) {
        const std::size_t chunk = checkpoint % 2 == 0 ? window.size() : 37;
        for (int step = 0; step < 1000; ++step) {
            EVP_MD_CTX* ctx = EVP_MD_CTX_new();
            EVP_DigestInit_ex(ctx, md, nullptr);
            for (std::size_t pos = 0; pos < window.size(); pos += chunk) {
                EVP_DigestUpdate(ctx, window.data() + pos, std::min(chunk, window.size() - pos));
            }
            EVP_DigestFinal_ex(ctx, out, nullptr);
            EVP_MD_CTX_free(ctx);
            std::memmove(window.data(), window.data() + digestBytes, 2 * digestBytes);
            std::memcpy(window.data() + 2 * digestBytes, out, digestBytes);
        }
    }
    benchmark::DoNotOptimize(window.data());
    const double seconds = threadSeconds() - start;
    EVP_MD_free(md);
    return seconds;
}

template <class Alg>
void BM_MonteSuite(benchmark::State& state) {
    ::setenv("zelkor_tests_datadir", ZELKOR_SOURCE_DATA_DIR, 1);
    double suiteSeconds = 0;
    double bareSeconds = 0;
    for (auto _ : state) {
        const double start = threadSeconds();
        for (const tests::Test& test : Alg::build()) std::get<tests::TestCase>(test.node).run();
        suiteSeconds += threadSeconds() - start;
        state.PauseTiming();
        bareSeconds += bareChainSeconds(Alg::name, Alg::Digest::outputLength / 8);
        state.ResumeTiming();
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["suite_cpu_ms"] = 1000 * suiteSeconds / iterations;
    state.counters["bare_cpu_ms"] = 1000 * bareSeconds / iterations;
    state.counters["library_share"] = 1 - bareSeconds / suiteSeconds;
}

#define ZELKOR_MONTE(ALG)                                                                     \
    struct ALG##Monte {                                                                       \
        using Digest = reference::ALG;                                                        \
        static constexpr const char* name = #ALG;                                             \
        static std::vector<tests::Test> build() { return tests::make##ALG##MonteTests<Digest>(); } \
    };                                                                                        \
    BENCHMARK_TEMPLATE(BM_MonteSuite, ALG##Monte)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()

ZELKOR_MONTE(SHA1);
ZELKOR_MONTE(SHA224);
ZELKOR_MONTE(SHA256);
ZELKOR_MONTE(SHA384);
ZELKOR_MONTE(SHA512);

}  // namespace
