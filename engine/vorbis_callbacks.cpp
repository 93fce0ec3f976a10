#include "engine/vorbis_callbacks.h"

#include "engine/buffered_file.h"

namespace engine {
namespace {

size_t Read(void* out, size_t size, size_t count, void* file) {
    if (size == 0) return 0;
    const ssize_t n = static_cast<BufferedFile*>(file)->read(out, size * count);
    return n > 0 ? static_cast<size_t>(n) / size : 0;
}
int Seek(void* file, ogg_int64_t offset, int whence) {
    return static_cast<BufferedFile*>(file)->seek(static_cast<off_t>(offset), whence) < 0 ? -1 : 0;
}
long Tell(void* file) {
    return static_cast<long>(static_cast<BufferedFile*>(file)->position());
}

}  // namespace

ov_callbacks BufferedFileOggCallbacks() {
    return {Read, Seek, nullptr, Tell};
}

}  // namespace engine
