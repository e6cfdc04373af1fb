#pragma once
// Deliberately broken block ciphers, each with one fault, for checking that
// the block-cipher suites catch it. Each wraps OpenSSL's AES (AES-128 unless
// said otherwise); whatever a mutant does not define comes from the generic
// modes of zelkor/Modes.hpp over the wrapped block functions.

#include <cstdint>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "OpenSSLAES.hpp"
#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Modes.hpp"

namespace zelkor::testsupport::mutants {

// The same IV bytes as an IV of another cipher with the same block size.
template <class To, class From>
IV<To> ivAs(const IV<From>& iv) {
    static_assert(blockBytes<To>() == blockBytes<From>());
    return *IV<To>::decode(iv.bytes());
}

inline ByteString flipFirstBit(const ByteString& bytes) {
    if (bytes.empty()) return bytes;
    std::vector<std::uint8_t> out = bytes.vector();
    out[0] ^= 0x01;
    return ByteString(std::move(out));
}

inline ChunkedByteString flipFirstBit(const ChunkedByteString& bytes) {
    std::vector<ByteString> chunks = bytes.chunks();
    if (!chunks.empty()) chunks.front() = flipFirstBit(chunks.front());
    return ChunkedByteString::fromChunks(std::move(chunks));
}

// Block functions and buildKey of the wrapped AES; Self is the mutant.
template <class Self, class Inner = reference::AES128>
struct Wrapper {
    static constexpr int blockSize = Inner::blockSize;
    static constexpr int keyLength = Inner::keyLength;
    using Result = std::pair<ByteString, IV<Self>>;
    using LazyResult = std::pair<ChunkedByteString, IV<Self>>;

    Inner inner;

    static std::optional<Self> buildKey(const ByteString& bytes) {
        std::optional<Inner> key = Inner::buildKey(bytes);
        if (!key) return std::nullopt;
        return Self{{std::move(*key)}};
    }
    ByteString encryptBlock(const ByteString& blocks) const { return inner.encryptBlock(blocks); }
    ByteString decryptBlock(const ByteString& blocks) const { return inner.decryptBlock(blocks); }

    IV<Inner> innerIV(const IV<Self>& iv) const { return ivAs<Inner>(iv); }
};

// CBC decryption returns the right bytes but hands back the starting IV as the
// next IV, in both forms. Only the identity property CBCEncDecID sees it.
struct CbcWrongNextIV : Wrapper<CbcWrongNextIV> {
    Result unCbc(const IV<CbcWrongNextIV>& iv, const ByteString& bytes) const {
        return {zelkor::unCbc(inner, innerIV(iv), bytes).first, iv};
    }
    LazyResult unCbcLazy(const IV<CbcWrongNextIV>& iv, const ChunkedByteString& bytes) const {
        return {zelkor::unCbcLazy(inner, innerIV(iv), bytes).first, iv};
    }
};

// AES of every key size whose key schedule is wrong for 192-bit keys: the last
// key byte gets its low bit flipped. Consistent with itself, so only the
// 192-bit known-answer cases fail. Properties run with 256-bit keys.
class Aes192KeyScheduleBug {
public:
    static constexpr int blockSize = 128;
    static constexpr int keyLength = 256;

    static std::optional<Aes192KeyScheduleBug> buildKey(const ByteString& bytes) {
        switch (bytes.size()) {
        case 16: return wrap(reference::AES128::buildKey(bytes));
        case 24: {
            std::vector<std::uint8_t> broken = bytes.vector();
            broken.back() ^= 0x01;
            return wrap(reference::AES192::buildKey(ByteString(std::move(broken))));
        }
        case 32: return wrap(reference::AES256::buildKey(bytes));
        default: return std::nullopt;
        }
    }
    ByteString encryptBlock(const ByteString& blocks) const {
        return std::visit([&](const auto& aes) { return aes.encryptBlock(blocks); }, aes_);
    }
    ByteString decryptBlock(const ByteString& blocks) const {
        return std::visit([&](const auto& aes) { return aes.decryptBlock(blocks); }, aes_);
    }

private:
    using AnyAES = std::variant<reference::AES128, reference::AES192, reference::AES256>;
    explicit Aes192KeyScheduleBug(AnyAES aes) : aes_(std::move(aes)) {}

    template <class Key>
    static std::optional<Aes192KeyScheduleBug> wrap(std::optional<Key> key) {
        if (!key) return std::nullopt;
        return Aes192KeyScheduleBug(AnyAES(std::move(*key)));
    }

    AnyAES aes_;
};

// Encryption is right; every decryption flips the low bit of its first output
// byte (decryptBlock in every block, which ECB and CBC decryption use; the
// stream modes, which decrypt with the forward cipher, in their first byte).
// Contiguous and chunked forms agree, so only the identity group and the
// "d" known-answer files see it.
struct WrongDecryption : Wrapper<WrongDecryption> {
    using Self = WrongDecryption;

    ByteString decryptBlock(const ByteString& blocks) const {
        std::vector<std::uint8_t> out = inner.decryptBlock(blocks).vector();
        for (std::size_t i = 0; i < out.size(); i += blockBytes<Self>()) out[i] ^= 0x01;
        return ByteString(std::move(out));
    }
    Result unCfb(const IV<Self>& iv, const ByteString& b) const {
        return broken(zelkor::unCfb(inner, innerIV(iv), b));
    }
    Result unOfb(const IV<Self>& iv, const ByteString& b) const {
        return broken(zelkor::unOfb(inner, innerIV(iv), b));
    }
    Result unCtr(const IV<Self>& iv, const ByteString& b) const {
        return broken(zelkor::unCtr(inner, innerIV(iv), b));
    }
    LazyResult unCfbLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return broken(zelkor::unCfbLazy(inner, innerIV(iv), b));
    }
    LazyResult unOfbLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return broken(zelkor::unOfbLazy(inner, innerIV(iv), b));
    }
    LazyResult unCtrLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return broken(zelkor::unCtrLazy(inner, innerIV(iv), b));
    }

private:
    template <class Out>
    static std::pair<Out, IV<Self>> broken(std::pair<Out, IV<reference::AES128>> result) {
        return {flipFirstBit(result.first), ivAs<Self>(result.second)};
    }
};

// "CFB" that feeds back 8 bits per step instead of a whole block (CFB-8), in
// both forms, consistently: decryption undoes it and the chunked form agrees,
// so only the CFB known-answer cases see it.
struct Cfb8Feedback : Wrapper<Cfb8Feedback> {
    using Self = Cfb8Feedback;

    Result cfb(const IV<Self>& iv, const ByteString& b) const { return run(iv, b, true); }
    Result unCfb(const IV<Self>& iv, const ByteString& b) const { return run(iv, b, false); }
    LazyResult cfbLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return lazy(run(iv, b.toStrict(), true));
    }
    LazyResult unCfbLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return lazy(run(iv, b.toStrict(), false));
    }

private:
    // Each byte is XORed with the first byte of E(register); the register then
    // shifts left by one byte and takes in that ciphertext byte.
    Result run(const IV<Self>& iv, const ByteString& input, bool encrypt) const {
        std::vector<std::uint8_t> shiftRegister = iv.bytes().vector();
        std::vector<std::uint8_t> out(input.size());
        for (std::size_t i = 0; i < input.size(); ++i) {
            const std::uint8_t pad = inner.encryptBlock(ByteString(shiftRegister))[0];
            out[i] = static_cast<std::uint8_t>(input[i] ^ pad);
            shiftRegister.erase(shiftRegister.begin());
            shiftRegister.push_back(encrypt ? out[i] : input[i]);
        }
        return {ByteString(std::move(out)), *IV<Self>::decode(ByteString(std::move(shiftRegister)))};
    }
    static LazyResult lazy(Result result) {
        return {ChunkedByteString::fromStrict(result.first), std::move(result.second)};
    }
};

// The chunked form of a stream mode that starts every chunk afresh from the
// starting IV; the next IV is that of the last chunk.
template <class Self, class Mode>
std::pair<ChunkedByteString, IV<Self>> restartEachChunk(const IV<Self>& iv, const ChunkedByteString& bytes,
                                                        Mode mode) {
    std::vector<ByteString> out;
    IV<Self> next = iv;
    for (const ByteString& chunk : bytes.chunks()) {
        auto [piece, pieceIV] = mode(chunk);
        out.push_back(std::move(piece));
        next = ivAs<Self>(pieceIV);
    }
    return {ChunkedByteString::fromChunks(std::move(out)), next};
}

// Chunked OFB restarts the keystream at every chunk boundary.
struct OfbLazyRestarts : Wrapper<OfbLazyRestarts> {
    using Self = OfbLazyRestarts;
    LazyResult ofbLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return restartEachChunk(iv, b,
                                [&](const ByteString& c) { return zelkor::ofb(inner, innerIV(iv), c); });
    }
    LazyResult unOfbLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return restartEachChunk(iv, b,
                                [&](const ByteString& c) { return zelkor::unOfb(inner, innerIV(iv), c); });
    }
};

// Chunked CTR restarts the counter at every chunk boundary.
struct CtrLazyRestarts : Wrapper<CtrLazyRestarts> {
    using Self = CtrLazyRestarts;
    LazyResult ctrLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return restartEachChunk(iv, b,
                                [&](const ByteString& c) { return zelkor::ctr(inner, innerIV(iv), c); });
    }
    LazyResult unCtrLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return restartEachChunk(iv, b,
                                [&](const ByteString& c) { return zelkor::unCtr(inner, innerIV(iv), c); });
    }
};

// CTR whose counter steps wrongly, the same way in every form, so decryption
// undoes encryption and the chunked form agrees: only known answers see it.
enum class CounterStep {
    LittleEndian,      // increments from the first byte upwards
    LastByteOnly,      // the last byte wraps without carrying
    Low32BitsOnly,     // the carry stops at the last four bytes
};

template <CounterStep Step>
struct WrongCtrCounter : Wrapper<WrongCtrCounter<Step>> {
    using Self = WrongCtrCounter;
    using Result = typename Wrapper<Self>::Result;
    using LazyResult = typename Wrapper<Self>::LazyResult;

    Result ctr(const IV<Self>& iv, const ByteString& b) const { return run(iv, b); }
    Result unCtr(const IV<Self>& iv, const ByteString& b) const { return run(iv, b); }
    LazyResult ctrLazy(const IV<Self>& iv, const ChunkedByteString& b) const { return lazy(run(iv, b.toStrict())); }
    LazyResult unCtrLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return lazy(run(iv, b.toStrict()));
    }

private:
    static void step(std::vector<std::uint8_t>& counter) {
        const std::size_t last = counter.size() - 1;
        switch (Step) {
        case CounterStep::LittleEndian:
            for (std::size_t i = 0; i <= last && ++counter[i] == 0; ++i) {}
            break;
        case CounterStep::LastByteOnly: ++counter[last]; break;
        case CounterStep::Low32BitsOnly:
            for (std::size_t i = last; i + 4 > last && ++counter[i] == 0; --i) {}
            break;
        }
    }
    Result run(const IV<Self>& iv, const ByteString& input) const {
        std::vector<std::uint8_t> counter = iv.bytes().vector();
        std::vector<std::uint8_t> out(input.begin(), input.end());
        for (std::size_t pos = 0; pos < out.size(); pos += counter.size()) {
            const ByteString pad = this->inner.encryptBlock(ByteString(counter));
            for (std::size_t i = 0; i < pad.size() && pos + i < out.size(); ++i) out[pos + i] ^= pad[i];
            step(counter);
        }
        return {ByteString(std::move(out)), *IV<Self>::decode(ByteString(std::move(counter)))};
    }
    static LazyResult lazy(Result result) {
        return {ChunkedByteString::fromStrict(result.first), std::move(result.second)};
    }
};

}  // namespace zelkor::testsupport::mutants
