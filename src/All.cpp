#include "zelkor/tests/All.hpp"

#include <array>
#include <utility>

namespace zelkor::tests {

namespace {

struct Shape {
    std::string_view name;
    bool digest;
    int outputOrBlock;  // digest output length or cipher block size, in bits
    int blockOrKey;     // digest block length or cipher key length, in bits (0: any AES key)
};

constexpr std::array<Shape, 16> kShapes{{
    {"MD5", true, 128, 512},
    {"SHA1", true, 160, 512},
    {"SHA224", true, 224, 512},
    {"SHA256", true, 256, 512},
    {"SHA384", true, 384, 1024},
    {"SHA512", true, 512, 1024},
    {"SHA512_224", true, 224, 1024},
    {"SHA512_256", true, 256, 1024},
    {"SHA3_224", true, 224, 1152},
    {"SHA3_256", true, 256, 1088},
    {"SHA3_384", true, 384, 832},
    {"SHA3_512", true, 512, 576},
    {"AES128", false, 128, 128},
    {"AES192", false, 128, 192},
    {"AES256", false, 128, 256},
    {"Twofish", false, 128, 0},
}};

const Shape& shapeOf(Algorithm algorithm) {
    const auto index = static_cast<std::size_t>(algorithm);
    if (index >= kShapes.size()) {
        throw std::invalid_argument("makeAllTests: unknown algorithm " + std::to_string(index));
    }
    return kShapes[index];
}

[[noreturn]] void refuse(const Shape& shape, const std::string& given) {
    const std::string first = std::to_string(shape.outputOrBlock), second = std::to_string(shape.blockOrKey);
    const std::string wanted =
        shape.digest ? "a digest of " + first + "-bit output and " + second + "-bit blocks"
                     : "a block cipher of " + first + "-bit blocks and " +
                           (shape.blockOrKey == 0 ? std::string("128-, 192- or 256-bit keys") : second + "-bit keys");
    throw std::invalid_argument("makeAllTests: " + std::string(shape.name) + " needs " + wanted +
                                ", but the type given is " + given);
}

}  // namespace

std::string_view algorithmName(Algorithm algorithm) { return shapeOf(algorithm).name; }

std::ostream& operator<<(std::ostream& os, Algorithm algorithm) { return os << algorithmName(algorithm); }

namespace all_detail {

std::vector<Test> subgroups(const std::vector<Kind>& kinds) {
    std::vector<Test> out;
    out.reserve(kinds.size());
    for (const Kind& kind : kinds) {
        std::vector<Test> tests;
        for (Builder build : kind.builders) {
            for (Test& test : build()) tests.push_back(std::move(test));
        }
        out.push_back(testGroup(kind.name, std::move(tests)));
    }
    return out;
}

void requireDigestShape(Algorithm algorithm, int outputLength, int blockLength) {
    const Shape& shape = shapeOf(algorithm);
    const std::string given = "a digest of " + std::to_string(outputLength) + "-bit output and " +
                              std::to_string(blockLength) + "-bit blocks";
    if (!shape.digest || shape.outputOrBlock != outputLength || shape.blockOrKey != blockLength) refuse(shape, given);
}

void requireCipherShape(Algorithm algorithm, int blockSize, int keyLength) {
    const Shape& shape = shapeOf(algorithm);
    const std::string given = "a block cipher of " + std::to_string(blockSize) + "-bit blocks and " +
                              std::to_string(keyLength) + "-bit keys";
    const bool keyFits = shape.blockOrKey == 0 ? keyLength == 128 || keyLength == 192 || keyLength == 256
                                               : keyLength == shape.blockOrKey;
    if (shape.digest || shape.outputOrBlock != blockSize || !keyFits) refuse(shape, given);
}

}  // namespace all_detail

}  // namespace zelkor::tests
