#pragma once
// OpenSSL's SHAKE128 and SHAKE256 as zelkor::Xof types. OpenSSL 3.0 finishes
// an XOF in one call (EVP_DigestFinalXOF; the repeated squeeze,
// EVP_DigestSqueeze, came in 3.3), so these declare one squeeze only: a
// second squeeze, and absorb after the squeeze, throw std::logic_error.

#include <cstddef>
#include <memory>

#include "zelkor/ByteString.hpp"
#include "zelkor/Xof.hpp"

namespace zelkor::reference {

namespace detail {
struct ShakeContext;
struct ShakeContextFree {
    void operator()(ShakeContext* context) const;
};
}  // namespace detail

class OpenSSLShakeBase {
public:
    static constexpr bool squeezesRepeatedly = false;

    void absorb(const ByteString& bytes);
    ByteString squeeze(std::size_t bytes);

protected:
    explicit OpenSSLShakeBase(int bits);

private:
    std::unique_ptr<detail::ShakeContext, detail::ShakeContextFree> context_;
    bool squeezed_ = false;
};

template <int Bits>
class OpenSSLShake : public OpenSSLShakeBase {
public:
    static constexpr int rateLength = 1600 - 2 * Bits;
    OpenSSLShake() : OpenSSLShakeBase(Bits) {}
};

using OpenSSLShake128 = OpenSSLShake<128>;
using OpenSSLShake256 = OpenSSLShake<256>;

}  // namespace zelkor::reference
