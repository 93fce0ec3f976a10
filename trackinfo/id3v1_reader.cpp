#include "trackinfo/id3v1_reader.h"

#include <algorithm>

namespace {
constexpr size_t FieldWidth = 30;
constexpr size_t TitleOffset = 3;
constexpr size_t ArtistOffset = 33;

TagBytes Field(TagBytes block, size_t offset) {
    if (offset >= block.size()) return {};
    return block.subspan(offset, std::min(FieldWidth, block.size() - offset));
}
}  // namespace

std::string ReadId3v1Title(TagBytes block) {
    const std::string artist = FieldText(Field(block, ArtistOffset));
    const std::string title = FieldText(Field(block, TitleOffset));
    return JoinArtistTitle(artist, title);
}
