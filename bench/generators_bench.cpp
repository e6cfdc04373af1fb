// Cost of drawing random inputs, and of the hash property group split into
// input generation and hashing.

#include <benchmark/benchmark.h>
#include <rapidcheck.h>

#include "ReferencePrimitives.hpp"
#include "zelkor/tests/Crypto.hpp"

namespace {

using namespace zelkor;

void BM_DrawByteString(benchmark::State& state) {
    rc::Random source(1);
    const int size = static_cast<int>(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const ByteString s = tests::detail::drawByteString(source.split(), size);
        bytes += s.size();
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_DrawByteString)->Arg(100)->Arg(50)->Arg(0);

void BM_DrawChunkedByteString(benchmark::State& state) {
    rc::Random source(2);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const ChunkedByteString s = tests::detail::drawChunkedByteString(source.split(), 100);
        bytes += s.size();
        benchmark::DoNotOptimize(&s);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_DrawChunkedByteString);

// The whole group at RapidCheck's default 100 cases per property.
void BM_HashPropGroupSHA256(benchmark::State& state) {
    const tests::Test group = tests::makeHashPropTests<reference::SHA256>();
    const auto& props = std::get<tests::TestGroup>(group.node).tests;
    for (auto _ : state) {
        for (const auto& prop : props) {
            const auto result = std::get<tests::TestProperty>(prop.node).check("bench");
            if (result.status != tests::PropertyResult::Status::Passed) state.SkipWithError("property failed");
        }
    }
}
BENCHMARK(BM_HashPropGroupSHA256)->Unit(benchmark::kMillisecond);

// Its two parts: the three random-input properties draw 100 messages each at
// sizes 0..99 ...
void BM_HashPropGroupGenerationOnly(benchmark::State& state) {
    rc::Random source(3);
    for (auto _ : state) {
        for (int property = 0; property < 3; ++property) {
            for (int size = 0; size < 100; ++size) {
                benchmark::DoNotOptimize(tests::detail::drawChunkedByteString(source.split(), size));
            }
        }
    }
}
BENCHMARK(BM_HashPropGroupGenerationOnly)->Unit(benchmark::kMillisecond);

// ... and hash each message twice (chunked and contiguous), plus the joins.
void BM_HashPropGroupHashingOnly(benchmark::State& state) {
    rc::Random source(4);
    std::vector<ChunkedByteString> messages;
    for (int i = 0; i < 300; ++i) messages.push_back(tests::detail::drawChunkedByteString(source.split(), i % 100));
    for (auto _ : state) {
        for (const auto& m : messages) {
            benchmark::DoNotOptimize(reference::SHA256::hash(m));
            benchmark::DoNotOptimize(reference::SHA256::hash(m.toStrict()));
        }
    }
}
BENCHMARK(BM_HashPropGroupHashingOnly)->Unit(benchmark::kMillisecond);

}  // namespace
