// Byte-string helpers the tag readers share. Tag text is kept as the bytes it was stored in.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

using TagBytes = std::span<const std::uint8_t>;

struct ArtistTitle {
    std::string artist;
    std::string title;
};

// Removes every byte of 0x20 or less from both ends; bytes of 0x80 and above are text.
std::string_view TrimText(std::string_view text);

// A fixed field or frame text: cut at its first NUL, then trimmed.
std::string FieldText(TagBytes field);

// "artist - title", or whichever of the two is not empty; the texts are joined unchanged.
std::string JoinArtistTitle(std::string artist, std::string title);
