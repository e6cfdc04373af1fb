#pragma once
// libgcrypt's SHAKE128 and SHAKE256 as zelkor::Xof types: gcry_md_extract
// squeezes in any number of calls, so these declare repeated squeezes.
// Absorb after a squeeze throws std::logic_error (libgcrypt would take it).

#include <cstddef>
#include <memory>

#include "zelkor/ByteString.hpp"
#include "zelkor/Xof.hpp"

namespace zelkor::reference {

namespace detail {
struct GcryptContext;
struct GcryptContextFree {
    void operator()(GcryptContext* context) const;
};
}  // namespace detail

class GcryptShakeBase {
public:
    static constexpr bool squeezesRepeatedly = true;

    void absorb(const ByteString& bytes);
    ByteString squeeze(std::size_t bytes);

protected:
    explicit GcryptShakeBase(int bits);

private:
    std::unique_ptr<detail::GcryptContext, detail::GcryptContextFree> context_;
    int algorithm_;
    bool squeezed_ = false;
};

template <int Bits>
class GcryptShake : public GcryptShakeBase {
public:
    static constexpr int rateLength = 1600 - 2 * Bits;
    GcryptShake() : GcryptShakeBase(Bits) {}
};

using GcryptShake128 = GcryptShake<128>;
using GcryptShake256 = GcryptShake<256>;

}  // namespace zelkor::reference
