#pragma once
// Broken CFB8, CFB1, XTS and PKCS#7 unpadding, each wrong the same way in
// both directions, so decryption still undoes encryption: only a comparison
// with the block function or a published answer sees them. Each wraps
// OpenSSL's AES (AES-128 unless said otherwise) as own members.

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "OpenSSLTDES.hpp"
#include "support/CipherMutants.hpp"
#include "zelkor/ExtraModes.hpp"

namespace zelkor::testsupport::mutants {

// CFB8 whose register is shifted by a whole block instead of a byte: after
// each byte it holds only that ciphertext byte, at its end.
struct Cfb8ShiftsWholeBlock : Wrapper<Cfb8ShiftsWholeBlock> {
    using Self = Cfb8ShiftsWholeBlock;
    Result cfb8(const IV<Self>& iv, const ByteString& b) const { return run(iv, b, true); }
    Result unCfb8(const IV<Self>& iv, const ByteString& b) const { return run(iv, b, false); }

private:
    Result run(const IV<Self>& iv, const ByteString& b, bool encrypt) const {
        std::vector<std::uint8_t> reg = iv.bytes().vector(), out;
        for (const std::uint8_t byte : b) {
            const auto c = static_cast<std::uint8_t>(byte ^ inner.encryptBlock(ByteString(reg))[0]);
            out.push_back(c);
            reg.assign(reg.size(), 0);
            reg.back() = encrypt ? c : byte;
        }
        return {ByteString(std::move(out)), *IV<Self>::decode(ByteString(reg))};
    }
};

// CFB1 that takes the bits of each byte least significant first.
struct Cfb1BitsReversed : Wrapper<Cfb1BitsReversed> {
    using Self = Cfb1BitsReversed;
    Result cfb1(const IV<Self>& iv, const ByteString& b, std::size_t bits) const { return run(iv, b, bits, true); }
    Result unCfb1(const IV<Self>& iv, const ByteString& b, std::size_t bits) const { return run(iv, b, bits, false); }

private:
    static ByteString reversed(const ByteString& bytes) {
        std::vector<std::uint8_t> out = bytes.vector();
        for (std::uint8_t& byte : out) {
            std::uint8_t r = 0;
            for (int i = 0; i < 8; ++i) r = static_cast<std::uint8_t>(r | (((byte >> i) & 1) << (7 - i)));
            byte = r;
        }
        return ByteString(std::move(out));
    }
    Result run(const IV<Self>& iv, const ByteString& b, std::size_t bits, bool encrypt) const {
        if (bits % 8 != 0 || b.size() != bits / 8) {
            // Partial bytes the right way round: the fault is in whole bytes.
            auto r = encrypt ? zelkor::cfb1(inner, innerIV(iv), b, bits) : zelkor::unCfb1(inner, innerIV(iv), b, bits);
            return {r.first, *IV<Self>::decode(r.second.bytes())};
        }
        auto r = encrypt ? zelkor::cfb1(inner, innerIV(iv), reversed(b)) : zelkor::unCfb1(inner, innerIV(iv), reversed(b));
        return {reversed(r.first), *IV<Self>::decode(r.second.bytes())};
    }
};

enum class XtsFault {
    StealingTweaksSwapped,  // the last whole block and the rebuilt one under each other's tweak
    TweakTimesXBigEndian,   // the tweak doubled with byte 15 as its lowest
};

// XTS written out here with one fault.
template <XtsFault Fault>
struct FaultyXts : Wrapper<FaultyXts<Fault>> {
    using Self = FaultyXts;
    ByteString xts(const Self& tweakKey, const ByteString& tweak, const ByteString& b) const {
        return run(tweakKey, tweak, b, true);
    }
    ByteString unXts(const Self& tweakKey, const ByteString& tweak, const ByteString& b) const {
        return run(tweakKey, tweak, b, false);
    }

private:
    using Block = std::array<std::uint8_t, 16>;
    static void doubled(Block& t) {
        if (Fault == XtsFault::TweakTimesXBigEndian) {
            const unsigned carry = t[0] >> 7;
            for (std::size_t i = 0; i < 15; ++i) t[i] = static_cast<std::uint8_t>((t[i] << 1) | (t[i + 1] >> 7));
            t[15] = static_cast<std::uint8_t>((t[15] << 1) ^ (carry ? 0x87 : 0));
            return;
        }
        const unsigned carry = t[15] >> 7;
        for (std::size_t i = 15; i > 0; --i) t[i] = static_cast<std::uint8_t>((t[i] << 1) | (t[i - 1] >> 7));
        t[0] = static_cast<std::uint8_t>((t[0] << 1) ^ (carry ? 0x87 : 0));
    }
    ByteString block(const std::uint8_t* in, const Block& t, bool encrypt) const {
        std::vector<std::uint8_t> x(in, in + 16);
        for (std::size_t i = 0; i < 16; ++i) x[i] ^= t[i];
        const ByteString y = encrypt ? this->inner.encryptBlock(ByteString(x)) : this->inner.decryptBlock(ByteString(x));
        for (std::size_t i = 0; i < 16; ++i) x[i] = static_cast<std::uint8_t>(y[i] ^ t[i]);
        return ByteString(std::move(x));
    }
    ByteString run(const Self& tweakKey, const ByteString& tweak, const ByteString& b, bool encrypt) const {
        if (tweak.size() != 16 || b.size() < 16) throw std::invalid_argument("FaultyXts: bad tweak or unit");
        Block t{};
        const ByteString first = tweakKey.inner.encryptBlock(tweak);
        std::copy(first.begin(), first.end(), t.begin());
        const std::size_t tail = b.size() % 16, whole = b.size() / 16 - (tail ? 1 : 0);
        std::vector<std::uint8_t> out = b.vector();
        for (std::size_t j = 0; j < whole; ++j, doubled(t)) {
            const ByteString y = block(out.data() + 16 * j, t, encrypt);
            std::copy(y.begin(), y.end(), out.begin() + static_cast<std::ptrdiff_t>(16 * j));
        }
        if (tail == 0) return ByteString(std::move(out));
        Block next = t;
        doubled(next);
        // The right order: encryption t then next, decryption next then t.
        bool firstIsT = encrypt;
        if (Fault == XtsFault::StealingTweaksSwapped) firstIsT = !firstIsT;
        std::uint8_t* last = out.data() + 16 * whole;
        ByteString y = block(last, firstIsT ? t : next, encrypt);
        std::copy(y.begin(), y.end(), last);
        for (std::size_t i = 0; i < tail; ++i) std::swap(last[i], last[16 + i]);
        y = block(last, firstIsT ? next : t, encrypt);
        std::copy(y.begin(), y.end(), last);
        return ByteString(std::move(out));
    }
};

// PKCS#7 unpadding that takes a last byte of 0 as no padding at all.
struct Pkcs7AcceptsZeroPad : Wrapper<Pkcs7AcceptsZeroPad> {
    using Self = Pkcs7AcceptsZeroPad;
    std::optional<ByteString> unCbcPKCS7(const IV<Self>& iv, const ByteString& b) const {
        if (b.empty() || b.size() % 16 != 0) return std::nullopt;
        const ByteString plain = zelkor::unCbc(inner, innerIV(iv), b).first;
        if (plain[plain.size() - 1] == 0) return plain;
        return unpadPKCS7(16, plain);
    }
};

}  // namespace zelkor::testsupport::mutants

namespace zelkor::testsupport::mutants {

// Three-key TDES that uses its first key as the third: two-key TDES under the
// name of three, right whenever the vector's third key is its first.
struct TdesFirstKeyAsThird {
    static constexpr int blockSize = 64;
    static constexpr int keyLength = 192;
    reference::TDES3 inner;

    static std::optional<TdesFirstKeyAsThird> buildKey(const ByteString& bytes) {
        if (bytes.size() != 24) return std::nullopt;
        return TdesFirstKeyAsThird{*reference::TDES3::buildKey(bytes.take(16) + bytes.take(8))};
    }
    ByteString encryptBlock(const ByteString& blocks) const { return inner.encryptBlock(blocks); }
    ByteString decryptBlock(const ByteString& blocks) const { return inner.decryptBlock(blocks); }
};

}  // namespace zelkor::testsupport::mutants
