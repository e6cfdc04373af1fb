// Throughput of the generic modes against OpenSSL's own, and of the generic
// HMAC against OpenSSL's, on contiguous and chunked input.

#include <benchmark/benchmark.h>

#include "OpenSSLAES.hpp"
#include "OpenSSLDigests.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/Modes.hpp"

namespace {

using namespace zelkor;

ByteString patternBytes(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
    return ByteString(std::move(bytes));
}

// AES-128 with OpenSSL's block function but no mode members: the generic modes.
struct GenericAES128 {
    static constexpr int blockSize = 128;
    static constexpr int keyLength = 128;
    reference::AES128 aes;
    static std::optional<GenericAES128> buildKey(const ByteString& key) {
        auto aes = reference::AES128::buildKey(key);
        if (!aes) return std::nullopt;
        return GenericAES128{*aes};
    }
    ByteString encryptBlock(const ByteString& b) const { return aes.encryptBlock(b); }
    ByteString decryptBlock(const ByteString& b) const { return aes.decryptBlock(b); }
};

// A digest with OpenSSL's hash but no hmac member: the generic HMAC.
struct GenericSHA256 {
    static constexpr int outputLength = 256;
    static constexpr int blockLength = 512;
    reference::SHA256 digest;
    static GenericSHA256 hash(const ByteString& m) { return {reference::SHA256::hash(m)}; }
    static GenericSHA256 hash(const ChunkedByteString& m) { return {reference::SHA256::hash(m)}; }
    ByteString encode() const { return digest.encode(); }
    static std::optional<GenericSHA256> decode(const ByteString& b) {
        auto d = reference::SHA256::decode(b);
        if (!d) return std::nullopt;
        return GenericSHA256{*d};
    }
    // Needed by the Hash concept only, so never emitted.
    [[maybe_unused]] friend bool operator==(const GenericSHA256&, const GenericSHA256&) = default;
};

constexpr std::size_t kChunk = 37;

template <class K, bool Chunked>
void BM_Ctr(benchmark::State& state) {
    const K key = *K::buildKey(patternBytes(16));
    const IV<K> iv = *IV<K>::decode(patternBytes(16));
    const ByteString message = patternBytes(static_cast<std::size_t>(state.range(0)));
    const ChunkedByteString chunked = ChunkedByteString::chunksOf(kChunk, message);
    for (auto _ : state) {
        if constexpr (Chunked) benchmark::DoNotOptimize(ctrLazy(key, iv, chunked));
        else benchmark::DoNotOptimize(ctr(key, iv, message));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

template <class K, bool Chunked>
void BM_Cbc(benchmark::State& state) {
    const K key = *K::buildKey(patternBytes(16));
    const IV<K> iv = *IV<K>::decode(patternBytes(16));
    const ByteString message = patternBytes(static_cast<std::size_t>(state.range(0)));
    const ChunkedByteString chunked = ChunkedByteString::chunksOf(kChunk, message);
    for (auto _ : state) {
        if constexpr (Chunked) benchmark::DoNotOptimize(cbcLazy(key, iv, chunked));
        else benchmark::DoNotOptimize(cbc(key, iv, message));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

template <class D>
void BM_Hmac(benchmark::State& state) {
    const ByteString key = patternBytes(32);
    const ChunkedByteString message =
        ChunkedByteString::chunksOf(kChunk, patternBytes(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(hmac<D>(key, message));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_BuildKey(benchmark::State& state) {
    const ByteString key = patternBytes(16);
    for (auto _ : state) benchmark::DoNotOptimize(reference::AES128::buildKey(key));
}

constexpr std::int64_t kSmall = 64;
constexpr std::int64_t kLarge = 1 << 16;

BENCHMARK(BM_Ctr<GenericAES128, false>)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_Ctr<GenericAES128, true>)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_Ctr<reference::AES128, false>)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_Ctr<reference::AES128, true>)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_Cbc<GenericAES128, false>)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_Cbc<GenericAES128, true>)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_Cbc<reference::AES128, false>)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_Cbc<reference::AES128, true>)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_Hmac<GenericSHA256>)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_Hmac<reference::SHA256>)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(BM_BuildKey);

}  // namespace
