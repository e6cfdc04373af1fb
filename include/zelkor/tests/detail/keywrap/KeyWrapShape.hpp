#pragma once
// A key wrap type seen through plain functions, so that the checks of every
// key wrap are compiled once, in the library, and a type costs one small
// template.

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/KeyWrap.hpp"
#include "zelkor/tests/Test.hpp"

namespace zelkor::tests::keywrap_detail {

// One key's calls; `encrypt` and `decrypt` are its block cipher's, when the
// type exposes one (blockCipher()), for the generic construction.
struct KeyWrapKeyed {
    std::function<ByteString(const ByteString&)> wrap;
    std::function<std::optional<ByteString>(const ByteString&)> unwrap;
    std::optional<zelkor::detail::KeyWrapBlock> encrypt, decrypt;
};

struct KeyWrapShape {
    std::size_t keyBytes = 0;
    std::function<bool(std::size_t)> acceptsLength;
    std::function<std::optional<KeyWrapKeyed>(const ByteString& key)> buildKey;
};

template <KeyWrap W>
KeyWrapShape keyWrapShape() {
    KeyWrapShape shape;
    shape.keyBytes = static_cast<std::size_t>(W::keyLength) / 8;
    shape.acceptsLength = [](std::size_t n) { return W::acceptsLength(n); };
    shape.buildKey = [](const ByteString& key) -> std::optional<KeyWrapKeyed> {
        std::optional<W> built = W::buildKey(key);
        if (!built) return std::nullopt;
        KeyWrapKeyed keyed{[w = *built](const ByteString& b) { return w.wrap(b); },
                           [w = *built](const ByteString& b) { return w.unwrap(b); },
                           std::nullopt,
                           std::nullopt};
        if constexpr (requires { built->blockCipher(); }) {
            keyed.encrypt = zelkor::detail::keyWrapEncryptionOf(built->blockCipher());
            keyed.decrypt = zelkor::detail::keyWrapDecryptionOf(built->blockCipher());
        }
        return keyed;
    };
    return shape;
}

// Which construction a row's vectors are for.
struct KeyWrapVariant {
    bool padded = false;   // KWP
    bool inverse = false;  // wrapping with the cipher's decryption
};

std::vector<Test> propertyTests(const KeyWrapShape& shape);
std::vector<Test> bufferSafetyTests(const KeyWrapShape& shape);
std::vector<Test> conformanceTests(const KeyWrapShape& shape, KeyWrapVariant variant);
// NIST's files <KW|KWP>_<AE|AD>_<bits>[_inv].txt of Test/<directory>.
std::vector<Test> nistTests(const KeyWrapShape& shape, std::string_view directory, KeyWrapVariant variant);
// The tests of Wycheproof/<fileName> for the type's key length.
std::vector<Test> wycheproofTests(const KeyWrapShape& shape, std::string_view fileName);

}  // namespace zelkor::tests::keywrap_detail
