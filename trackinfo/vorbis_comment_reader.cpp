#include "trackinfo/vorbis_comment_reader.h"

#include <utility>

#include "trackinfo/format_table.h"

ArtistTitle ReadVorbisArtistTitle(TagBytes block) {
    std::string_view rest(reinterpret_cast<const char*>(block.data()), block.size());
    std::string_view artist;
    std::string_view title;
    // The first entry is examined even when it is empty (an empty list then ends at once).
    for (;;) {
        const size_t nul = rest.find('\0');
        if (nul == std::string_view::npos) break;
        const std::string_view entry = rest.substr(0, nul);
        const size_t equals = entry.find('=');
        if (equals == std::string_view::npos || equals == 0) break;
        if (equals + 1 < entry.size()) {
            const std::string_view key = entry.substr(0, equals);
            const std::string_view value = entry.substr(equals + 1);
            if (EqualsUpperCased(key, "ARTIST"))
                artist = value;
            else if (EqualsUpperCased(key, "TITLE"))
                title = value;
        }
        rest.remove_prefix(nul + 1);
        if (rest.empty() || rest.front() == '\0') break;
    }
    return {std::string(TrimText(artist)), std::string(TrimText(title))};
}

std::string ReadVorbisTitle(TagBytes block) {
    ArtistTitle found = ReadVorbisArtistTitle(block);
    return JoinArtistTitle(std::move(found.artist), std::move(found.title));
}
