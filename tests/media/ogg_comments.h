// Rewrites the comment header of an Ogg Vorbis file with entries exactly as given: the
// encoders refuse entries without '=', which readers must still cope with.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/media/bytes.h"

namespace media {

// Replaces the Vorbis comment list of the file's (single) logical stream; the vendor text,
// the audio and the other headers stay. Entries are written unchanged, any bytes allowed.
// Throws std::runtime_error when the file is not Ogg Vorbis as oggenc writes it.
void ReplaceVorbisComments(const std::filesystem::path& path,
                           const std::vector<std::string>& entries);

// The Ogg page checksum: CRC-32 with polynomial 0x04C11DB7, no reflection, initial 0.
std::uint32_t OggCrc(const std::uint8_t* data, std::size_t size);

}  // namespace media
