// The conformance groups at RapidCheck's default 100 cases per property,
// against the two block-cipher property groups together (AES-128 with
// OpenSSL's modes), and for a slow key schedule and a digest.

#include <benchmark/benchmark.h>

#include <variant>
#include <vector>

#include "NettleTwofish.hpp"
#include "OpenSSLAES.hpp"
#include "OpenSSLDigests.hpp"
#include "zelkor/tests/Conformance.hpp"
#include "zelkor/tests/Crypto.hpp"

namespace {

using namespace zelkor;

// Every property of the groups, once.
void runGroups(benchmark::State& state, const std::vector<tests::Test>& groups) {
    for (const auto& group : groups) {
        for (const auto& prop : std::get<tests::TestGroup>(group.node).tests) {
            const auto result = std::get<tests::TestProperty>(prop.node).check("bench");
            if (result.status != tests::PropertyResult::Status::Passed) state.SkipWithError("property failed");
        }
    }
}

void BM_BothPropGroupsAES128(benchmark::State& state) {
    const auto groups = tests::makeBlockCipherPropTests<reference::AES128>();
    for (auto _ : state) runGroups(state, groups);
}
BENCHMARK(BM_BothPropGroupsAES128)->Unit(benchmark::kMillisecond);

template <class K>
void BM_CipherConformance(benchmark::State& state) {
    const auto groups = tests::makeBlockCipherConformanceTests<K>();
    for (auto _ : state) runGroups(state, groups);
}
BENCHMARK(BM_CipherConformance<reference::AES128>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CipherConformance<reference::Twofish>)->Unit(benchmark::kMillisecond);

template <class D>
void BM_DigestConformance(benchmark::State& state) {
    const std::vector<tests::Test> groups = tests::makeHashConformanceTests<D>();
    for (auto _ : state) runGroups(state, groups);
}
BENCHMARK(BM_DigestConformance<reference::SHA256>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DigestConformance<reference::SHA512>)->Unit(benchmark::kMillisecond);

}  // namespace
