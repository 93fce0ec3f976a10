// A read-only file with a large read buffer, for libraries that otherwise issue a system
// call per frame header (libmpg123 scanning a file reads 4 bytes and seeks per frame).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace engine {

class BufferedFile {
  public:
    // Throws EngineError 2 when the file can't be opened.
    explicit BufferedFile(const std::string& path);
    ~BufferedFile();
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    // read(2) and lseek(2) semantics on the file's bytes.
    ssize_t read(void* out, std::size_t count);
    off_t seek(off_t offset, int whence);

  private:
    int fd_ = -1;
    off_t size_ = 0;
    off_t position_ = 0;
    std::vector<unsigned char> buffer_;
    off_t bufferStart_ = 0;
    std::size_t bufferFill_ = 0;
};

}  // namespace engine
