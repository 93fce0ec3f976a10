#include "trackinfo/display_title.h"

#include <algorithm>
#include <utility>

#include "trackinfo/tag_text.h"
#include "trackinfo/track_tags.h"

ArtistTitle GetSongTags(FormatCode currentFormat, const TrackSource& source) {
    const FormatRow* row = FindFormat(currentFormat);
    if (!row) return {};
    switch (row->title) {
        case TitleSource::Id3: {
            ArtistTitle tags = ReadId3v2ArtistTitle(source);
            // ID3v1 is asked only when ID3v2 gave neither artist nor title.
            if (tags.artist.empty() && tags.title.empty()) tags = ReadId3v1ArtistTitle(source);
            return tags;
        }
        case TitleSource::VorbisComments:
            return ReadVorbisArtistTitle(source);
        case TitleSource::None:
            return {};
        case TitleSource::ModuleName:
            return {{}, ReadModuleTitle(source)};
    }
    return {};
}

std::string GetSongTitle(FormatCode currentFormat, int currentTrack,
                         const std::vector<std::string>& entries, const TrackSource& source) {
    return ComposeSongTitle(currentFormat, currentTrack, entries,
                            GetSongTags(currentFormat, source));
}

std::string ComposeSongTitle(FormatCode currentFormat, int currentTrack,
                             const std::vector<std::string>& entries, ArtistTitle tags) {
    if (currentFormat == 0 || currentTrack < 0) return std::string(ProductTitle);
    std::string title = JoinArtistTitle(std::move(tags.artist), std::move(tags.title));
    if (!title.empty()) return title;
    const auto index = static_cast<size_t>(currentTrack);
    if (index >= entries.size()) return std::string(ProductTitle);
    return TitleFromFileName(currentFormat, entries[index]);
}

std::string TitleFromFileName(FormatCode code, std::string_view path) {
    const std::string_view fileName = path.substr(path.find_last_of('/') + 1);
    const std::string_view trimmed = TrimText(fileName);
    // The trimmed copy's first character is never taken as the dot.
    const size_t dot = trimmed.size() > 1 ? trimmed.find_last_of('.') : std::string_view::npos;
    const FormatRow* row = FindFormat(code);
    if (dot == std::string_view::npos || dot == 0 || !row) return std::string(fileName);
    if (!EqualsUpperCased(trimmed.substr(dot), row->extension)) return std::string(fileName);
    // Everything before the dot stays, leading blanks included; trailing blanks go with it.
    const size_t dotInName = static_cast<size_t>(trimmed.data() - fileName.data()) + dot;
    return std::string(fileName.substr(0, dotInName));
}
