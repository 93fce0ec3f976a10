#include "playlist/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>
#include <utility>

#include "platform/exceptions.h"
#include "playlist/entry_path.h"

namespace {
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    ~FileDescriptor() { Close(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closing is where some file systems report a failed write, so its result matters.
    int Close() {
        if (fd_ < 0) return 0;
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

// Unlinks the temporary file unless it was renamed into place.
class TemporaryName {
  public:
    explicit TemporaryName(std::string path) : path_(std::move(path)) {}
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    ~TemporaryName() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    const std::string& path() const { return path_; }
    void Keep() { path_.clear(); }

  private:
    std::string path_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Where the bytes must land: the file a symbolic link leads to, else the path itself.
std::string ResolvedTarget(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

std::string RandomSuffix() {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string suffix;
    for (uint64_t bits = generator(), i = 0; i < 12; ++i, bits >>= 4) suffix += kDigits[bits & 15];
    return suffix;
}

// A new, empty, hidden file beside the target; created with mode 0666 so the umask applies.
FileDescriptor CreateTemporaryBeside(const std::string& target, std::string& name) {
    const std::string folder(FolderOf(target));
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = JoinFolderAndName(folder, ".vyn-save-" + RandomSuffix() + ".tmp");
        FileDescriptor fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd || errno != EEXIST) return fd;
    }
    return FileDescriptor(-1);
}

void SyncFolderOf(const std::string& path) {
    const std::string folder(FolderOf(path));
    FileDescriptor dir(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) ::fsync(dir.get());  // the rename is done; a folder that can't sync changes nothing
}
}  // namespace

std::string ReadWholeFile(const std::string& path) {
    // O_NONBLOCK: opening a named pipe must not wait for a writer.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd) throw EFileError::CannotOpen(path, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) throw EFileError::CannotOpen(path, errno);
    if (!S_ISREG(info.st_mode))
        throw EFileError::CannotOpen(path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);

    std::string content;
    content.reserve(static_cast<size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw EFileError::CannotOpen(path, errno);
        }
        content.append(chunk, static_cast<size_t>(got));
    }
    return content;
}

void ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::string target = ResolvedTarget(path);
    struct stat old {};
    const bool replacesFile = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);

    std::string temporaryPath;
    FileDescriptor fd = CreateTemporaryBeside(target, temporaryPath);
    if (!fd) throw EFileError::CannotCreate(path, errno);
    TemporaryName temporary(temporaryPath);

    if (replacesFile) {
        // Owner and mode carry over where the system allows it; the content matters more,
        // so a refusal is no failure.
        [[maybe_unused]] const int ownerKept = ::fchown(fd.get(), old.st_uid, old.st_gid);
        ::fchmod(fd.get(), old.st_mode & 07777);
    }
    if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || fd.Close() != 0)
        throw EFileError::CannotCreate(path, errno);
    if (::rename(temporary.path().c_str(), target.c_str()) != 0)
        throw EFileError::CannotCreate(path, errno);
    temporary.Keep();
    SyncFolderOf(target);
}
