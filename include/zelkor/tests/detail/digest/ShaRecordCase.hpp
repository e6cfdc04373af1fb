#pragma once
// What one record of a NIST-style digest file (Len, Msg, MD) checks; shared by
// the SHA suites and the MD5 length suite.

#include <cstddef>
#include <string>
#include <string_view>

#include "zelkor/ByteString.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/ShaHmacFields.hpp"
#include "zelkor/tests/detail/formats/ShaRecords.hpp"

namespace zelkor::tests::sha_detail {

// The first floor(Len/8) bytes of Msg. Msg is decoded before Len is read, so a
// record with both faults reports the hex error.
inline ByteString decodedField(std::string_view hex) { return hexStringToBS(hex); }
inline ByteString decodedField(const HexField& field) { return field.value(); }

template <class Msg>
ByteString messageOfBitLength(const Msg& msg, std::string_view lenText) {
    ByteString decoded = decodedField(msg);
    const std::size_t messageBytes = detail::wholeBytesOfBitLength(lenText);
    return messageBytes < decoded.size() ? decoded.take(messageBytes) : decoded;
}

// Hashes the first floor(Len/8) bytes of Msg contiguously and in 37-byte
// chunks and asserts that both encodings equal MD. `Record` is a ShaRecord or
// a ShaRecordView.
template <Hash D, class Record>
void runCase(const std::string& name, const Record& record) {
    const ByteString message = messageOfBitLength(record.msg, record.len);
    const ByteString expected = decodedField(record.md);
    const ByteString strict = zelkor::hash<D>(message).encode();
    const ByteString chunked = zelkor::hash<D>(ChunkedByteString::chunksOf(37, message)).encode();
    assertKnownAnswer(name, {{"from contiguous input", strict}, {"from 37-byte chunks", chunked}}, expected,
                      record.origin);
}

}  // namespace zelkor::tests::sha_detail
