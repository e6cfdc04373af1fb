// Registering many leaves that share one name with GoogleTest. Every
// iteration registers into a fresh suite, since registrations cannot be undone.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "zelkor/tests/GTest.hpp"

namespace {

void BM_RegisterSameNamedLeaves(benchmark::State& state) {
    const std::vector<zelkor::tests::Test> leaves(static_cast<std::size_t>(state.range(0)),
                                                  zelkor::tests::testCase("same", [] {}));
    int suite = 0;
    for (auto _ : state) {
        zelkor::tests::registerTests(leaves, "Naming" + std::to_string(suite++));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_RegisterSameNamedLeaves)->Arg(5000)->Arg(20000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
