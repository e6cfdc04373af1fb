#pragma once
// Selecting the records of NIST-style digest files (Len, Msg, MD): the
// non-template half of SHA.hpp and of the MD5 length suite.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/bytes/ByteArena.hpp"
#include "zelkor/tests/detail/formats/CategoryViews.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::sha_detail {

// The field texts of one usable record.
struct ShaRecord {
    std::string msg;
    std::string md;
    std::string len;
    CaseOrigin origin;  // the vector file and line of the record
};

// Reads the files of Test/<familyDir> that `keep` accepts (all when empty) and
// returns, in listing, category and record order, every record holding Msg,
// MD and Len. Only field presence is checked. `usage` counts what was read and
// skipped; the records' origins refer to it.
std::vector<ShaRecord> digestRecords(std::string_view familyDir,
                                     const std::function<bool(std::string_view fileName)>& keep,
                                     const std::shared_ptr<detail::VectorUsage>& usage);

// A hex field of a record: its bytes, decoded when the file was read, or for
// text that is not hex the text itself, decoded when its case runs so that
// the case reports the error.
struct HexField {
    std::span<const std::uint8_t> bytes;
    std::string_view undecoded;
    bool decoded = true;

    ByteString value() const;
};

// One usable record, its fields in the arena of the records that hold it.
struct ShaRecordView {
    HexField msg;
    HexField md;
    std::string_view len;
    CaseOrigin origin;
};

// Usable records, with the arena their fields are in: what a suite keeps is
// the bytes the records hold, not the files' texts.
struct ShaRecordViews {
    std::shared_ptr<const detail::ByteArena> arena;
    std::vector<ShaRecordView> records;
};

ShaRecordViews digestRecordViews(std::string_view familyDir,
                                 const std::function<bool(std::string_view fileName)>& keep,
                                 const std::shared_ptr<detail::VectorUsage>& usage);
ShaRecordViews usableRecordViews(std::string_view familyDir, std::string_view algorithm,
                                 const std::shared_ptr<detail::VectorUsage>& usage);

// The records of the files of Test/<familyDir> whose name begins with
// `algorithm` (no other file is opened).
std::vector<ShaRecord> usableRecords(std::string_view familyDir, std::string_view algorithm,
                                     const std::shared_ptr<detail::VectorUsage>& usage);

}  // namespace zelkor::tests::sha_detail
