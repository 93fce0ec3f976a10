#include "trackinfo/track_tags.h"

#include <cstring>

#include "engine/bass.h"
#include "trackinfo/id3v1_reader.h"
#include "trackinfo/id3v2_reader.h"
#include "trackinfo/vorbis_comment_reader.h"

namespace {
constexpr size_t Id3v1BlockSize = 128;

const std::uint8_t* Bytes(const char* data) {
    return reinterpret_cast<const std::uint8_t*>(data);
}
}  // namespace

TagBytes Id3v1Block(const char* data) {
    if (data == nullptr) return {};
    return {Bytes(data), Id3v1BlockSize};
}

TagBytes Id3v2Block(const char* data) {
    if (data == nullptr) return {};
    const TagBytes header(Bytes(data), Id3v2HeaderSize);
    return {Bytes(data), static_cast<size_t>(Id3v2TagLength(header))};
}

TagBytes VorbisCommentBlock(const char* data) {
    if (data == nullptr) return {};
    size_t length = 0;
    // Step over each text and its NUL until a text is empty; that empty text ends the list.
    while (data[length] != '\0') length += std::strlen(data + length) + 1;
    return {Bytes(data), length + 1};
}

std::string ReadId3v1Title(const TrackSource& source) {
    return ReadId3v1Title(Id3v1Block(source.StreamTags(BASS_TAG_ID3)));
}

std::string ReadId3v2Title(const TrackSource& source) {
    return ReadId3v2Title(Id3v2Block(source.StreamTags(BASS_TAG_ID3V2)));
}

std::string ReadVorbisTitle(const TrackSource& source) {
    return ReadVorbisTitle(VorbisCommentBlock(source.StreamTags(BASS_TAG_OGG)));
}

ArtistTitle ReadId3v1ArtistTitle(const TrackSource& source) {
    return ReadId3v1ArtistTitle(Id3v1Block(source.StreamTags(BASS_TAG_ID3)));
}

ArtistTitle ReadId3v2ArtistTitle(const TrackSource& source) {
    return ReadId3v2ArtistTitle(Id3v2Block(source.StreamTags(BASS_TAG_ID3V2)));
}

ArtistTitle ReadVorbisArtistTitle(const TrackSource& source) {
    return ReadVorbisArtistTitle(VorbisCommentBlock(source.StreamTags(BASS_TAG_OGG)));
}

std::string ReadModuleTitle(const TrackSource& source) {
    const char* name = source.MusicName();
    if (name == nullptr) return {};
    return std::string(TrimText(name));
}
