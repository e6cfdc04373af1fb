#pragma once
// Broken mode operations that are wrong the same way in both directions and
// in both forms, so that decryption still undoes encryption and the chunked
// form still agrees with the contiguous one: only a comparison with the block
// function can see them. Each wraps OpenSSL's AES-128 (see CipherMutants.hpp);
// the chunked members run the contiguous ones on the joined chunks.

#include <cstdint>
#include <vector>

#include "support/CipherMutants.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropTests.hpp"
#include "zelkor/tests/detail/cipher/TextbookModes.hpp"

namespace zelkor::testsupport::mutants {

using tests::detail::CfbOps;
using tests::detail::CtrOps;
using tests::detail::OfbOps;
using tests::detail::xorBytes;

// A contiguous result as a chunked one.
template <class Self>
std::pair<ChunkedByteString, IV<Self>> lazy(std::pair<ByteString, IV<Self>> r) {
    return {ChunkedByteString::fromStrict(r.first), std::move(r.second)};
}

enum class CtrFault {
    LittleEndianCounter,     // the counter's low byte is its first
    CarryWithinLow32Bits,    // the last 4 bytes wrap on their own
    NoCarryFromLastByte,     // the last byte wraps on its own
    NextIVIsLastCounter,     // next IV off by one: the counter of the last block used
    IgnoresIV,               // counts from zero whatever the IV
    NoKeystream,             // returns its input unchanged
};

template <CtrFault Fault>
struct FaultyCtr : Wrapper<FaultyCtr<Fault>> {
    using Self = FaultyCtr;
    using Result = std::pair<ByteString, IV<Self>>;
    using LazyResult = std::pair<ChunkedByteString, IV<Self>>;

    Result ctr(const IV<Self>& iv, const ByteString& bytes) const {
        std::vector<std::uint8_t> counter = iv.bytes().vector();
        if (Fault == CtrFault::IgnoresIV) counter.assign(counter.size(), 0);
        std::vector<std::uint8_t> last = counter;
        ByteString out;
        for (std::size_t at = 0; at < bytes.size(); at += counter.size()) {
            const ByteString block = bytes.drop(at).take(counter.size());
            const bool noKeystream = Fault == CtrFault::NoKeystream;
            out = out + (noKeystream ? block : xorBytes(block, this->inner.encryptBlock(ByteString(counter))));
            last = counter;
            increment(counter);
        }
        if (Fault == CtrFault::NextIVIsLastCounter) counter = last;
        return {out, *IV<Self>::decode(ByteString(counter))};
    }
    Result unCtr(const IV<Self>& iv, const ByteString& bytes) const { return ctr(iv, bytes); }
    LazyResult ctrLazy(const IV<Self>& iv, const ChunkedByteString& b) const { return lazy(ctr(iv, b.toStrict())); }
    LazyResult unCtrLazy(const IV<Self>& iv, const ChunkedByteString& b) const { return lazy(ctr(iv, b.toStrict())); }

private:
    static void increment(std::vector<std::uint8_t>& counter) {
        const std::size_t n = counter.size();
        switch (Fault) {
        case CtrFault::LittleEndianCounter:
            for (std::size_t i = 0; i < n && ++counter[i] == 0; ++i) {}
            return;
        case CtrFault::CarryWithinLow32Bits:
            for (std::size_t i = n; i-- > n - 4 && ++counter[i] == 0;) {}
            return;
        case CtrFault::NoCarryFromLastByte: ++counter[n - 1]; return;
        default:
            for (std::size_t i = n; i-- > 0 && ++counter[i] == 0;) {}
            return;
        }
    }
};

// CBC whose next IV of empty input is all zeros instead of the IV.
struct CbcZeroNextIVWhenEmpty : Wrapper<CbcZeroNextIVWhenEmpty> {
    using Self = CbcZeroNextIVWhenEmpty;
    Result cbc(const IV<Self>& iv, const ByteString& b) const { return fix(b, zelkor::cbc(inner, innerIV(iv), b)); }
    Result unCbc(const IV<Self>& iv, const ByteString& b) const { return fix(b, zelkor::unCbc(inner, innerIV(iv), b)); }

private:
    static Result fix(const ByteString& in, std::pair<ByteString, IV<reference::AES128>> r) {
        const ByteString next = in.empty() ? ByteString(std::vector<std::uint8_t>(16, 0)) : r.second.bytes();
        return {r.first, *IV<Self>::decode(next)};
    }
};

// OFB whose next IV is the last ciphertext block (the IV for less than a block).
struct OfbNextIVIsCiphertext : Wrapper<OfbNextIVIsCiphertext> {
    using Self = OfbNextIVIsCiphertext;
    Result ofb(const IV<Self>& iv, const ByteString& b) const {
        ByteString out = zelkor::ofb(inner, innerIV(iv), b).first;
        const ByteString next = out.size() >= 16 ? out.drop(out.size() - out.size() % 16 - 16).take(16) : iv.bytes();
        return {out, *IV<Self>::decode(next)};
    }
    Result unOfb(const IV<Self>& iv, const ByteString& b) const { return ofb(iv, b); }
    LazyResult ofbLazy(const IV<Self>& iv, const ChunkedByteString& b) const { return lazy(ofb(iv, b.toStrict())); }
    LazyResult unOfbLazy(const IV<Self>& iv, const ChunkedByteString& b) const { return lazy(ofb(iv, b.toStrict())); }
};

// ECB that encrypts the first block and passes every later one through.
struct EcbOnlyFirstBlock : Wrapper<EcbOnlyFirstBlock> {
    ByteString ecb(const ByteString& b) const { return inner.encryptBlock(b.take(16)) + b.drop(16); }
    ByteString unEcb(const ByteString& b) const { return inner.decryptBlock(b.take(16)) + b.drop(16); }
    ChunkedByteString ecbLazy(const ChunkedByteString& b) const {
        return ChunkedByteString::fromStrict(ecb(b.toStrict()));
    }
    ChunkedByteString unEcbLazy(const ChunkedByteString& b) const {
        return ChunkedByteString::fromStrict(unEcb(b.toStrict()));
    }
};

// CFB, OFB and CTR that treat a trailing partial block wrongly: dropped from
// the output, or XORed with the end of its keystream block instead of its
// start. Next IVs are right.
enum class PartialFault { Dropped, KeystreamEnd };

template <PartialFault Fault>
struct FaultyPartialBlock : Wrapper<FaultyPartialBlock<Fault>> {
    using Self = FaultyPartialBlock;
    using Result = std::pair<ByteString, IV<Self>>;
    using LazyResult = std::pair<ChunkedByteString, IV<Self>>;

    Result cfb(const IV<Self>& iv, const ByteString& b) const { return run<CfbOps>(iv, b, true); }
    Result unCfb(const IV<Self>& iv, const ByteString& b) const { return run<CfbOps>(iv, b, false); }
    Result ofb(const IV<Self>& iv, const ByteString& b) const { return run<OfbOps>(iv, b, true); }
    Result unOfb(const IV<Self>& iv, const ByteString& b) const { return ofb(iv, b); }
    Result ctr(const IV<Self>& iv, const ByteString& b) const { return run<CtrOps>(iv, b, true); }
    Result unCtr(const IV<Self>& iv, const ByteString& b) const { return ctr(iv, b); }
    LazyResult cfbLazy(const IV<Self>& iv, const ChunkedByteString& b) const { return lazy(cfb(iv, b.toStrict())); }
    LazyResult unCfbLazy(const IV<Self>& iv, const ChunkedByteString& b) const { return lazy(unCfb(iv, b.toStrict())); }
    LazyResult ofbLazy(const IV<Self>& iv, const ChunkedByteString& b) const { return lazy(ofb(iv, b.toStrict())); }
    LazyResult unOfbLazy(const IV<Self>& iv, const ChunkedByteString& b) const { return lazy(ofb(iv, b.toStrict())); }
    LazyResult ctrLazy(const IV<Self>& iv, const ChunkedByteString& b) const { return lazy(ctr(iv, b.toStrict())); }
    LazyResult unCtrLazy(const IV<Self>& iv, const ChunkedByteString& b) const { return lazy(ctr(iv, b.toStrict())); }

private:
    // The correct result, then the partial block redone: its keystream block
    // is the correct output of a whole zero block in its place.
    template <class Ops>
    Result run(const IV<Self>& iv, const ByteString& b, bool encrypt) const {
        const auto mode = [&](const ByteString& input) {
            return encrypt ? Ops::enc(this->inner, this->innerIV(iv), input)
                           : Ops::dec(this->inner, this->innerIV(iv), input);
        };
        const std::size_t whole = b.size() - b.size() % 16;
        auto [out, next] = mode(b);
        ByteString fixed = out.take(whole);
        if (Fault == PartialFault::KeystreamEnd && whole < b.size()) {
            const ByteString padded = b.take(whole) + ByteString(std::vector<std::uint8_t>(16, 0));
            const ByteString keystream = mode(padded).first.drop(whole);
            fixed = fixed + xorBytes(b.drop(whole), keystream.drop(16 - (b.size() - whole)));
        }
        return {fixed, ivAs<Self>(next)};
    }
};

// A key schedule that ignores the last key byte.
struct IgnoresLastKeyByte : Wrapper<IgnoresLastKeyByte> {
    static std::optional<IgnoresLastKeyByte> buildKey(const ByteString& bytes) {
        std::vector<std::uint8_t> key = bytes.vector();
        if (!key.empty()) key.back() = 0;
        return Wrapper::buildKey(ByteString(std::move(key)));
    }
};

}  // namespace zelkor::testsupport::mutants
