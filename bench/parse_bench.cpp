// Throughput of the vector-file parser over every installed record file (as
// views, as the library reads them, and as parseCategories' strings), next to
// a bare newline scan (memchr) of the same bytes as the floor to compare with.
#include <benchmark/benchmark.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/CategoryViews.hpp"

namespace {

struct VectorText {
    std::string recordKey;
    std::string text;
};

const std::vector<VectorText>& installedVectors() {
    static const std::vector<VectorText> vectors = [] {
        // Every family the library reads, with the key its readers give.
        const std::pair<const char*, const char*> families[] = {
            {"KAT_AES", "COUNT"},     {"KAT_AES_CTR", "COUNT"},  {"KAT_AES_GCM", "Count"},
            {"KAT_CHACHA20_POLY1305", "COUNT"}, {"KAT_HMAC", "Count"}, {"KAT_HMAC_RFC", "Len"},
            {"KAT_LONG", "Pattern"},  {"KAT_MD5", "Len"},        {"KAT_SHA", "Len"},
            {"KAT_SHA3", "Len"},      {"KAT_SHA512t", "Len"},    {"KAT_SHA_MONTE", "Seed"},
            {"KAT_TWOFISH", "I"}};
        std::vector<VectorText> out;
        for (const auto& [family, key] : families) {
            const auto dir = std::filesystem::path(ZELKOR_SOURCE_DATA_DIR) / "Test" / family;
            if (!std::filesystem::is_directory(dir)) continue;
            for (const auto& entry : std::filesystem::directory_iterator(dir)) {
                if (!entry.is_regular_file()) continue;
                std::ifstream in(entry.path(), std::ios::binary);
                std::ostringstream text;
                text << in.rdbuf();
                out.push_back({key, text.str()});
            }
        }
        return out;
    }();
    return vectors;
}

std::int64_t totalBytes() {
    std::int64_t total = 0;
    for (const auto& vector : installedVectors()) total += static_cast<std::int64_t>(vector.text.size());
    return total;
}

void BM_ParseInstalledVectors(benchmark::State& state) {
    const auto& vectors = installedVectors();
    if (vectors.empty()) state.SkipWithError("no installed vector files found");
    for (auto _ : state) {
        for (const auto& vector : vectors) {
            auto categories = zelkor::tests::parseCategories(vector.recordKey, vector.text);
            benchmark::DoNotOptimize(categories.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * totalBytes());
    state.counters["files"] = static_cast<double>(vectors.size());
}
BENCHMARK(BM_ParseInstalledVectors)->Unit(benchmark::kMillisecond);

void BM_ParseInstalledVectorsAsViews(benchmark::State& state) {
    const auto& vectors = installedVectors();
    if (vectors.empty()) state.SkipWithError("no installed vector files found");
    for (auto _ : state) {
        for (const auto& vector : vectors) {
            std::deque<std::string> rewritten;
            auto categories = zelkor::tests::detail::parseCategoryViews(vector.recordKey, vector.text, rewritten);
            benchmark::DoNotOptimize(categories.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * totalBytes());
    state.counters["files"] = static_cast<double>(vectors.size());
}
BENCHMARK(BM_ParseInstalledVectorsAsViews)->Unit(benchmark::kMillisecond);

void BM_NewlineScanInstalledVectors(benchmark::State& state) {
    const auto& vectors = installedVectors();
    if (vectors.empty()) state.SkipWithError("no installed vector files found");
    for (auto _ : state) {
        std::size_t lines = 0;
        for (const auto& vector : vectors) {
            const char* p = vector.text.data();
            const char* end = p + vector.text.size();
            while (const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
                ++lines;
                p = static_cast<const char*>(lf) + 1;
            }
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * totalBytes());
}
BENCHMARK(BM_NewlineScanInstalledVectors)->Unit(benchmark::kMillisecond);

}  // namespace
