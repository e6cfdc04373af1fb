#pragma once
// Leaves run ahead on other threads while GoogleTest walks the list: with
// zelkor_tests_jobs=N, N-1 worker threads take the selected leaves in the
// order GoogleTest will run them and keep each one's outcome; the test body
// reports the kept outcome, or runs the leaf itself when no worker has taken
// it yet; waiting for a worker's leaf, it runs the leaves ahead meanwhile, so
// that a long leaf does not hold every other thread back. Properties run in
// their test body (see AheadLeaf). GoogleTest's output, filters, shards, repeats and reports stay its
// own. Off (every leaf runs in its test body) unless asked for, since the
// primitive under test must then be safe to call from several threads; always
// off under valgrind, whose constant-time counts are per process.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace testing {
class TestInfo;
class UnitTest;
}  // namespace testing

namespace zelkor::tests::detail {

// What running one leaf gave, ready to be reported on GoogleTest's thread.
struct LeafOutcome {
    enum class Kind { Passed, Skipped, AssertionFailed, Error, PropertyFailed, PropertyGaveUp };
    Kind kind = Kind::Passed;
    std::string message;
};

using LeafRun = std::function<LeafOutcome()>;

// A leaf as the workers see it. A property runs only on GoogleTest's thread,
// when its turn comes: properties run one at a time anyway (RapidCheck keeps
// a running property's state process-wide), so the workers spend their time
// on the other leaves meanwhile.
struct AheadLeaf {
    LeafRun run;
    bool property = false;
};

// The number of threads zelkor_tests_jobs asks for: 1 when it is unset,
// empty or under valgrind; std::invalid_argument naming the text when it is
// not a whole number from 1 to 256.
unsigned requestedJobs();

class RunAhead {
public:
    explicit RunAhead(unsigned jobs) : jobs_(jobs) {}
    ~RunAhead() { stop(); }
    RunAhead(const RunAhead&) = delete;
    RunAhead& operator=(const RunAhead&) = delete;

    // Starts the workers over the tests this iteration runs, in run order;
    // `leafOf` gives a test's leaf (an empty run for a test that is not a
    // leaf of the tree).
    void start(const ::testing::UnitTest& unit, const std::function<AheadLeaf(const ::testing::TestInfo&)>& leafOf);
    // Joins the workers; outcomes not yet reported are dropped.
    void stop();

    // The outcome of `info`'s leaf: the one a worker kept, or `run()` now.
    LeafOutcome outcome(const ::testing::TestInfo& info, const LeafRun& run);

private:
    struct Slot {
        LeafRun run;
        bool property = false;
        std::atomic<bool> taken{false};
        bool done = false;  // under mutex_
        LeafOutcome outcome;
    };
    // Runs the next leaf no thread has taken, properties left to their
    // turn; false when none is left.
    bool runNext();
    void work();
    void finish(Slot& slot, LeafOutcome outcome);

    unsigned jobs_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::unordered_map<const ::testing::TestInfo*, Slot*> byTest_;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable finished_;
    std::vector<std::thread> workers_;
};

}  // namespace zelkor::tests::detail
