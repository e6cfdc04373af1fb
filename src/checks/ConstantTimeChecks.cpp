#include "zelkor/tests/detail/checks/ConstantTimeChecks.hpp"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

namespace zelkor::tests::detail {

namespace {

// One case with secrets at a time: memcheck's count is process-wide.
std::mutex& caseMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string programPath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("<your test program>") : self.string();
}

}  // namespace

std::string reportCount(std::uint64_t reports) {
    return std::to_string(reports) +
           (reports == 1 ? " secret-dependent branch or memory index" : " secret-dependent branches or memory indexes");
}

Test constantTimeUnavailableCase(bool checkerBuilt) {
    const std::string command =
        "valgrind --tool=memcheck --error-limit=no " + programPath() + " --gtest_filter='*onstant time*'";
    const std::string reason =
        checkerBuilt ? "constant time is checked under valgrind's memcheck, which is not running; run: " + command
                     : "this program was built without valgrind's headers (valgrind/memcheck.h), so constant time "
                       "cannot be checked; install them (Debian's valgrind package), rebuild, then run: " +
                           command;
    return testCase("CheckerUnavailable", [reason] { throw SkipTest(reason); });
}

ByteString patternBytes(std::size_t size, std::uint8_t salt) {
    return ByteString::generate(size, [salt](std::span<std::uint8_t> out) {
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<std::uint8_t>(i * 37 + salt * 101 + 7);
    });
}

ChunkedByteString unevenChunks(const ByteString& bytes, std::size_t n) {
    const std::size_t sizes[] = {1, n > 1 ? n - 1 : 1, n + 1};
    std::vector<ByteString> chunks;
    for (std::size_t pos = 0, i = 0; pos < bytes.size(); ++i) {
        const std::size_t size = std::min(sizes[i % 3], bytes.size() - pos);
        chunks.push_back(bytes.slice(pos, size));
        pos += size;
    }
    return ChunkedByteString::fromChunks(std::move(chunks));
}

std::string chunkedNote(const ChunkedByteString& chunks) {
    const std::size_t n = chunks.chunks().size();
    return "(chunked, " + std::to_string(n) + (n == 1 ? " chunk)" : " chunks)");
}

SecretCalls::SecretCalls() : lock_(caseMutex()) {}

SecretCalls::~SecretCalls() {
    for (const ByteString& bytes : secrets_) declassify(bytes);
}

ByteString SecretCalls::secret(const ByteString& bytes) {
    ByteString copy(bytes.span());
    markSecret(copy);
    secrets_.push_back(copy);
    return copy;
}

ChunkedByteString SecretCalls::secret(const ChunkedByteString& chunks) {
    std::vector<ByteString> copies;
    for (const ByteString& chunk : chunks.chunks()) copies.push_back(secret(chunk));
    return ChunkedByteString::fromChunks(std::move(copies));
}

void SecretCalls::leak(std::string_view call, std::uint64_t reports) {
    problems_.push_back(std::string(call) + ": " + reportCount(reports) +
                        " in one call (memcheck printed each with its stack above)");
}

void SecretCalls::requireNone() const {
    if (problems_.empty()) return;
    std::string message;
    for (const std::string& problem : problems_) message += (message.empty() ? "" : "\n") + problem;
    throw AssertionFailure(message);
}

std::string openFinding(std::string_view operation, std::uint64_t valid, std::uint64_t forgedFirst,
                        std::uint64_t forgedLast) {
    return std::string(operation) + ": " + reportCount(forgedFirst) + " with a tag forged at its first byte, " +
           std::to_string(forgedLast) + " with one forged at its last (" + std::to_string(valid) +
           " with the valid tag): the count depends on where the tag differs, as when the comparison stops at "
           "the first difference (memcheck printed each with its stack above)";
}

void noteOpen(std::string_view operation, std::uint64_t valid, std::uint64_t forgedFirst, std::uint64_t forgedLast) {
    std::cout << operation << ": " << valid << ", " << forgedFirst << " and " << forgedLast
              << " reports for the valid tag and tags forged at their first and last byte: the count does not "
                 "depend on where the tag differs (reports of the accept/reject decision are expected)\n";
}

std::string gcmOpenFinding(std::uint64_t valid, std::uint64_t forgedFirst, std::uint64_t forgedLast) {
    return openFinding("gcmDecrypt", valid, forgedFirst, forgedLast);
}

void noteGcmOpen(std::uint64_t valid, std::uint64_t forgedFirst, std::uint64_t forgedLast) {
    noteOpen("gcmDecrypt", valid, forgedFirst, forgedLast);
}

}  // namespace zelkor::tests::detail
