#include "zelkor/tests/detail/VectorDirectory.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include "zelkor/tests/Paths_zelkor_tests.hpp"
#include "zelkor/tests/detail/CategoryStream.hpp"

namespace zelkor::tests::detail {

namespace {

[[noreturn]] void throwOsError(const std::string& what, const std::string& path, int error) {
    throw VectorFileError(what + " '" + path + "': " + std::strerror(error));
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string joinPath(const std::string& dir, std::string_view name) {
    if (!dir.empty() && dir.back() == '/') return dir + std::string(name);
    return dir + "/" + std::string(name);
}

// Entry names in the order the file system lists them, "." and ".." included.
std::vector<std::string> listDirectory(const std::string& dir) {
    std::unique_ptr<DIR, DirCloser> handle(::opendir(dir.c_str()));
    if (!handle) throwOsError("cannot list vector directory", dir, errno);
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(handle.get());
        if (entry == nullptr) {
            if (errno != 0) throwOsError("cannot list vector directory", dir, errno);
            return names;
        }
        names.emplace_back(entry->d_name);
    }
}

bool isNonDirectory(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

// Opens a vector file for reading and refuses anything but a regular file
// (after following links): a device or a FIFO could be read forever. The type
// is checked on the open descriptor, so it is the entry actually read.
// O_NONBLOCK keeps a FIFO without a writer from blocking the open.
FileDescriptor openRegularFile(const std::string& path, off_t& size) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) throwOsError("cannot open vector file", path, errno);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) throwOsError("cannot open vector file", path, errno);
    if (!S_ISREG(status.st_mode)) throw VectorFileError("vector file '" + path + "' is not a regular file");
    size = status.st_size;
    return fd;
}

// Parses a regular file while reading it, so that its text is never held
// whole. Reads at most the size the file had when it was opened, so a file
// that keeps growing is not followed.
std::vector<Category> readAndParse(const std::string& path, std::string_view recordKey, RecordSink sink,
                                   std::vector<std::vector<std::size_t>>* recordLines = nullptr) {
    off_t size = 0;
    const FileDescriptor fd = openRegularFile(path, size);
    CategoryStream stream(recordKey, std::move(sink));
    std::vector<char> buffer(1 << 20);
    for (auto left = static_cast<std::size_t>(size); left > 0;) {
        const ssize_t got = ::read(fd.get(), buffer.data(), std::min(buffer.size(), left));
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throwOsError("cannot read vector file", path, errno);
        }
        const auto count = static_cast<std::size_t>(got);
        stream.feed(std::string_view(buffer.data(), count));
        left -= count;
    }
    return std::move(stream).finish(recordLines);
}

// Every path to read, chosen before any file is opened.
std::vector<std::string> keptPaths(std::string_view familyDir,
                                   const std::function<bool(std::string_view fileName)>& keep) {
    const std::string dir = vectorDirectoryPath(familyDir);
    std::vector<std::string> paths;
    for (const auto& name : listDirectory(dir)) {
        std::string path = joinPath(dir, name);
        if (!isNonDirectory(path)) continue;
        if (keep && !keep(name)) continue;
        paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace

std::vector<LoadedFile> loadVectorDirectory(std::string_view familyDir, std::string_view recordKey,
                                            const std::function<bool(std::string_view fileName)>& keep) {
    std::vector<LoadedFile> files;
    for (auto& path : keptPaths(familyDir, keep)) {
        LoadedFile file{std::move(path), {}, {}};
        file.categories = readAndParse(file.path, recordKey, {}, &file.recordLines);
        files.push_back(std::move(file));
    }
    return files;
}

void forEachVectorRecord(std::string_view familyDir, std::string_view recordKey,
                         const std::function<bool(std::string_view fileName)>& keep, const VectorRecordSink& onRecord,
                         VectorUsage& usage) {
    for (const auto& path : keptPaths(familyDir, keep)) {
        usage.addFile(0);
        readAndParse(path, recordKey, [&](const std::vector<Property>& properties, Record&& record, std::size_t line) {
            usage.addRecords(1);
            onRecord(path, line, properties, std::move(record));
        });
    }
}

std::string readVectorFileText(const std::string& path) {
    off_t size = 0;
    const FileDescriptor fd = openRegularFile(path, size);
    std::string text(static_cast<std::size_t>(size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t got = ::read(fd.get(), text.data() + done, text.size() - done);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throwOsError("cannot read vector file", path, errno);
        }
        done += static_cast<std::size_t>(got);
    }
    text.resize(done);
    return text;
}

std::string vectorDirectoryPath(std::string_view familyDir) {
    return Paths_zelkor_tests::getDataFileName("Test/" + std::string(familyDir));
}

std::size_t LoadedFile::recordCount() const {
    std::size_t n = 0;
    for (const auto& category : categories) n += category.records.size();
    return n;
}

CaseOrigin LoadedFile::origin(std::size_t c, std::size_t r, std::shared_ptr<const VectorUsage> usage) const {
    const std::size_t line = c < recordLines.size() && r < recordLines[c].size() ? recordLines[c][r] : 0;
    return lineOrigin(path, line, std::move(usage));
}

std::string_view fileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view baseNameOf(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
}

}  // namespace zelkor::tests::detail
