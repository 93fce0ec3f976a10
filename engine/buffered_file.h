// A read-only file with a large read buffer, for libraries that otherwise issue a system
// call per frame header (libmpg123 scanning a file reads 4 bytes and seeks per frame).
// It may show only a window of the file, which then looks like a whole file of its own: a
// decoder sees neither the tags in front of the audio nor a broken tail cut off behind it.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace engine {

class BufferedFile {
  public:
    // The bytes from `start` on, at most `length` of them. Throws EngineError 2 when the
    // file can't be opened.
    explicit BufferedFile(const std::string& path, off_t start = 0, off_t length = -1);
    ~BufferedFile();
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    // read(2) and lseek(2) semantics on the file's bytes.
    ssize_t read(void* out, std::size_t count);
    off_t seek(off_t offset, int whence);
    off_t position() const { return position_; }
    off_t size() const { return size_; }

  private:
    int fd_ = -1;
    off_t start_ = 0;
    off_t size_ = 0;
    off_t position_ = 0;
    std::vector<unsigned char> buffer_;
    off_t bufferStart_ = 0;
    std::size_t bufferFill_ = 0;
};

}  // namespace engine
