#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "zelkor/tests/Paths_zelkor_tests.hpp"
#include "zelkor/tests/detail/formats/CategoryStream.hpp"
#include "zelkor/tests/detail/formats/CategoryViews.hpp"
#include "zelkor/tests/detail/formats/VectorFileViews.hpp"

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

bool isSymbolicLink(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

// An entry named like a vector file whose status cannot be read: a broken
// installation, which must not lose its vectors without a sign.
[[noreturn]] void throwUnreadableStatus(const std::string& path, int error) {
    if (isSymbolicLink(path)) {
        const char* kind = error == ELOOP ? "a symbolic link loop" : "a dangling symbolic link";
        throw VectorFileError("vector file '" + path + "' is " + kind + " (" + std::strerror(error) + ")");
    }
    throwOsError("cannot read the status of vector file", path, error);
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

// Refuses a field given twice in one record, unless its name is repeatable:
// keeping either value silently could test against the wrong one.
RepeatedFieldHandler refuseRepeats(const std::string& path, const std::vector<std::string_view>& repeatable) {
    return [&path, &repeatable](const Field& field, std::size_t line) {
        if (std::find(repeatable.begin(), repeatable.end(), field.name) != repeatable.end()) return;
        throw VectorParseError("vector file '" + path + "' line " + std::to_string(line) + ": field '" + field.name +
                               "' given twice in one record");
    };
}

// Refuses a line that is not name=value in a file that holds records: read
// as the grammar reads it, such a line would drop a header or a record, or
// join the record before it, and the fault would surface far from its line.
MalformedLineHandler refuseMalformedLines(const std::string& path) {
    return [&path](std::size_t line, const std::string& what) {
        throw VectorParseError("vector file '" + path + "' line " + std::to_string(line) + ": " + what);
    };
}

// The UTF-8 encoding of U+FEFF, which some editors write at the start of a
// text file; it belongs to no line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Parses a regular file while reading it, so that its text is never held
// whole. Reads at most the size the file had when it was opened, so a file
// that keeps growing is not followed.
std::vector<Category> readAndParse(const std::string& path, std::string_view recordKey, RecordSink sink,
                                   const std::vector<std::string_view>& repeatable,
                                   std::vector<std::vector<std::size_t>>* recordLines = nullptr) {
    off_t size = 0;
    const FileDescriptor fd = openRegularFile(path, size);
    CategoryStream stream(recordKey, std::move(sink), refuseRepeats(path, repeatable), refuseMalformedLines(path));
    std::vector<char> buffer(1 << 20);
    // Until the first three bytes are seen: the start of the file, to compare
    // with the byte-order mark as a whole.
    std::string start;
    bool started = false;
    for (auto left = static_cast<std::size_t>(size); left > 0;) {
        const ssize_t got = ::read(fd.get(), buffer.data(), std::min(buffer.size(), left));
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throwOsError("cannot read vector file", path, errno);
        }
        const auto count = static_cast<std::size_t>(got);
        left -= count;
        std::string_view text(buffer.data(), count);
        if (!started) {
            const std::size_t taken = std::min(kByteOrderMark.size() - start.size(), text.size());
            start.append(text.substr(0, taken));
            text.remove_prefix(taken);
            if (start.size() < kByteOrderMark.size() && left > 0) continue;
            started = true;
            if (start != kByteOrderMark) stream.feed(start);
        }
        stream.feed(text);
    }
    if (!started && start != kByteOrderMark) stream.feed(start);
    return std::move(stream).finish(recordLines);
}

// Every path to read, chosen before any file is opened.
std::vector<std::string> keptPaths(std::string_view familyDir,
                                   const std::function<bool(std::string_view fileName)>& keep) {
    const std::string dir = vectorDirectoryPath(familyDir);
    std::vector<std::string> paths;
    for (const auto& name : listDirectory(dir)) {
        std::string path = joinPath(dir, name);
        struct stat status {};
        if (::stat(path.c_str(), &status) != 0) {
            const int error = errno;
            if (keep && !keep(name)) continue;
            throwUnreadableStatus(path, error);
        }
        if (S_ISDIR(status.st_mode)) continue;
        if (keep && !keep(name)) continue;
        paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace

std::vector<LoadedFile> loadVectorDirectory(std::string_view familyDir, std::string_view recordKey,
                                            const std::function<bool(std::string_view fileName)>& keep,
                                            const std::vector<std::string_view>& repeatable) {
    std::vector<LoadedFile> files;
    const auto own = [&files](ViewedFile&& viewed) {
        LoadedFile file{std::move(viewed.path), {}, {}};
        for (const CategoryView& view : viewed.categories) {
            file.categories.push_back(toCategory(view));
            auto& lines = file.recordLines.emplace_back();
            for (const auto& record : view.records) lines.push_back(record.line);
        }
        files.push_back(std::move(file));
    };
    forEachVectorFileView(familyDir, recordKey, keep, own, repeatable);
    return files;
}

ViewedFile readVectorFileViews(const std::string& path, std::string_view recordKey,
                               const std::vector<std::string_view>& repeatable) {
    auto text = std::make_shared<VectorText>();
    text->bytes = readVectorFileText(path);
    std::string_view bytes = text->bytes;
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    const RepeatedFieldHandler refuse = refuseRepeats(path, repeatable);
    const RepeatedNameHandler onRepeat = [&refuse](std::string_view name, std::size_t line) {
        refuse(Field{std::string(name), {}}, line);
    };
    ViewedFile file{path, nullptr, parseCategoryViews(recordKey, bytes, text->rewritten, onRepeat,
                                                      refuseMalformedLines(path))};
    file.text = std::move(text);
    return file;
}

void forEachVectorFileView(std::string_view familyDir, std::string_view recordKey,
                           const std::function<bool(std::string_view fileName)>& keep,
                           const std::function<void(ViewedFile&& file)>& onFile,
                           const std::vector<std::string_view>& repeatable) {
    for (const auto& path : keptPaths(familyDir, keep)) onFile(readVectorFileViews(path, recordKey, repeatable));
}

std::size_t ViewedFile::recordCount() const {
    std::size_t n = 0;
    for (const auto& category : categories) n += category.records.size();
    return n;
}

CaseOrigin ViewedFile::origin(std::size_t c, std::size_t r, std::shared_ptr<const VectorUsage> usage) const {
    return lineOrigin(path, categories.at(c).records.at(r).line, std::move(usage));
}

void forEachVectorRecord(std::string_view familyDir, std::string_view recordKey,
                         const std::function<bool(std::string_view fileName)>& keep, const VectorRecordSink& onRecord,
                         VectorUsage& usage) {
    for (const auto& path : keptPaths(familyDir, keep)) {
        usage.addFile(0);
        readAndParse(
            path, recordKey,
            [&](const std::vector<Property>& properties, Record&& record, std::size_t line) {
                usage.addRecords(1);
                onRecord(path, line, properties, std::move(record));
            },
            {});
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
