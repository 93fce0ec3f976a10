#include "trackinfo/id3v1_reader.h"

#include <algorithm>
#include <utility>

namespace {
constexpr size_t FieldWidth = 30;
constexpr size_t TitleOffset = 3;
constexpr size_t ArtistOffset = 33;

TagBytes Field(TagBytes block, size_t offset) {
    if (offset >= block.size()) return {};
    return block.subspan(offset, std::min(FieldWidth, block.size() - offset));
}
}  // namespace

ArtistTitle ReadId3v1ArtistTitle(TagBytes block) {
    return {FieldText(Field(block, ArtistOffset)), FieldText(Field(block, TitleOffset))};
}

std::string ReadId3v1Title(TagBytes block) {
    ArtistTitle found = ReadId3v1ArtistTitle(block);
    return JoinArtistTitle(std::move(found.artist), std::move(found.title));
}
