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
    // Fetched once: an implicit fetch at every start costs more than a short SHAKE.
    static const std::unique_ptr<EVP_MD, void (*)(EVP_MD*)> shake128(EVP_MD_fetch(nullptr, "SHAKE128", nullptr),
                                                                       EVP_MD_free);
    static const std::unique_ptr<EVP_MD, void (*)(EVP_MD*)> shake256(EVP_MD_fetch(nullptr, "SHAKE256", nullptr),
                                                                       EVP_MD_free);
    const EVP_MD* md = bits == 128 ? shake128.get() : shake256.get();
    if (md == nullptr) detail::throwOpenSSLError("EVP_MD_fetch SHAKE");
    detail::check(EVP_DigestInit_ex2(context_->ctx.get(), md, nullptr), "EVP_DigestInit_ex2");
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
