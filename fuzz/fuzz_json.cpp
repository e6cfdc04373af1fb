// Fuzzes the Wycheproof reader through the public builders, as a user's damaged
// file would reach it. The first input byte picks the file (even: AES-GCM,
// odd: HMAC-SHA256); the rest is its text, written into a data directory of
// its own. A builder must either build cases or throw VectorFileError naming
// the file; the cases it builds run against OpenSSL and may fail, never crash.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <variant>
#include <vector>

#include "OpenSSLAES.hpp"
#include "OpenSSLDigests.hpp"
#include "zelkor/tests/GCM.hpp"
#include "zelkor/tests/HMAC.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace {

// A data directory for the whole run, set in the environment once.
const std::string& wycheproofDir() {
    static const std::string dir = [] {
        std::string root = (std::filesystem::temp_directory_path() / "zelkor-fuzz-json-XXXXXX").string();
        if (::mkdtemp(root.data()) == nullptr) std::abort();
        std::filesystem::create_directories(root + "/Wycheproof");
        ::setenv("zelkor_tests_datadir", root.c_str(), 1);
        return root + "/Wycheproof/";
    }();
    return dir;
}

std::vector<zelkor::tests::Test> build(bool gcm) {
    if (gcm) return zelkor::tests::makeAESGCMWycheproofTests<zelkor::reference::AES128>();
    return zelkor::tests::makeSHA256WycheproofHMACTests<zelkor::reference::SHA256>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool gcm = data[0] % 2 == 0;
    const std::string path = wycheproofDir() + (gcm ? "aes_gcm_test.json" : "hmac_sha256_test.json");
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    std::vector<zelkor::tests::Test> cases;
    try {
        cases = build(gcm);
    } catch (const zelkor::tests::detail::VectorFileError& e) {
        if (std::string(e.what()).find(path) == std::string::npos) {
            std::fprintf(stderr, "error does not name the file: %s\n", e.what());
            std::abort();
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "builder threw something other than VectorFileError: %s\n", e.what());
        std::abort();
    }
    for (const auto& test : cases) {
        const auto* leaf = std::get_if<zelkor::tests::TestCase>(&test.node);
        if (leaf == nullptr) continue;
        try {
            leaf->run();
        } catch (const std::exception&) {
            // A failing or erroring case is a reported outcome.
        }
    }
    return 0;
}
