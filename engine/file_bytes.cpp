#include "engine/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/engine_error.h"

namespace engine {
namespace {

class Fd {
  public:
    explicit Fd(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

Bytes ReadFileBytes(const std::string& path, std::uint64_t offset, std::size_t count) {
    Fd fd(path);
    Bytes bytes(count);
    std::size_t got = 0;
    while (fd.get() >= 0 && got < count) {
        ssize_t n = ::pread(fd.get(), bytes.data() + got, count - got, offset + got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

std::uint64_t FileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

void RequireReadableFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) Fail(BASS_ERROR_FILEOPEN);
    if (::access(path.c_str(), R_OK) != 0) Fail(BASS_ERROR_FILEOPEN);
}

}  // namespace engine
