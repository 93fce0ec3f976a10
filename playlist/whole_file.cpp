#include "playlist/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <random>
#include <utility>

#include "platform/exceptions.h"
#include "playlist/entry_path.h"

namespace {
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
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

// Where the bytes must land: the name a chain of symbolic links ends at, dangling or not, so
// that the links stay links. Gives up after as many hops as the kernel allows; opening the
// last name then reports the loop.
std::string LinkTarget(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<size_t>(length) == target.size()) break;
        target.resize(static_cast<size_t>(length));
        path = target.starts_with('/') ? target : JoinFolderAndName(FolderOf(path), target);
    }
    return path;
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

// Refusals that mean "not this way": the folder is closed to new files, or the new file
// can't take the old one's owner. Writing into the old file may still be allowed.
bool OnlyInPlaceIsAllowed(int errnoCode) {
    return errnoCode == EACCES || errnoCode == EPERM || errnoCode == EROFS;
}

// The safe way: the bytes go to a new file beside the target, reach the disk, and only then
// take the old file's place, so a failure leaves the old file whole. False, with nothing
// changed, when this way is closed and the file must be written in place instead.
bool ReplaceByRename(const std::string& path, const std::string& target, std::string_view bytes,
                     const struct stat* old) {
    std::string temporaryPath;
    FileDescriptor fd = CreateTemporaryBeside(target, temporaryPath);
    if (!fd) {
        if (OnlyInPlaceIsAllowed(errno)) return false;
        throw EFileError::CannotCreate(path, errno);
    }
    TemporaryName temporary(temporaryPath);
    // The replacement keeps the old file's owner and mode, or it does not replace it: a
    // list shared through its group must stay shared.
    if (old != nullptr && (::fchown(fd.get(), old->st_uid, old->st_gid) != 0 ||
                           ::fchmod(fd.get(), old->st_mode & 07777) != 0))
        return false;
    if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || fd.Close() != 0)
        throw EFileError::CannotCreate(path, errno);
    if (::rename(temporary.path().c_str(), target.c_str()) != 0) {
        if (OnlyInPlaceIsAllowed(errno)) return false;
        throw EFileError::CannotCreate(path, errno);
    }
    temporary.Keep();
    SyncFolderOf(target);
    return true;
}

// Like QSaveFile's direct-write fallback: the file itself takes the new bytes, so its links,
// owner and permissions stay; a failure part way can't be undone. The old bytes are
// overwritten before the rest is cut off, so a list no longer than before needs no new space.
void WriteInPlace(const std::string& path, FileDescriptor& fd, std::string_view bytes) {
    struct stat info {};
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        ::fstat(fd.get(), &info) != 0 || !WriteAll(fd.get(), bytes))
        throw EFileError::CannotCreate(path, errno);
    // Only a regular file has a length to cut and data to sync; a device just takes the bytes.
    if (S_ISREG(info.st_mode) &&
        (::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd.get()) != 0))
        throw EFileError::CannotCreate(path, errno);
    if (fd.Close() != 0) throw EFileError::CannotCreate(path, errno);
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
    const std::string target = LinkTarget(path);
    // Opening the old file first gives the refusal an in-place write would meet (a read-only
    // file, a folder of that name) before anything is touched. O_NONBLOCK: a pipe without a
    // reader fails instead of hanging.
    FileDescriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd && errno != ENOENT) throw EFileError::CannotCreate(path, errno);
    struct stat old {};
    if (fd && ::fstat(fd.get(), &old) != 0) throw EFileError::CannotCreate(path, errno);

    // A new name takes the place of a file only when nothing else shares that file: another
    // hard link would keep the old content, and devices or pipes are no files to replace.
    const bool renameIsSafe = !fd || (S_ISREG(old.st_mode) && old.st_nlink == 1);
    if (renameIsSafe && ReplaceByRename(path, target, bytes, fd ? &old : nullptr)) return;

    if (!fd) fd = FileDescriptor(::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    if (!fd) throw EFileError::CannotCreate(path, errno);
    WriteInPlace(path, fd, bytes);
}
