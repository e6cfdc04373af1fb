#include "zelkor/tests/detail/VectorDirectory.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "zelkor/tests/Paths_zelkor_tests.hpp"
#include "zelkor/tests/detail/KATLines.hpp"

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

// The whole content of a file, as bytes. O_NONBLOCK keeps a FIFO without a
// writer from blocking the open.
std::string readWholeFile(const std::string& path) {
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) throwOsError("cannot open vector file", path, errno);
    std::string content;
    struct stat status {};
    if (::fstat(fd.get(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        content.reserve(static_cast<std::size_t>(status.st_size));
    }
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0) return content;
        if (got < 0) {
            if (errno == EINTR) continue;
            throwOsError("cannot read vector file", path, errno);
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

std::vector<LoadedFile> loadVectorDirectory(std::string_view familyDir, std::string_view recordKey,
                                            const std::function<bool(std::string_view fileName)>& keep) {
    const std::string dir = vectorDirectoryPath(familyDir);
    // Every kept path is chosen before any file is opened.
    std::vector<std::string> paths;
    for (const auto& name : listDirectory(dir)) {
        std::string path = joinPath(dir, name);
        if (!isNonDirectory(path)) continue;
        if (keep && !keep(name)) continue;
        paths.push_back(std::move(path));
    }
    std::vector<LoadedFile> files;
    files.reserve(paths.size());
    for (auto& path : paths) {
        const std::string text = readWholeFile(path);
        LoadedFile file{std::move(path), {}, {}};
        file.categories = parseCategoriesWithLines(recordKey, text, file.recordLines);
        files.push_back(std::move(file));
    }
    return files;
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
    return CaseOrigin{path, static_cast<int>(line), std::move(usage)};
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
