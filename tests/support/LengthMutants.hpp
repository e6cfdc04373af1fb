#pragma once
// SHA-256 with the length faults that only long messages show, over
// OpenSSL's own SHA-256 (its low-level streaming functions), so that the
// rest of the algorithm is right.

#include <array>
#include <cstdint>
#include <span>

#include "OpenSSLDigests.hpp"
#include "support/HashMutants.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport {

enum class LengthFault {
    BitCountIn32Bits,     // the message length in bits kept in 32 bits: wrong from 2^32 bits (512 MiB) on
    UpdateLengthIn32Bits  // each update's byte count taken as 32 bits: wrong for a call of 4 GiB or more
};

namespace detail {
std::array<std::uint8_t, 32> faultySha256(LengthFault fault, std::span<const ByteString> chunks);
}

template <LengthFault Fault>
struct FaultySHA256 : DigestWrapper<FaultySHA256<Fault>, reference::SHA256> {
    using DigestWrapper<FaultySHA256, reference::SHA256>::DigestWrapper;

    static FaultySHA256 hash(const ByteString& message) { return of(std::span(&message, 1)); }
    static FaultySHA256 hash(const ChunkedByteString& message) { return of(message.chunks()); }

private:
    static FaultySHA256 of(std::span<const ByteString> chunks) {
        const auto raw = detail::faultySha256(Fault, chunks);
        return FaultySHA256(*reference::SHA256::decode(ByteString(raw.data(), raw.size())));
    }
};

using BitCountIn32Bits = FaultySHA256<LengthFault::BitCountIn32Bits>;
using UpdateLengthIn32Bits = FaultySHA256<LengthFault::UpdateLengthIn32Bits>;

}  // namespace zelkor::testsupport
