#pragma once
// The hash contract: a digest type D with static hashing functions.

#include <concepts>
#include <optional>

#include "zelkor/ByteString.hpp"

namespace zelkor {

template <class D>
concept Hash = std::equality_comparable<D> &&
    requires(const D& d, const ByteString& s, const ChunkedByteString& l) {
        { D::outputLength } -> std::convertible_to<int>;  // bits
        { D::blockLength } -> std::convertible_to<int>;   // bits
        { D::hash(l) } -> std::same_as<D>;                // chunked input
        { D::hash(s) } -> std::same_as<D>;                // contiguous input
        { d.encode() } -> std::same_as<ByteString>;       // raw digest, no prefix
        { D::decode(s) } -> std::same_as<std::optional<D>>;  // leftovers ignored
    };

template <Hash D>
D hash(const ChunkedByteString& message) { return D::hash(message); }

template <Hash D>
D hash(const ByteString& message) { return D::hash(message); }

template <Hash D>
ByteString encode(const D& digest) { return digest.encode(); }

template <Hash D>
std::optional<D> decode(const ByteString& bytes) { return D::decode(bytes); }

}  // namespace zelkor
