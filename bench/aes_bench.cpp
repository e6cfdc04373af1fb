// Cost of the AES known-answer suite (building it, running its cases, and the
// bare cipher calls those cases make) and of the block-cipher property groups
// split into input generation and cipher work.

#include <benchmark/benchmark.h>
#include <rapidcheck.h>

#include <cstdlib>
#include <optional>
#include <variant>
#include <vector>

#include "OpenSSLAES.hpp"
#include "zelkor/tests/AES.hpp"

namespace {

using namespace zelkor;

void useInstalledVectors() { ::setenv("zelkor_tests_datadir", ZELKOR_SOURCE_DATA_DIR, 1); }

std::vector<const tests::TestCase*> casesOf(const std::vector<tests::Test>& suite) {
    std::vector<const tests::TestCase*> out;
    for (const auto& test : suite) {
        if (const auto* unit = std::get_if<tests::TestCase>(&test.node)) out.push_back(unit);
    }
    return out;
}

// Reading, parsing and turning every file into cases (keys and IVs included).
template <class K>
void BM_MakeAESTests(benchmark::State& state) {
    useInstalledVectors();
    std::size_t cases = 0;
    for (auto _ : state) {
        const auto suite = tests::makeAESTests<K>();
        cases = suite.size() - 2;
        benchmark::DoNotOptimize(suite.data());
    }
    state.counters["cases"] = static_cast<double>(cases);
    state.counters["per_case"] = benchmark::Counter(static_cast<double>(cases * state.iterations()),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MakeAESTests<reference::AES128>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeAESTests<reference::AES192>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeAESTests<reference::AES256>)->Unit(benchmark::kMillisecond);

// Every known-answer case once: hex decoding, the cipher call, the comparison.
template <class K>
void BM_RunAESCases(benchmark::State& state) {
    useInstalledVectors();
    const auto suite = tests::makeAESTests<K>();
    const auto cases = casesOf(suite);
    for (auto _ : state) {
        for (const auto* unit : cases) unit->run();
    }
    state.counters["per_case"] =
        benchmark::Counter(static_cast<double>(cases.size() * state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RunAESCases<reference::AES128>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunAESCases<reference::AES192>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunAESCases<reference::AES256>)->Unit(benchmark::kMillisecond);

// The floor for the line above: the same cipher calls on inputs decoded in
// advance, with no hex decoding and no comparison.
template <class K>
struct RawCall {
    tests::aes_detail::FileMode fileMode;
    K key;
    std::optional<IV<K>> iv;
    ByteString input;
};

template <class K>
std::vector<RawCall<K>> rawCalls() {
    std::vector<RawCall<K>> out;
    for (const auto& file : tests::detail::loadVectorDirectory("KAT_AES", "COUNT")) {
        const auto fileMode = tests::aes_detail::fileModeOf(tests::detail::fileNameOf(file.path));
        if (!fileMode) continue;
        const bool encrypt = fileMode->direction == tests::aes_detail::Direction::Encrypt;
        for (const auto& category : file.categories) {
            for (const auto& record : category.records) {
                const auto key = K::buildKey(tests::hexStringToBS(*tests::lookup(record, "KEY")));
                if (!key) continue;
                std::optional<IV<K>> iv;
                if (tests::aes_detail::usesIV(fileMode->mode)) {
                    iv = IV<K>::decode(tests::hexStringToBS(*tests::lookup(record, "IV")));
                }
                const auto input = tests::lookup(record, encrypt ? "PLAINTEXT" : "CIPHERTEXT");
                out.push_back({*fileMode, *key, iv, tests::hexStringToBS(*input)});
            }
        }
    }
    return out;
}

template <class K>
void BM_RawCipherCalls(benchmark::State& state) {
    useInstalledVectors();
    const auto calls = rawCalls<K>();
    for (auto _ : state) {
        for (const auto& call : calls) {
            const ByteString out = tests::aes_detail::applyOperation(call.fileMode, call.key, call.iv, call.input);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.counters["per_case"] =
        benchmark::Counter(static_cast<double>(calls.size() * state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RawCipherCalls<reference::AES128>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawCipherCalls<reference::AES192>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawCipherCalls<reference::AES256>)->Unit(benchmark::kMillisecond);

// One property group at RapidCheck's default 100 cases per property.
void runGroup(benchmark::State& state, const tests::Test& group) {
    for (const auto& prop : std::get<tests::TestGroup>(group.node).tests) {
        const auto result = std::get<tests::TestProperty>(prop.node).check("bench");
        if (result.status != tests::PropertyResult::Status::Passed) state.SkipWithError("property failed");
    }
}

void BM_PropGroupIdentAES128(benchmark::State& state) {
    const auto groups = tests::makeBlockCipherPropTests<reference::AES128>();
    for (auto _ : state) runGroup(state, groups[0]);
}
BENCHMARK(BM_PropGroupIdentAES128)->Unit(benchmark::kMillisecond);

void BM_PropGroupLazyEqAES128(benchmark::State& state) {
    const auto groups = tests::makeBlockCipherPropTests<reference::AES128>();
    for (auto _ : state) runGroup(state, groups[1]);
}
BENCHMARK(BM_PropGroupLazyEqAES128)->Unit(benchmark::kMillisecond);

// Their inputs alone: per group, five properties of 100 cases at sizes 0..99,
// each drawing key material, IV material (four of the five) and a plaintext.
void BM_PropGroupGenerationOnly(benchmark::State& state) {
    const bool chunked = state.range(0) != 0;
    rc::Random source(7);
    for (auto _ : state) {
        for (int property = 0; property < 5; ++property) {
            for (int size = 0; size < 100; ++size) {
                benchmark::DoNotOptimize(tests::detail::drawByteString(source.split(), size));
                if (property > 0) benchmark::DoNotOptimize(tests::detail::drawByteString(source.split(), size));
                if (chunked) {
                    benchmark::DoNotOptimize(tests::detail::drawChunkedByteString(source.split(), size));
                } else {
                    benchmark::DoNotOptimize(tests::detail::drawByteString(source.split(), size));
                }
            }
        }
    }
}
BENCHMARK(BM_PropGroupGenerationOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
