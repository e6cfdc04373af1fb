#include "zelkor/tests/detail/run/RunAhead.hpp"

#include <charconv>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string_view>

#include <gtest/gtest.h>

#ifdef ZELKOR_HAVE_VALGRIND
#include <valgrind/valgrind.h>
#endif

namespace zelkor::tests::detail {

namespace {

constexpr unsigned kMostJobs = 256;

bool underValgrind() {
#ifdef ZELKOR_HAVE_VALGRIND
    return RUNNING_ON_VALGRIND != 0;
#else
    return false;
#endif
}

// A leaf's run that escaped with an exception (a LeafRun catches what its
// leaf throws, so this is a fault of the runner's own).
LeafOutcome guarded(const LeafRun& run) {
    try {
        return run();
    } catch (const std::exception& error) {
        return {LeafOutcome::Kind::Error, error.what()};
    } catch (...) {
        return {LeafOutcome::Kind::Error, "an exception of unknown type"};
    }
}

}  // namespace

unsigned requestedJobs() {
    const char* text = std::getenv("zelkor_tests_jobs");
    if (text == nullptr || *text == '\0' || underValgrind()) return 1;
    const std::string_view value(text);
    unsigned jobs = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), jobs);
    if (error != std::errc() || end != value.data() + value.size() || jobs < 1 || jobs > kMostJobs) {
        throw std::invalid_argument("zelkor_tests_jobs='" + std::string(value) +
                                    "' is not a number of threads from 1 to " + std::to_string(kMostJobs));
    }
    return jobs;
}

void RunAhead::start(const ::testing::UnitTest& unit,
                     const std::function<AheadLeaf(const ::testing::TestInfo&)>& leafOf) {
    stop();
    slots_.clear();
    byTest_.clear();
    if (jobs_ <= 1) return;
    // GetTestSuite and GetTestInfo follow the run order, shuffled or not.
    for (int i = 0; i < unit.total_test_suite_count(); ++i) {
        const auto& suite = *unit.GetTestSuite(i);
        for (int j = 0; j < suite.total_test_count(); ++j) {
            const auto& info = *suite.GetTestInfo(j);
            if (!info.should_run()) continue;
            AheadLeaf leaf = leafOf(info);
            if (!leaf.run) continue;
            auto slot = std::make_unique<Slot>();
            slot->run = std::move(leaf.run);
            slot->property = leaf.property;
            byTest_.emplace(&info, slot.get());
            slots_.push_back(std::move(slot));
        }
    }
    next_ = 0;
    stopping_ = false;
    for (unsigned t = 1; t < jobs_; ++t) workers_.emplace_back([this] { work(); });
}

void RunAhead::stop() {
    stopping_ = true;
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
}

bool RunAhead::runNext() {
    while (!stopping_) {
        const std::size_t i = next_++;
        if (i >= slots_.size()) return false;
        Slot& slot = *slots_[i];
        if (slot.property) continue;              // run in its turn, by its test body
        if (slot.taken.exchange(true)) continue;  // its test body runs it
        finish(slot, guarded(slot.run));
        return true;
    }
    return false;
}

void RunAhead::work() {
    while (runNext()) {
    }
}

void RunAhead::finish(Slot& slot, LeafOutcome outcome) {
    {
        const std::lock_guard lock(mutex_);
        slot.outcome = std::move(outcome);
        slot.done = true;
    }
    finished_.notify_all();
}

LeafOutcome RunAhead::outcome(const ::testing::TestInfo& info, const LeafRun& run) {
    const auto it = byTest_.find(&info);
    if (it == byTest_.end()) return guarded(run);
    Slot& slot = *it->second;
    if (!slot.taken.exchange(true)) return guarded(run);
    // A worker is running it: rather than wait idle (a long leaf would keep
    // every other thread waiting behind it), run the leaves ahead meanwhile.
    auto isDone = [&] {
        const std::lock_guard lock(mutex_);
        return slot.done;
    };
    while (!isDone() && runNext()) {
    }
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return slot.done; });
    return std::move(slot.outcome);
}

}  // namespace zelkor::tests::detail
