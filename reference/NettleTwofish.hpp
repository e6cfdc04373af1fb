#pragma once
// Reference Twofish key backed by nettle. It has no mode members, so the
// generic modes of zelkor/Modes.hpp are what it uses.

#include <memory>
#include <optional>

#include "zelkor/ByteString.hpp"

namespace zelkor::reference {

namespace detail {
// nettle's expanded key, made once by buildKey and only read afterwards.
struct TwofishSchedule;
}  // namespace detail

class Twofish {
public:
    static constexpr int blockSize = 128;
    static constexpr int keyLength = 256;

    // 16-, 24- or 32-byte keys, else none.
    static std::optional<Twofish> buildKey(const ByteString& key);

    // Whole blocks only; other input throws std::invalid_argument.
    ByteString encryptBlock(const ByteString& blocks) const;
    ByteString decryptBlock(const ByteString& blocks) const;

private:
    explicit Twofish(std::shared_ptr<const detail::TwofishSchedule> schedule) : schedule_(std::move(schedule)) {}

    std::shared_ptr<const detail::TwofishSchedule> schedule_;
};

}  // namespace zelkor::reference
