#include "engine/buffered_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "engine/engine_error.h"

namespace engine {
namespace {
constexpr std::size_t kBufferBytes = 64 * 1024;
}

BufferedFile::BufferedFile(const std::string& path, off_t start, off_t length)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)), start_(start), buffer_(kBufferBytes) {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        if (fd_ >= 0) ::close(fd_);
        Fail(BASS_ERROR_FILEOPEN);
    }
    size_ = std::max<off_t>(0, st.st_size - start);
    if (length >= 0) size_ = std::min(size_, length);
}

BufferedFile::~BufferedFile() {
    ::close(fd_);
}

ssize_t BufferedFile::read(void* out, std::size_t count) {
    count = position_ < size_ ? std::min(count, static_cast<std::size_t>(size_ - position_)) : 0;
    auto* dst = static_cast<unsigned char*>(out);
    std::size_t done = 0;
    while (done < count) {
        const off_t inBuffer = position_ - bufferStart_;
        if (inBuffer >= 0 && static_cast<std::size_t>(inBuffer) < bufferFill_) {
            const std::size_t n =
                std::min(count - done, bufferFill_ - static_cast<std::size_t>(inBuffer));
            std::memcpy(dst + done, buffer_.data() + inBuffer, n);
            done += n;
            position_ += static_cast<off_t>(n);
            continue;
        }
        // Large reads go straight to the caller; small ones refill the buffer.
        if (count - done >= buffer_.size()) {
            const ssize_t n = ::pread(fd_, dst + done, count - done, start_ + position_);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
            position_ += n;
            continue;
        }
        const ssize_t n = ::pread(fd_, buffer_.data(), buffer_.size(), start_ + position_);
        if (n <= 0) {
            bufferFill_ = 0;
            break;
        }
        bufferStart_ = position_;
        bufferFill_ = static_cast<std::size_t>(n);
    }
    return done > 0 || count == 0 ? static_cast<ssize_t>(done) : 0;
}

off_t BufferedFile::seek(off_t offset, int whence) {
    off_t target = whence == SEEK_SET   ? offset
                   : whence == SEEK_CUR ? position_ + offset
                   : whence == SEEK_END ? size_ + offset
                                        : -1;
    if (target < 0) return -1;
    position_ = target;
    return position_;
}

}  // namespace engine
