#include "OcbMutants.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelkor::testsupport::mutants::ocb_pieces {

namespace {

using Block = std::array<std::uint8_t, 16>;

Block xorOf(Block a, const Block& b) {
    for (std::size_t i = 0; i < a.size(); ++i) a[i] ^= b[i];
    return a;
}

// Multiplication by x in GF(2^128), most significant bit first.
Block doubled(const Block& in) {
    Block out{};
    for (std::size_t i = 0; i < 15; ++i) out[i] = static_cast<std::uint8_t>(in[i] << 1 | in[i + 1] >> 7);
    out[15] = static_cast<std::uint8_t>(in[15] << 1 ^ ((in[0] & 0x80) != 0 ? 0x87 : 0));
    return out;
}

// `length` bytes from `at`, then 0x80 and zeros when fewer than 16.
Block blockAt(const ByteString& bytes, std::size_t at, std::size_t length) {
    Block out{};
    std::copy_n(bytes.data() + at, length, out.begin());
    if (length < 16) out[length] = 0x80;
    return out;
}

class Keyed {
public:
    Keyed(const BlockFunction& encrypt, OcbFault fault) : encrypt_(encrypt), fault_(fault) {
        lStar_ = apply(encrypt_, Block{});
        lDollar_ = doubled(lStar_);
        table_.push_back(doubled(lDollar_));
    }

    Block apply(const BlockFunction& f, const Block& in) const {
        const ByteString out = f(ByteString(in.data(), in.size()));
        Block block{};
        std::copy_n(out.data(), 16, block.begin());
        return block;
    }
    Block encrypt(const Block& in) const { return apply(encrypt_, in); }

    // L_ntz(i), for block index i (from 1).
    const Block& l(std::uint64_t i) {
        std::size_t index = static_cast<std::size_t>(std::countr_zero(i));
        if (fault_ == OcbFault::LTableOfEight) index = std::min<std::size_t>(index, 7);
        while (table_.size() <= index) table_.push_back(doubled(table_.back()));
        return table_[index];
    }
    const Block& lStar() const { return lStar_; }
    const Block& lDollar() const { return lDollar_; }

    // The first offset, from the nonce and the tag length.
    Block initialOffset(const ByteString& nonce, std::size_t tagBytes) const {
        Block full{};
        full[0] = static_cast<std::uint8_t>(((tagBytes * 8) % 128) << 1);
        full[15 - nonce.size()] |= 1;
        std::copy(nonce.begin(), nonce.end(), full.end() - static_cast<std::ptrdiff_t>(nonce.size()));
        const unsigned bottom = full[15] & 0x3f;
        full[15] &= 0xc0;
        const Block top = encrypt(full);
        std::array<std::uint8_t, 24> stretch{};
        std::copy(top.begin(), top.end(), stretch.begin());
        for (std::size_t i = 0; i < 8; ++i) stretch[16 + i] = top[i] ^ top[i + 1];
        Block offset{};
        const unsigned bytes = bottom / 8, bits = bottom % 8;
        for (std::size_t i = 0; i < 16; ++i) {
            const unsigned high = stretch[i + bytes], low = stretch[i + bytes + 1];
            offset[i] = static_cast<std::uint8_t>(bits == 0 ? high : (high << bits | low >> (8 - bits)));
        }
        return offset;
    }

    Block hash(const ByteString& aad) {
        Block sum{}, offset{};
        const std::size_t full = aad.size() / 16;
        for (std::size_t i = 0; i < full; ++i) {
            offset = xorOf(offset, l(i + 1));
            sum = xorOf(sum, encrypt(xorOf(blockAt(aad, 16 * i, 16), offset)));
        }
        if (aad.size() % 16 != 0) {
            offset = xorOf(offset, lStar_);
            sum = xorOf(sum, encrypt(xorOf(blockAt(aad, 16 * full, aad.size() % 16), offset)));
        }
        return sum;
    }

private:
    const BlockFunction& encrypt_;
    OcbFault fault_;
    Block lStar_{}, lDollar_{};
    std::vector<Block> table_;  // L_0, L_1, ...
};

void require(std::size_t nonceBytes, std::size_t tagBytes) {
    if (nonceBytes < 1 || nonceBytes > 15 || tagBytes < 1 || tagBytes > 16) {
        throw std::invalid_argument("OCB: nonce of " + std::to_string(nonceBytes) + " bytes, tag of " +
                                    std::to_string(tagBytes));
    }
}

// The text through the mode (`decrypt` empty: encrypting) and the full tag.
Block run(Keyed& keyed, const BlockFunction* decrypt, const ByteString& nonce, const ByteString& aad,
          const ByteString& in, std::size_t tagBytes, std::vector<std::uint8_t>& out) {
    Block offset = keyed.initialOffset(nonce, tagBytes), checksum{};
    const std::size_t full = in.size() / 16;
    out.clear();
    for (std::size_t i = 0; i < full; ++i) {
        offset = xorOf(offset, keyed.l(i + 1));
        const Block input = xorOf(blockAt(in, 16 * i, 16), offset);
        const Block result = xorOf(decrypt ? keyed.apply(*decrypt, input) : keyed.encrypt(input), offset);
        checksum = xorOf(checksum, decrypt ? result : blockAt(in, 16 * i, 16));
        out.insert(out.end(), result.begin(), result.end());
    }
    if (const std::size_t rest = in.size() % 16; rest != 0) {
        offset = xorOf(offset, keyed.lStar());
        const Block pad = keyed.encrypt(offset);
        for (std::size_t j = 0; j < rest; ++j) out.push_back(in.data()[16 * full + j] ^ pad[j]);
        const ByteString plaintext = decrypt ? ByteString(out.data(), out.size()) : in;
        checksum = xorOf(checksum, blockAt(plaintext, 16 * full, rest));
    }
    return xorOf(keyed.encrypt(xorOf(xorOf(checksum, offset), keyed.lDollar())), keyed.hash(aad));
}

}  // namespace

AeadSealed seal(const BlockFunction& encrypt, OcbFault fault, const ByteString& nonce, const ByteString& aad,
                const ByteString& plaintext, std::size_t tagBytes) {
    require(nonce.size(), tagBytes);
    Keyed keyed(encrypt, fault);
    std::vector<std::uint8_t> ciphertext;
    const Block tag = run(keyed, nullptr, nonce, aad, plaintext, tagBytes, ciphertext);
    return {ByteString(std::move(ciphertext)), ByteString(tag.data(), tagBytes)};
}

std::optional<ByteString> open(const BlockFunction& encrypt, const BlockFunction& decrypt, OcbFault fault,
                               const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                               const ByteString& tag) {
    require(nonce.size(), tag.size());
    Keyed keyed(encrypt, fault);
    std::vector<std::uint8_t> plaintext;
    const Block expected = run(keyed, &decrypt, nonce, aad, ciphertext, tag.size(), plaintext);
    if (ByteString(expected.data(), tag.size()) != tag) return std::nullopt;
    return ByteString(std::move(plaintext));
}

}  // namespace zelkor::testsupport::mutants::ocb_pieces
