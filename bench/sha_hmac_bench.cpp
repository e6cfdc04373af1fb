// Building the SHA and HMAC suites from the installed vectors, and running all
// their cases against the reference digests. The run benchmarks time the
// digest calls separately, so that the suites' own cost per case (hex
// decoding, Len/Tlen reading, chunking, comparing) shows on its own.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "OpenSSLDigests.hpp"
#include "zelkor/tests/HMAC.hpp"
#include "zelkor/tests/SHA.hpp"

namespace {

using namespace zelkor;
using Clock = std::chrono::steady_clock;

void useInstalledVectors() { ::setenv("zelkor_tests_datadir", ZELKOR_SOURCE_DATA_DIR, 1); }

// Time spent inside the wrapped digest's hash and hmac calls.
Clock::duration digestTime{};

template <class D>
class TimedDigest {
public:
    static constexpr int outputLength = D::outputLength;
    static constexpr int blockLength = D::blockLength;

    explicit TimedDigest(D inner) : inner_(std::move(inner)) {}

    static TimedDigest hash(const ByteString& m) { return timed([&] { return D::hash(m); }); }
    static TimedDigest hash(const ChunkedByteString& m) { return timed([&] { return D::hash(m); }); }
    static TimedDigest hmac(const ByteString& k, const ByteString& m) {
        return timed([&] { return zelkor::hmac<D>(k, m); });
    }
    static TimedDigest hmac(const ByteString& k, const ChunkedByteString& m) {
        return timed([&] { return zelkor::hmac<D>(k, m); });
    }
    ByteString encode() const { return inner_.encode(); }
    static std::optional<TimedDigest> decode(const ByteString& b) {
        auto d = D::decode(b);
        if (!d) return std::nullopt;
        return TimedDigest(*d);
    }
    friend bool operator==(const TimedDigest&, const TimedDigest&) = default;

private:
    template <class F>
    static TimedDigest timed(F compute) {
        const auto start = Clock::now();
        TimedDigest out(compute());
        digestTime += Clock::now() - start;
        return out;
    }
    D inner_;
};

void append(std::vector<tests::Test>& out, std::vector<tests::Test> part) {
    for (auto& t : part) out.push_back(std::move(t));
}

// The known-answer cases of the five SHA suites, without their property groups.
std::vector<tests::Test> shaCases() {
    using namespace zelkor::reference;
    std::vector<std::vector<tests::Test>> suites;
    suites.push_back(tests::makeSHA1Tests<TimedDigest<SHA1>>());
    suites.push_back(tests::makeSHA224Tests<TimedDigest<SHA224>>());
    suites.push_back(tests::makeSHA256Tests<TimedDigest<SHA256>>());
    suites.push_back(tests::makeSHA384Tests<TimedDigest<SHA384>>());
    suites.push_back(tests::makeSHA512Tests<TimedDigest<SHA512>>());
    std::vector<tests::Test> out;
    for (auto& suite : suites) {
        suite.pop_back();
        append(out, std::move(suite));
    }
    return out;
}

std::vector<tests::Test> hmacCases() {
    using namespace zelkor::reference;
    std::vector<tests::Test> out;
    append(out, tests::makeSHA1HMACTests<TimedDigest<SHA1>>());
    append(out, tests::makeSHA224HMACTests<TimedDigest<SHA224>>());
    append(out, tests::makeSHA256HMACTests<TimedDigest<SHA256>>());
    append(out, tests::makeSHA384HMACTests<TimedDigest<SHA384>>());
    append(out, tests::makeSHA512HMACTests<TimedDigest<SHA512>>());
    return out;
}

void BM_BuildAllTenSuites(benchmark::State& state) {
    useInstalledVectors();
    using namespace zelkor::reference;
    std::size_t tests = 0;
    for (auto _ : state) {
        tests = tests::makeSHA1Tests<SHA1>().size() + tests::makeSHA224Tests<SHA224>().size() +
                tests::makeSHA256Tests<SHA256>().size() + tests::makeSHA384Tests<SHA384>().size() +
                tests::makeSHA512Tests<SHA512>().size() + tests::makeSHA1HMACTests<SHA1>().size() +
                tests::makeSHA224HMACTests<SHA224>().size() + tests::makeSHA256HMACTests<SHA256>().size() +
                tests::makeSHA384HMACTests<SHA384>().size() + tests::makeSHA512HMACTests<SHA512>().size();
    }
    state.counters["tests"] = static_cast<double>(tests);
}
BENCHMARK(BM_BuildAllTenSuites)->Unit(benchmark::kMillisecond);

void runCases(benchmark::State& state, const std::function<std::vector<tests::Test>()>& build) {
    useInstalledVectors();
    const std::vector<tests::Test> cases = build();
    digestTime = {};
    const auto start = Clock::now();
    for (auto _ : state) {
        for (const auto& t : cases) std::get<tests::TestCase>(t.node).run();
    }
    const auto total = Clock::now() - start;
    const double runs = static_cast<double>(cases.size()) * static_cast<double>(state.iterations());
    const auto ns = [runs](Clock::duration d) {
        return std::chrono::duration<double, std::nano>(d).count() / runs;
    };
    state.counters["cases"] = static_cast<double>(cases.size());
    state.counters["ns_per_case"] = ns(total);
    state.counters["digest_ns_per_case"] = ns(digestTime);
    state.counters["library_ns_per_case"] = ns(total - digestTime);
}

void BM_RunShaCases(benchmark::State& state) { runCases(state, shaCases); }
void BM_RunHmacCases(benchmark::State& state) { runCases(state, hmacCases); }
BENCHMARK(BM_RunShaCases)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunHmacCases)->Unit(benchmark::kMillisecond);

}  // namespace
