#include "OpenSSLShake.hpp"

#include <stdexcept>
#include <vector>

#include <openssl/evp.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference {

namespace detail {
struct ShakeContext {
    DigestCtx ctx;
};
void ShakeContextFree::operator()(ShakeContext* context) const { delete context; }
}  // namespace detail

OpenSSLShakeBase::OpenSSLShakeBase(int bits) : context_(new detail::ShakeContext{detail::DigestCtx(EVP_MD_CTX_new())}) {
    if (!context_->ctx) detail::throwOpenSSLError("EVP_MD_CTX_new");
    detail::check(EVP_DigestInit_ex(context_->ctx.get(), bits == 128 ? EVP_shake128() : EVP_shake256(), nullptr),
                  "EVP_DigestInit_ex");
}

void OpenSSLShakeBase::absorb(const ByteString& bytes) {
    if (squeezed_) throw std::logic_error("OpenSSL SHAKE: absorb after the squeeze");
    detail::check(EVP_DigestUpdate(context_->ctx.get(), bytes.data(), bytes.size()), "EVP_DigestUpdate");
}

ByteString OpenSSLShakeBase::squeeze(std::size_t bytes) {
    if (squeezed_) throw std::logic_error("OpenSSL SHAKE: OpenSSL 3.0 squeezes once only");
    squeezed_ = true;
    std::vector<std::uint8_t> out(bytes);
    if (bytes == 0) return ByteString();
    detail::check(EVP_DigestFinalXOF(context_->ctx.get(), out.data(), bytes), "EVP_DigestFinalXOF");
    return ByteString(std::move(out));
}

}  // namespace zelkor::reference
