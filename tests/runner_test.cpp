// What GoogleTest reports for each kind of leaf, read from a probe program.

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

struct ProbeRun {
    int status;
    std::string output;
};

// Runs the probe with GoogleTest arguments, after optional environment settings.
ProbeRun runProbe(const std::string& args, const std::string& environment = "") {
    const std::string command = environment + " " + ZELKOR_RUNNER_PROBE + " " + args + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string output;
    std::array<char, 4096> buffer{};
    while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe.get())) output.append(buffer.data(), n);
    const int status = pclose(pipe.release());
    return {status, output};
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(Runner, ReportsEachOutcomeUnderItsGroupSuite) {
    const ProbeRun run = runProbe("--gtest_filter='Outcomes.*'");
    EXPECT_NE(run.status, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "[       OK ] Outcomes.passes")) << run.output;
    EXPECT_TRUE(contains(run.output, "[       OK ] Outcomes.propertyPasses")) << run.output;
    EXPECT_TRUE(contains(run.output, "[  FAILED  ] Outcomes.fails")) << run.output;
    EXPECT_TRUE(contains(run.output, "[  FAILED  ] Outcomes.throws")) << run.output;
    EXPECT_TRUE(contains(run.output, "[  FAILED  ] Outcomes.propertyFails")) << run.output;
    EXPECT_TRUE(contains(run.output, "[  FAILED  ] Outcomes.propertyDiscards")) << run.output;
    // A skipped case says why and is counted neither as passed nor as failed.
    EXPECT_TRUE(contains(run.output, "[  SKIPPED ] Outcomes.skips")) << run.output;
    EXPECT_TRUE(contains(run.output, "not wanted in this run")) << run.output;
}

TEST(Runner, AssertionFailureShowsPrefixAndBothValues) {
    const ProbeRun run = runProbe("--gtest_filter=Outcomes.fails");
    EXPECT_TRUE(contains(run.output, "Assertion failed: probeKAT-3\nexpected: \"ab\"\n but got: \"cd\""))
        << run.output;
}

TEST(Runner, KnownAnswerFailureIsReportedAtItsRecordWithLabelledValues) {
    const std::string report = testing::TempDir() + "runner_probe_report.json";
    const ProbeRun run = runProbe("--gtest_filter=Outcomes.located --gtest_output=json:" + report);
    EXPECT_TRUE(contains(run.output, "/vectors/CBCMMT192d.txt:45: Failure")) << run.output;
    EXPECT_TRUE(contains(run.output, "probeKAT-4\nexpected: \"010203\" (3 bytes, computed by the implementation)\n"
                                     " but got: \"010204\" (3 bytes, from /vectors/CBCMMT192d.txt:45)\n"
                                     "first difference at byte 2"))
        << run.output;
    std::ifstream in(report);
    const std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(contains(json, "\"file\": \"\\/vectors\\/CBCMMT192d.txt\"") ||
                contains(json, "\"file\": \"/vectors/CBCMMT192d.txt\""))
        << json;
    EXPECT_TRUE(contains(json, "\"line\": 45")) << json;
}

TEST(Runner, LongCounterexamplesAreCutUnlessFullValuesAreAsked) {
    // The failing property's input has 3000 to 4096 bytes.
    const ProbeRun cut = runProbe("--gtest_filter=Outcomes.propertyFails");
    EXPECT_LT(cut.output.size(), 4096u) << cut.output;
    EXPECT_TRUE(contains(cut.output, "...")) << cut.output;
    const ProbeRun full = runProbe("--gtest_filter=Outcomes.propertyFails", "zelkor_tests_full_values=1");
    EXPECT_GT(full.output.size(), 6000u);
}

TEST(Runner, SummaryCountsKnownAnswersAndPropertiesApart) {
    const ProbeRun run = runProbe("--gtest_filter='Outcomes.*'");
    EXPECT_TRUE(contains(run.output, "known answers     1 passed    3 failed    1 skipped; "
                                     "properties   1 passed   2 failed   0 skipped"))
        << run.output;
}

TEST(Runner, ThrowingCaseIsAnErrorWithTheExceptionText) {
    const ProbeRun run = runProbe("--gtest_filter=Outcomes.throws");
    EXPECT_TRUE(contains(run.output, "Error (")) << run.output;
    EXPECT_TRUE(contains(run.output, "probe exploded")) << run.output;
    EXPECT_FALSE(contains(run.output, "Assertion failed")) << run.output;
}

TEST(Runner, FailedPropertyShowsCounterexampleAndReproduceLine) {
    const ProbeRun run = runProbe("--gtest_filter=Outcomes.propertyFails");
    EXPECT_TRUE(contains(run.output, "Property failed")) << run.output;
    EXPECT_TRUE(contains(run.output, "Falsifiable")) << run.output;
    EXPECT_TRUE(contains(run.output, "RC_PARAMS=\"reproduce=")) << run.output;
}

TEST(Runner, ReproduceLineReplaysTheFailureAndSkipsOtherProperties) {
    const ProbeRun failing = runProbe("--gtest_filter=Outcomes.propertyFails");
    const auto start = failing.output.find("RC_PARAMS=\"");
    ASSERT_NE(start, std::string::npos) << failing.output;
    const auto end = failing.output.find('"', start + 11);
    ASSERT_NE(end, std::string::npos) << failing.output;
    const std::string params = failing.output.substr(start, end + 1 - start);

    const ProbeRun replay = runProbe("--gtest_filter='Outcomes.property*'", params);
    EXPECT_TRUE(contains(replay.output, "[  FAILED  ] Outcomes.propertyFails")) << replay.output;
    EXPECT_TRUE(contains(replay.output, "[  SKIPPED ] Outcomes.propertyPasses")) << replay.output;
}

TEST(Runner, PropertyThatDiscardsEverythingGivesUp) {
    const ProbeRun run = runProbe("--gtest_filter=Outcomes.propertyDiscards");
    EXPECT_TRUE(contains(run.output, "gave up")) << run.output;
    EXPECT_NE(run.status, 0);
}

TEST(Runner, RepeatedNamesAreSelectableOneByOne) {
    const ProbeRun first = runProbe("--gtest_filter=Names.dup");
    EXPECT_EQ(first.status, 0) << first.output;
    EXPECT_TRUE(contains(first.output, "1 test from Names")) << first.output;
    const ProbeRun second = runProbe("--gtest_filter='Names.dup#2'");
    EXPECT_NE(second.status, 0) << second.output;
    EXPECT_TRUE(contains(second.output, "unknown type")) << second.output;
}

TEST(Runner, RepeatSuffixesSkipNamesThatLeavesAlreadyHave) {
    const ProbeRun run = runProbe("--gtest_list_tests --gtest_filter='Repeats.*'");
    EXPECT_TRUE(contains(run.output, "Repeats.\n  x\n  x#2\n  x#3\n  x#4\n")) << run.output;
}

TEST(Runner, HyphenInANameIsSelectedWithAQuestionMark) {
    const ProbeRun run = runProbe("--gtest_filter='Names.a?b'");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "[       OK ] Names.a-b")) << run.output;
}

TEST(Runner, FilterWithAHyphenThatSelectsEveryTestIsReportedOnce) {
    const std::string warning = "selects every test: GoogleTest reads it as run '*' except 'probe*'";
    const ProbeRun all = runProbe("--gtest_filter='*-probe*'");
    EXPECT_TRUE(contains(all.output, "warning: --gtest_filter='*-probe*' " + warning)) << all.output;
    const ProbeRun some = runProbe("--gtest_filter='Names.*-*dup*'");
    EXPECT_FALSE(contains(some.output, "warning:")) << some.output;
}

TEST(Runner, LeavesOutsideAnyGroupGoToTheDefaultSuite) {
    const ProbeRun run = runProbe("--gtest_filter=zelkor_tests.loose");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "[       OK ] zelkor_tests.loose")) << run.output;
}

}  // namespace
