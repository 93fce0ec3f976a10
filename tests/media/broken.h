// Bad input for the decoders and parsers: they must give a clear error and never crash.
#pragma once

#include <cstdint>
#include <filesystem>

namespace media {

// A copy of source holding only its first `bytes` bytes (all of them if it is shorter).
std::filesystem::path WriteTruncatedCopy(const std::filesystem::path& source,
                                         const std::filesystem::path& target, std::uintmax_t bytes);

// `size` pseudo-random bytes, the same for the same seed.
std::filesystem::path WriteRandomBytes(const std::filesystem::path& path, std::size_t size,
                                       std::uint32_t seed = 1);

// A file of 0 bytes.
std::filesystem::path WriteEmptyFile(const std::filesystem::path& path);

// An exact copy of source under another name, e.g. WAV data named .mp3.
std::filesystem::path WriteRenamedCopy(const std::filesystem::path& source,
                                       const std::filesystem::path& target);

}  // namespace media
