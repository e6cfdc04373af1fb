#include "zelkor/tests/detail/aead/AadStrings.hpp"

#include <optional>
#include <utility>

#include "zelkor/tests/Crypto.hpp"

namespace zelkor::tests::aead_detail {

std::vector<std::string> moreAadFields(const Record& fields) {
    std::vector<std::string> out;
    for (std::size_t n = 2;; ++n) {
        std::optional<std::string> value = lookup(fields, "AAD" + std::to_string(n));
        if (!value) return out;
        out.push_back(std::move(*value));
    }
}

std::vector<ByteString> aadStrings(const std::string& aadHex, const std::vector<std::string>& moreHex) {
    std::vector<ByteString> out{hexStringToBS(aadHex)};
    for (const std::string& hex : moreHex) out.push_back(hexStringToBS(hex));
    return out;
}

std::string aadStringsNotAccepted(std::size_t count) {
    return std::to_string(count) + " associated-data strings not accepted by the type";
}

}  // namespace zelkor::tests::aead_detail
