// The 128-byte ID3v1 block at the end of an MPEG file.
#pragma once

#include "trackinfo/tag_text.h"

// "artist - title" from the 30-byte title (offset 3) and artist (offset 33) fields. The block's
// first three bytes are not checked. Fields are cut where a shorter block ends.
std::string ReadId3v1Title(TagBytes block);
// The two fields apart, each cut and trimmed.
ArtistTitle ReadId3v1ArtistTitle(TagBytes block);
