#pragma once
// What one builder made of one vector directory: the files and records it
// read, how many became cases and why the others did not. The end-of-run
// summary prints it, and a builder that ends with no case at all turns it into
// a failing case rather than a silently empty, green run.

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelkor::tests {

struct Test;

namespace detail {

class VectorUsage {
public:
    explicit VectorUsage(std::string directory) : directory_(std::move(directory)) {}

    const std::string& directory() const { return directory_; }
    std::size_t used() const { return used_; }

    // A file read, holding `records` records (or that many more records).
    void addFile(std::size_t records) {
        ++files_;
        records_ += records;
    }
    void addRecords(std::size_t records) { records_ += records; }
    // Checkpoints of the records read (a Monte Carlo record holds many, each
    // its own case), so the summary's counts match the cases'.
    void addCheckpoints(std::size_t checkpoints) { checkpoints_ += checkpoints; }
    // A record that became a case.
    void use() { ++used_; }
    // `count` records that did not, for one reason.
    void skip(std::string_view reason, std::size_t count = 1);

    // "<directory>: 3 files, 120 records read: 40 used, 80 skipped (another key size)";
    // with checkpoints "<directory>: 1 file, 1 record (100 checkpoints) read: 1 used"
    std::string describe() const;
    // The same after a run, which may have run the cases of only some of the
    // records: "<directory>: 3 files, 120 records read: 40 used, 12 ran, 80
    // skipped (...)", and with checkpoints "... 1 used, 1 ran (3 checkpoints)".
    std::string describeRun(std::size_t ranRecords, std::size_t ranCheckpoints) const;

private:
    std::string describeUsed(const std::string* ran) const;

    std::string directory_;
    std::size_t files_ = 0;
    std::size_t records_ = 0;
    std::size_t checkpoints_ = 0;
    std::size_t used_ = 0;
    std::vector<std::pair<std::string, std::size_t>> skipped_;  // by reason, in first-seen order
};

// Raised by the case that stands for a directory none of whose records could
// be used.
class NoUsableVectors : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// When `usage` produced no case, appends the failing case "no usable vectors",
// whose message is the usage's description.
void requireUsableVectors(std::vector<Test>& cases, const std::shared_ptr<const VectorUsage>& usage);

}  // namespace detail
}  // namespace zelkor::tests
