// Reading the installed Wycheproof files: the library's reader (nlohmann's SAX
// parser with positions, then the conversion to WycheproofFile) next to a plain
// nlohmann DOM parse and, when simdjson is present, simdjson's DOM parse and an
// On-Demand walk over every value. The figures chose the JSON parser.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "zelkor/tests/detail/formats/Wycheproof.hpp"

#ifdef ZELKOR_BENCH_SIMDJSON
#include <simdjson.h>
#endif

namespace {

struct JsonText {
    std::string path;
    std::string text;
};

const std::vector<JsonText>& wycheproofTexts() {
    static const std::vector<JsonText> texts = [] {
        std::vector<JsonText> out;
        const auto dir = std::filesystem::path(ZELKOR_SOURCE_DATA_DIR) / "Wycheproof";
        if (!std::filesystem::is_directory(dir)) return out;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (entry.path().extension() != ".json") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            out.push_back({entry.path().string(), text.str()});
        }
        return out;
    }();
    return texts;
}

void finish(benchmark::State& state) {
    std::int64_t bytes = 0;
    for (const auto& text : wycheproofTexts()) bytes += static_cast<std::int64_t>(text.text.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
    state.counters["files"] = static_cast<double>(wycheproofTexts().size());
}

void BM_WycheproofReader(benchmark::State& state) {
    if (wycheproofTexts().empty()) state.SkipWithError("no Wycheproof files found");
    for (auto _ : state)
        for (const auto& text : wycheproofTexts()) {
            auto file = zelkor::tests::detail::parseWycheproof(text.text, text.path);
            benchmark::DoNotOptimize(file.groups.data());
        }
    finish(state);
}
BENCHMARK(BM_WycheproofReader)->Unit(benchmark::kMillisecond);

void BM_NlohmannDom(benchmark::State& state) {
    if (wycheproofTexts().empty()) state.SkipWithError("no Wycheproof files found");
    for (auto _ : state)
        for (const auto& text : wycheproofTexts()) {
            auto json = nlohmann::json::parse(text.text);
            benchmark::DoNotOptimize(json.size());
        }
    finish(state);
}
BENCHMARK(BM_NlohmannDom)->Unit(benchmark::kMillisecond);

#ifdef ZELKOR_BENCH_SIMDJSON
void BM_SimdjsonDom(benchmark::State& state) {
    if (wycheproofTexts().empty()) state.SkipWithError("no Wycheproof files found");
    simdjson::dom::parser parser;
    std::vector<simdjson::padded_string> padded;
    for (const auto& text : wycheproofTexts()) padded.emplace_back(text.text);
    for (auto _ : state)
        for (const auto& text : padded) {
            simdjson::dom::element root;
            if (parser.parse(text).get(root) != simdjson::SUCCESS) state.SkipWithError("simdjson error");
            benchmark::DoNotOptimize(root);
        }
    finish(state);
}
BENCHMARK(BM_SimdjsonDom)->Unit(benchmark::kMillisecond);

// Visits every value, as a reader that copies everything out must.
std::size_t walk(simdjson::ondemand::value value) {
    std::size_t n = 1;
    switch (value.type().value_unsafe()) {
        case simdjson::ondemand::json_type::object:
            for (auto field : value.get_object()) n += walk(field.value().value_unsafe());
            break;
        case simdjson::ondemand::json_type::array:
            for (auto element : value.get_array()) n += walk(element.value_unsafe());
            break;
        case simdjson::ondemand::json_type::string: n += value.get_string().value_unsafe().size(); break;
        default: n += value.raw_json_token().size(); break;
    }
    return n;
}

void BM_SimdjsonOnDemandWalk(benchmark::State& state) {
    if (wycheproofTexts().empty()) state.SkipWithError("no Wycheproof files found");
    simdjson::ondemand::parser parser;
    std::vector<simdjson::padded_string> padded;
    for (const auto& text : wycheproofTexts()) padded.emplace_back(text.text);
    for (auto _ : state)
        for (const auto& text : padded) {
            auto doc = parser.iterate(text);
            std::size_t n = 0;
            for (auto field : doc.get_object()) n += walk(field.value().value_unsafe());
            benchmark::DoNotOptimize(n);
        }
    finish(state);
}
BENCHMARK(BM_SimdjsonOnDemandWalk)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
