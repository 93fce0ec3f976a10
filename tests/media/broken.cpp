#include "tests/media/broken.h"

#include <algorithm>
#include <random>

#include "tests/media/bytes.h"

namespace media {

std::filesystem::path WriteTruncatedCopy(const std::filesystem::path& source,
                                         const std::filesystem::path& target,
                                         std::uintmax_t bytes) {
    Bytes content = ReadFileBytes(source);
    content.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(bytes, content.size())));
    WriteFileBytes(target, content);
    return target;
}

std::filesystem::path WriteRandomBytes(const std::filesystem::path& path, std::size_t size,
                                       std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes content(size);
    for (auto& byte : content) byte = static_cast<std::uint8_t>(random() >> 24);
    WriteFileBytes(path, content);
    return path;
}

std::filesystem::path WriteEmptyFile(const std::filesystem::path& path) {
    WriteFileBytes(path, {});
    return path;
}

std::filesystem::path WriteRenamedCopy(const std::filesystem::path& source,
                                       const std::filesystem::path& target) {
    WriteFileBytes(target, ReadFileBytes(source));
    return target;
}

}  // namespace media
