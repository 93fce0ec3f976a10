// The song every module writer encodes, in format-neutral terms.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/media/modules.h"

namespace media {

inline constexpr int kModuleChannels = 4;
inline constexpr int kPatternRows = 64;

// Checks the spec's ranges; throws std::invalid_argument.
void CheckModuleSpec(const ModuleSpec& spec);

// The sine sample as signed 8-bit values.
std::vector<std::int8_t> SineSample();

// Row of the pattern break, or -1 when the whole pattern plays.
inline int BreakRow(const ModuleSpec& spec) {
    return spec.rowsPerOrder < kPatternRows ? spec.rowsPerOrder - 1 : -1;
}

}  // namespace media

namespace media {
// Writes bytes to path and describes them.
ModuleFile WriteModuleFile(const std::filesystem::path& path, const Bytes& bytes,
                           const ModuleSpec& spec, const std::string& type, std::size_t titleWidth);
}  // namespace media
