// What GoogleTest reports for each kind of leaf, read from a probe program.

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "zelkor/tests/detail/run/FilterMatch.hpp"

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

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

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

TEST(Runner, FilterSelectingNoTestSaysWhyAndFails) {
    const ProbeRun dash = runProbe("--gtest_filter='Names.a-b'");
    EXPECT_NE(dash.status, 0) << dash.output;
    EXPECT_TRUE(contains(dash.output, "error: no test ran: --gtest_filter='Names.a-b' selects no test: GoogleTest "
                                      "reads it as run 'Names.a' except 'b'; a '-' starts the negative patterns"))
        << dash.output;
    EXPECT_TRUE(contains(dash.output, "('Names.a?b' selects 1 test)")) << dash.output;

    const ProbeRun none = runProbe("--gtest_filter='Nowhere*'");
    EXPECT_NE(none.status, 0) << none.output;
    EXPECT_TRUE(contains(none.output, "--gtest_filter='Nowhere*' selects none of the ")) << none.output;
}

TEST(Runner, EmptyShardOfANonEmptySelectionPassesAndSaysSo) {
    // Three tests over five shards: the last two get none.
    const std::string shards = "GTEST_TOTAL_SHARDS=5 GTEST_SHARD_INDEX=4";
    const ProbeRun empty = runProbe("--gtest_filter='Names.*'", shards);
    EXPECT_EQ(empty.status, 0) << empty.output;
    EXPECT_TRUE(contains(empty.output, "Running 0 tests")) << empty.output;
    EXPECT_TRUE(contains(empty.output, "GTEST_SHARD_INDEX=4 of 5 shards runs no test: the 3 selected tests run in "
                                       "the other shards"))
        << empty.output;

    const ProbeRun nothing = runProbe("--gtest_filter='Names.a-b'", shards);
    EXPECT_NE(nothing.status, 0) << nothing.output;
    EXPECT_TRUE(contains(nothing.output, "error: no test ran")) << nothing.output;
}

TEST(Runner, FilterIsReadAsGoogleTestReadsIt) {
    using zelkor::tests::detail::filterSelects;
    EXPECT_TRUE(filterSelects("*", "A.b"));
    EXPECT_FALSE(filterSelects("", "A.b"));
    EXPECT_TRUE(filterSelects("A.a?b", "A.a-b"));
    EXPECT_FALSE(filterSelects("A.a-b", "A.a-b"));
    EXPECT_TRUE(filterSelects("-B.*", "A.b"));
    EXPECT_FALSE(filterSelects("-B.*", "B.b"));
    EXPECT_TRUE(filterSelects("X.*:A/*.b", "A/G/H.b"));
    EXPECT_FALSE(filterSelects("A.*-*#2:*x", "A.b#2"));
    EXPECT_TRUE(filterSelects("A.b-", "A.b"));  // an empty negative pattern excludes only ""
    EXPECT_FALSE(filterSelects("A.b*c", "A.bcd"));
    EXPECT_TRUE(filterSelects("*b*c*", "A.xbycz"));
}

TEST(Runner, SummaryCountsTheRecordsOfTheCasesThatRan) {
    const std::string vectors = "probe-vectors: 1 file, 5 records read: 5 used, ";
    const ProbeRun all = runProbe("--gtest_filter='Records.*'");
    EXPECT_TRUE(contains(all.output, vectors + "5 ran\n")) << all.output;
    // Two cases of one record count it once.
    const ProbeRun shared = runProbe("--gtest_filter='Records.first*'");
    EXPECT_TRUE(contains(shared.output, vectors + "1 ran\n")) << shared.output;
    const ProbeRun category = runProbe("--gtest_filter='Records.three'");
    EXPECT_TRUE(contains(category.output, vectors + "3 ran\n")) << category.output;
}

TEST(Runner, FailuresWithOneCauseAreSummarisedOnceAndEachCaseKeepsItsMessage) {
    const ProbeRun run = runProbe("--gtest_filter='Causes.*'");
    EXPECT_NE(run.status, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "Failures shared by several cases:\n"
                                     "  3 cases failed: Error (std::invalid_argument): nonce must be 12 bytes\n"
                                     "    first at Causes.a"))
        << run.output;
    EXPECT_EQ(occurrences(run.output, "nonce must be 12 bytes"), 4u) << run.output;  // each case, then the summary
    EXPECT_FALSE(contains(run.output, "cases failed: Assertion failed")) << run.output;
}

TEST(Runner, VectorErrorWhileBuildingTheTreeEndsTheRunWithItsMessage) {
    const ProbeRun run = runProbe("", "zelkor_probe_build=missing-vectors zelkor_tests_datadir=/nonexistent-zelkor");
    ASSERT_TRUE(WIFEXITED(run.status)) << run.output;  // not ended by a signal (std::terminate aborts)
    EXPECT_EQ(WEXITSTATUS(run.status), 2) << run.output;
    EXPECT_TRUE(contains(run.output, "zelkor-tests: cannot build the test tree (")) << run.output;
    EXPECT_TRUE(contains(run.output, "/nonexistent-zelkor/Test/KAT_NOT_THERE")) << run.output;
    EXPECT_FALSE(contains(run.output, "terminate called")) << run.output;
}

// Each test's verdict line without its time, and the summary after the run.
std::string verdictsOf(const std::string& output) {
    std::istringstream lines(output);
    std::string line, verdicts;
    bool summary = false;
    while (std::getline(lines, line)) {
        summary = summary || line.starts_with("Summary by suite");
        // A worker's own output (RapidCheck's configuration line) may land
        // at the start of a verdict line.
        for (const char* mark : {"[       OK ]", "[  FAILED  ]", "[  SKIPPED ]"}) {
            if (const auto at = line.find(mark); at != std::string::npos) line.erase(0, at);
        }
        const bool verdict = line.starts_with("[       OK ]") || line.starts_with("[  FAILED  ]") ||
                             line.starts_with("[  SKIPPED ]");
        // The reproduce line holds a new random seed in each run.
        if ((!verdict && !summary) || line.starts_with("RC_PARAMS")) continue;
        if (verdict) line = line.substr(0, line.rfind(" ("));
        verdicts += line + "\n";
    }
    return verdicts;
}

TEST(Runner, LeavesRunAheadOnOtherThreadsGiveTheSameReport) {
    const ProbeRun serial = runProbe("--gtest_repeat=2", "zelkor_tests_jobs=1");
    const ProbeRun ahead = runProbe("--gtest_repeat=2", "zelkor_tests_jobs=3");
    EXPECT_EQ(serial.status, ahead.status);
    EXPECT_EQ(verdictsOf(ahead.output), verdictsOf(serial.output)) << ahead.output;
    EXPECT_EQ(occurrences(ahead.output, "Assertion failed: probeKAT-3\nexpected: \"ab\""), 2u) << ahead.output;
    EXPECT_EQ(occurrences(ahead.output, "[  SKIPPED ] Outcomes.skips ("), 2u) << ahead.output;

    const ProbeRun wrong = runProbe("", "zelkor_tests_jobs=two");
    ASSERT_TRUE(WIFEXITED(wrong.status)) << wrong.output;
    EXPECT_EQ(WEXITSTATUS(wrong.status), 2) << wrong.output;
    EXPECT_TRUE(contains(wrong.output, "zelkor_tests_jobs='two' is not a number of threads")) << wrong.output;
}

}  // namespace
