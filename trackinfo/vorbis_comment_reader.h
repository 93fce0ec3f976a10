// Artist and title from Ogg Vorbis comments.
#pragma once

#include "trackinfo/tag_text.h"

// The block is a series of NUL-terminated key=value texts ended by an empty text. Keys are
// compared upper-cased with ARTIST and TITLE; the last non-empty value of each wins and is
// trimmed after the scan. An entry without '=' or starting with '=' ends the scan, as does
// an entry that the block ends before its NUL.
std::string ReadVorbisTitle(TagBytes block);
// The same scan, the two values apart.
ArtistTitle ReadVorbisArtistTitle(TagBytes block);
