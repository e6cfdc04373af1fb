#pragma once
// Key derivation: HKDF and PBKDF2, whatever the implementation.
//
// An HKDF type H has static members
//   static constexpr int hashLength;   // bits: the PRK's length, and the unit of the output limit
//   static ByteString extract(const ByteString& salt, const ByteString& ikm);
//   static ByteString expand(const ByteString& prk, const ByteString& info, std::size_t length);
//   static ByteString derive(const ByteString& ikm, const ByteString& salt, const ByteString& info,
//                            std::size_t length);
// expand and derive give exactly `length` bytes and throw (any std::exception)
// for a length over 255 hash lengths, never a shorter output; an empty salt
// is a salt of hashLength/8 zero bytes.
//
// A PBKDF2 type P has static members
//   static constexpr int hashLength;   // bits
//   static ByteString derive(const ByteString& password, const ByteString& salt,
//                            std::uint64_t iterations, std::size_t length);
// derive gives exactly `length` bytes and throws for 0 iterations.
//
// Both are built generically over any digest's hmac (zelkor/Hmac.hpp):
// hkdfExtract, hkdfExpand, hkdf and pbkdf2 below, and the types HkdfOver<D>
// and Pbkdf2Over<D>. A digest type with its own static members
//   static ByteString hkdfExtract(const ByteString& salt, const ByteString& ikm);
//   static ByteString hkdfExpand(const ByteString& prk, const ByteString& info, std::size_t length);
//   static ByteString pbkdf2(const ByteString& password, const ByteString& salt,
//                            std::uint64_t iterations, std::size_t length);
// gets them called instead, under the rule of the modes (a member of that
// name that does not fit is a compile error); parameters reach them
// unchecked, so their own refusals are what gets tested.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/detail/KdfMath.hpp"
#include "zelkor/detail/OwnMembers.hpp"

namespace zelkor {

template <class H>
concept Hkdf = requires(const ByteString& s, std::size_t n) {
    { H::hashLength } -> std::convertible_to<int>;
    { H::extract(s, s) } -> std::same_as<ByteString>;
    { H::expand(s, s, n) } -> std::same_as<ByteString>;
    { H::derive(s, s, s, n) } -> std::same_as<ByteString>;
};

template <class P>
concept Pbkdf2 = requires(const ByteString& s, std::uint64_t c, std::size_t n) {
    { P::hashLength } -> std::convertible_to<int>;
    { P::derive(s, s, c, n) } -> std::same_as<ByteString>;
};

namespace detail {

template <class D>
concept OwnFits_hkdfExtract = requires(const ByteString& s) {
    { D::hkdfExtract(s, s) } -> std::same_as<ByteString>;
};
template <class D>
concept OwnFits_hkdfExpand = requires(const ByteString& s, std::size_t n) {
    { D::hkdfExpand(s, s, n) } -> std::same_as<ByteString>;
};
template <class D>
concept OwnFits_pbkdf2 = requires(const ByteString& s, std::uint64_t c, std::size_t n) {
    { D::pbkdf2(s, s, c, n) } -> std::same_as<ByteString>;
};
template <class D>
concept UsesOwn_hkdfExtract = OwnFits_hkdfExtract<D> || HasMemberNamed_hkdfExtract<D>;
template <class D>
concept UsesOwn_hkdfExpand = OwnFits_hkdfExpand<D> || HasMemberNamed_hkdfExpand<D>;
template <class D>
concept UsesOwn_pbkdf2 = OwnFits_pbkdf2<D> || HasMemberNamed_pbkdf2<D>;

template <Hash D>
constexpr std::size_t hashBytes() {
    return static_cast<std::size_t>(D::outputLength) / 8;
}

// zelkor::hmac<D> of the chunks, as bytes.
template <Hash D>
HmacFunction hmacFunction() {
    return [](const ByteString& key, const std::vector<ByteString>& chunks) {
        return zelkor::hmac<D>(key, ChunkedByteString::fromChunks(chunks)).encode();
    };
}

template <Hash D>
ByteString genericHkdfExtract(const ByteString& salt, const ByteString& ikm) {
    const ByteString key = salt.empty() ? ByteString(std::vector<std::uint8_t>(hashBytes<D>(), 0)) : salt;
    return zelkor::hmac<D>(key, ikm).encode();
}

template <Hash D>
ByteString genericHkdfExpand(const ByteString& prk, const ByteString& info, std::size_t length) {
    return hkdfExpandWith(hashBytes<D>(), hmacFunction<D>(), prk, info, length);
}

template <Hash D>
ByteString genericPbkdf2(const ByteString& password, const ByteString& salt, std::uint64_t iterations,
                         std::size_t length) {
    return pbkdf2With(hashBytes<D>(), hmacFunction<D>(), password, salt, iterations, length);
}

}  // namespace detail

template <Hash D>
ByteString hkdfExtract(const ByteString& salt, const ByteString& ikm) {
    if constexpr (detail::UsesOwn_hkdfExtract<D>) {
        static_assert(detail::OwnFits_hkdfExtract<D>,
                      "D::hkdfExtract must be callable as: static ByteString hkdfExtract(const ByteString& salt, "
                      "const ByteString& ikm)");
        if constexpr (detail::OwnFits_hkdfExtract<D>) return D::hkdfExtract(salt, ikm);
        else return {};
    } else {
        return detail::genericHkdfExtract<D>(salt, ikm);
    }
}

template <Hash D>
ByteString hkdfExpand(const ByteString& prk, const ByteString& info, std::size_t length) {
    if constexpr (detail::UsesOwn_hkdfExpand<D>) {
        static_assert(detail::OwnFits_hkdfExpand<D>,
                      "D::hkdfExpand must be callable as: static ByteString hkdfExpand(const ByteString& prk, "
                      "const ByteString& info, std::size_t length)");
        if constexpr (detail::OwnFits_hkdfExpand<D>) return D::hkdfExpand(prk, info, length);
        else return {};
    } else {
        return detail::genericHkdfExpand<D>(prk, info, length);
    }
}

template <Hash D>
ByteString hkdf(const ByteString& ikm, const ByteString& salt, const ByteString& info, std::size_t length) {
    return hkdfExpand<D>(hkdfExtract<D>(salt, ikm), info, length);
}

template <Hash D>
ByteString pbkdf2(const ByteString& password, const ByteString& salt, std::uint64_t iterations, std::size_t length) {
    if constexpr (detail::UsesOwn_pbkdf2<D>) {
        static_assert(detail::OwnFits_pbkdf2<D>,
                      "D::pbkdf2 must be callable as: static ByteString pbkdf2(const ByteString& password, "
                      "const ByteString& salt, std::uint64_t iterations, std::size_t length)");
        if constexpr (detail::OwnFits_pbkdf2<D>) return D::pbkdf2(password, salt, iterations, length);
        else return {};
    } else {
        return detail::genericPbkdf2<D>(password, salt, iterations, length);
    }
}

// HKDF over the digest D as an Hkdf type.
template <Hash D>
struct HkdfOver {
    using Digest = D;
    static constexpr int hashLength = D::outputLength;
    static ByteString extract(const ByteString& salt, const ByteString& ikm) { return hkdfExtract<D>(salt, ikm); }
    static ByteString expand(const ByteString& prk, const ByteString& info, std::size_t length) {
        return hkdfExpand<D>(prk, info, length);
    }
    static ByteString derive(const ByteString& ikm, const ByteString& salt, const ByteString& info,
                             std::size_t length) {
        return hkdf<D>(ikm, salt, info, length);
    }
};

// PBKDF2 with D's hmac as a Pbkdf2 type.
template <Hash D>
struct Pbkdf2Over {
    using Digest = D;
    static constexpr int hashLength = D::outputLength;
    static ByteString derive(const ByteString& password, const ByteString& salt, std::uint64_t iterations,
                             std::size_t length) {
        return pbkdf2<D>(password, salt, iterations, length);
    }
};

}  // namespace zelkor
