#pragma once
// Monte Carlo known answers: a chain of digests from a seed, checked at every
// checkpoint. The chain step is a parameter: the SHA-1/SHA-2 procedure hashes
// the last three digests, others hash fewer.

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/MonteRecords.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::sha_detail {

// The message of the next step from the last three digests, oldest first.
using MonteMessage = ByteString (*)(const ByteString& mdMinus3, const ByteString& mdMinus2,
                                    const ByteString& mdMinus1);

// MDi-3 || MDi-2 || MDi-1, the SHA-1 and SHA-2 procedure.
ByteString lastThreeDigests(const ByteString& mdMinus3, const ByteString& mdMinus2, const ByteString& mdMinus1);

// MDi-1 alone, the SHA-3 procedure: MD0 = seed, MDi = hash(MDi-1).
ByteString lastDigest(const ByteString& mdMinus3, const ByteString& mdMinus2, const ByteString& mdMinus1);

inline constexpr std::size_t kMonteStepsPerCheckpoint = 1000;

// The digests of one chain at its checkpoints: MD0 = MD1 = MD2 = seed, then
// 1000 steps MDi = hash(message(MDi-3, MDi-2, MDi-1)); the last is the
// checkpoint and the seed of the next. Even checkpoints hash contiguous input,
// odd ones 37-byte chunks. Computed checkpoints are kept, so the cases of a
// chain share one computation whatever their order; safe to use from several
// threads at once.
template <Hash D>
class MonteChain {
public:
    MonteChain(std::string seedHex, MonteMessage message) : seedHex_(std::move(seedHex)), message_(message) {}

    // The encoded digest at checkpoint `index` (from 0), computing the ones
    // before it first. A throwing digest leaves the kept checkpoints intact.
    ByteString checkpoint(std::size_t index) {
        const std::lock_guard lock(mutex_);
        while (done_.size() <= index) {
            ByteString seed = done_.empty() ? hexStringToBS(seedHex_) : done_.back();
            done_.push_back(run(std::move(seed), done_.size() % 2 == 1));
        }
        return done_[index];
    }

private:
    ByteString run(ByteString seed, bool chunked) const {
        ByteString window[3] = {seed, seed, std::move(seed)};
        for (std::size_t step = 0; step < kMonteStepsPerCheckpoint; ++step) {
            const ByteString message = message_(window[0], window[1], window[2]);
            ByteString next = chunked ? D::hash(ChunkedByteString::chunksOf(37, message)).encode()
                                      : D::hash(message).encode();
            window[0] = std::move(window[1]);
            window[1] = std::move(window[2]);
            window[2] = std::move(next);
        }
        return std::move(window[2]);
    }

    std::mutex mutex_;
    const std::string seedHex_;
    const MonteMessage message_;
    std::vector<ByteString> done_;
};

template <Hash D>
struct MonteCase {
    std::string name;
    CaseOrigin origin;  // the vector file of the chain
    std::shared_ptr<MonteChain<D>> chain;
    std::size_t index;
    std::string mdHex;

    void operator()() const {
        const ByteString expected = hexStringToBS(mdHex);
        assertKnownAnswer(name, {{"at this checkpoint of the chain", chain->checkpoint(index)}}, expected, origin);
    }
};

// One case per checkpoint with an MD of Test/<familyDir>/<fileName>, named
// "<fileName>-<COUNT>"; the cases of a chain share it.
template <Hash D>
std::vector<Test> makeMonteTests(std::string_view familyDir, std::string_view fileName, MonteMessage message) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(familyDir) + "/" +
                                                       std::string(fileName));
    std::vector<Test> cases;
    for (MonteChainRecord& record : monteChains(familyDir, fileName, usage)) {
        auto chain = std::make_shared<MonteChain<D>>(std::move(record.seedHex), message);
        for (std::size_t i = 0; i < record.checkpoints.size(); ++i) {
            MonteCheckpoint& checkpoint = record.checkpoints[i];
            if (!checkpoint.md) continue;
            std::string name = std::string(fileName) + "-" + checkpoint.count;
            cases.push_back(testCase(name, MonteCase<D>{name, record.origin, chain, i, std::move(*checkpoint.md)},
                                     record.origin));
        }
    }
    detail::requireUsableVectors(cases, usage);
    return cases;
}

}  // namespace zelkor::tests::sha_detail
