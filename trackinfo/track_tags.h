// The tag readers over the open channel. The engine hands out tag blocks without a length;
// each block's extent is found from its own layout before any reader looks at it.
#pragma once

#include <string>

#include "trackinfo/tag_text.h"
#include "trackinfo/track_source.h"

// Kind 0: always the 128-byte block.
TagBytes Id3v1Block(const char* data);
// Kind 1: the 10-byte header and the size it states (the engine holds at least that much).
TagBytes Id3v2Block(const char* data);
// Kind 2: the texts up to and including the empty text that ends the list.
TagBytes VorbisCommentBlock(const char* data);

// Each returns an empty text when the channel has no tag of its kind.
std::string ReadId3v1Title(const TrackSource& source);
std::string ReadId3v2Title(const TrackSource& source);
std::string ReadVorbisTitle(const TrackSource& source);
// The same tags with artist and title apart.
ArtistTitle ReadId3v1ArtistTitle(const TrackSource& source);
ArtistTitle ReadId3v2ArtistTitle(const TrackSource& source);
ArtistTitle ReadVorbisArtistTitle(const TrackSource& source);

// The module's own name, trimmed; empty when it has none.
std::string ReadModuleTitle(const TrackSource& source);
