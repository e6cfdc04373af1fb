#pragma once
// Selecting the records of NIST-style digest files (Len, Msg, MD): the
// non-template half of SHA.hpp and of the MD5 length suite.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/Test.hpp"
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

// The field texts of one usable record as views into its file's text.
struct ShaRecordView {
    std::string_view msg;
    std::string_view md;
    std::string_view len;
    CaseOrigin origin;
};

// Usable records as views, with the texts of the files they point into.
struct ShaRecordViews {
    std::vector<std::shared_ptr<const detail::VectorText>> texts;
    std::vector<ShaRecordView> records;
};

// digestRecords as views: what a suite keeps is the files' texts, once.
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
