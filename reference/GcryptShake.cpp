#include "GcryptShake.hpp"

#include <stdexcept>
#include <string>
#include <vector>

#include <gcrypt.h>

namespace zelkor::reference {

namespace detail {
struct GcryptContext {
    gcry_md_hd_t handle = nullptr;
};
void GcryptContextFree::operator()(GcryptContext* context) const {
    if (context->handle) gcry_md_close(context->handle);
    delete context;
}
}  // namespace detail

GcryptShakeBase::GcryptShakeBase(int bits)
    : context_(new detail::GcryptContext), algorithm_(bits == 128 ? GCRY_MD_SHAKE128 : GCRY_MD_SHAKE256) {
    static const bool ready = gcry_check_version(nullptr) != nullptr;
    if (!ready) throw std::runtime_error("libgcrypt: gcry_check_version failed");
    if (const gcry_error_t error = gcry_md_open(&context_->handle, algorithm_, 0)) {
        throw std::runtime_error(std::string("libgcrypt: gcry_md_open: ") + gcry_strerror(error));
    }
}

void GcryptShakeBase::absorb(const ByteString& bytes) {
    if (squeezed_) throw std::logic_error("libgcrypt SHAKE: absorb after a squeeze");
    if (bytes.size() > 0) gcry_md_write(context_->handle, bytes.data(), bytes.size());
}

ByteString GcryptShakeBase::squeeze(std::size_t bytes) {
    squeezed_ = true;
    if (bytes == 0) return ByteString();
    std::vector<std::uint8_t> out(bytes);
    if (const gcry_error_t error = gcry_md_extract(context_->handle, algorithm_, out.data(), bytes)) {
        throw std::runtime_error(std::string("libgcrypt: gcry_md_extract: ") + gcry_strerror(error));
    }
    return ByteString(std::move(out));
}

}  // namespace zelkor::reference
