// Artist and title from the TPE1 and TIT2 frames of an ID3v2.3 or ID3v2.4 tag.
#pragma once

#include <cstdint>
#include <span>

#include "trackinfo/tag_text.h"

inline constexpr std::uint64_t Id3v2HeaderSize = 10;

// b0 b1 b2 b3, most significant first.
std::uint32_t BigEndianToInt(std::span<const std::uint8_t, 4> bytes);

// Syncsafe integer: seven bits from each of the last three bytes. The first byte counts whole,
// so the value lies in 0 .. 2^29 - 1.
std::uint32_t SyncsafeToInt(std::span<const std::uint8_t, 4> bytes);

// Header plus the size the header states (extended header, frames, padding; a version-4
// footer lies after it). 0 when the block is too short to hold the header.
std::uint64_t Id3v2TagLength(TagBytes block);

// "artist - title" of a block that begins with the tag header. Major versions 3 and 4 only;
// only frames with text encoding 0 (ISO-8859-1) are taken. The walk never reads past the
// end the header states, nor past the block's own end where the block is shorter.
std::string ReadId3v2Title(TagBytes block);
// The same two frames apart; both empty for any other version.
ArtistTitle ReadId3v2ArtistTitle(TagBytes block);

// The frame walks of the two versions; the later frame of an identifier wins.
void ReadId3v23Frames(TagBytes block, ArtistTitle& found);
void ReadId3v24Frames(TagBytes block, ArtistTitle& found);

// Keeps the text of a TPE1 (artist) or TIT2 (title) frame, cut at its first NUL and trimmed.
void TakeTextFrame(std::span<const std::uint8_t, 4> identifier, TagBytes text, ArtistTitle& found);
