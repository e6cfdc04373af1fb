// Throughput of hexStringToBS over 1 MiB of hex text.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "zelkor/tests/Crypto.hpp"

namespace {

std::string randomHex(std::size_t characters) {
    static constexpr char digits[] = "0123456789abcdefABCDEF";
    std::mt19937 random(42);
    std::uniform_int_distribution<int> pick(0, sizeof digits - 2);
    std::string hex(characters, '0');
    for (char& c : hex) c = digits[pick(random)];
    return hex;
}

void BM_HexStringToBS(benchmark::State& state) {
    const std::string hex = randomHex(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        zelkor::ByteString bytes = zelkor::tests::hexStringToBS(hex);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_HexStringToBS)->Arg(1 << 20)->Arg(64);

}  // namespace
