// Small helpers to look at a file's raw bytes without decoding it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

using Bytes = std::vector<std::uint8_t>;

// Up to `count` bytes from `offset`; fewer when the file is shorter.
Bytes ReadFileBytes(const std::string& path, std::uint64_t offset, std::size_t count);
std::uint64_t FileSize(const std::string& path);

// Throws EngineError 2 unless path names a regular file we may read.
void RequireReadableFile(const std::string& path);

}  // namespace engine
