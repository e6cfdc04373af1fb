#pragma once
// Reading Monte Carlo files (a Seed line, then COUNT and MD per checkpoint);
// the non-template half of the Monte Carlo builders.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::sha_detail {

struct MonteCheckpoint {
    std::string count;
    std::optional<std::string> md;  // a checkpoint without MD gets no case but still takes its place in the chain
};

// One chain: its seed and its checkpoints in file order.
struct MonteChainRecord {
    CaseOrigin origin;  // the vector file of the chain and the line of its Seed
    std::string seedHex;
    std::vector<MonteCheckpoint> checkpoints;
};

// Reads exactly Test/<familyDir>/<fileName> (no other file is opened; no
// chains when it is absent) and returns one chain per Seed field, in file
// order. COUNT starts a checkpoint; its first MD is the one kept; fields
// before the first COUNT and other fields are ignored. `usage` counts the
// chains read, and those without a usable checkpoint.
std::vector<MonteChainRecord> monteChains(std::string_view familyDir, std::string_view fileName,
                                          const std::shared_ptr<detail::VectorUsage>& usage);

}  // namespace zelkor::tests::sha_detail
