#pragma once
// Message authentication codes, whatever the construction.
//
// A MAC type M is its own key type and declares the lengths it takes:
//
//   static constexpr int tagLength;                        // bits of the full tag
//   static std::optional<M> buildKey(const ByteString&);   // none for a key it refuses
//   static bool acceptsKey(std::size_t bytes);
//   static bool acceptsTag(std::size_t bytes);             // the full tag's length among them
//   ByteString tag(const ByteString& message, std::size_t tagBytes) const;
//   ByteString tag(const ChunkedByteString& message, std::size_t tagBytes) const;
//
// tag throws (any std::exception) for a tag length the type does not accept;
// buildKey gives none (or throws) for a key length it does not accept. A tag
// of fewer bytes than the full one is its prefix, unless the type says that
// its tags depend on the length asked for (the output length enters the
// computation) with
//
//   static constexpr bool tagDependsOnLength = true;

#include <concepts>
#include <cstddef>
#include <optional>

#include "zelkor/ByteString.hpp"

namespace zelkor {

template <class M>
concept Mac = std::copy_constructible<M> &&
              requires(const M& m, const ByteString& s, const ChunkedByteString& l, std::size_t n) {
                  { M::tagLength } -> std::convertible_to<int>;
                  { M::buildKey(s) } -> std::same_as<std::optional<M>>;
                  { M::acceptsKey(n) } -> std::same_as<bool>;
                  { M::acceptsTag(n) } -> std::same_as<bool>;
                  { m.tag(s, n) } -> std::same_as<ByteString>;
                  { m.tag(l, n) } -> std::same_as<ByteString>;
              };

// Whether a shorter tag of M is the prefix of a longer one.
template <Mac M>
constexpr bool macTagsArePrefixes() {
    if constexpr (requires { M::tagDependsOnLength; }) {
        return !M::tagDependsOnLength;
    } else {
        return true;
    }
}

}  // namespace zelkor
