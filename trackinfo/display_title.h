// The title the window caption, the taskbar and the tray tip show for the current track.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "trackinfo/format_table.h"
#include "trackinfo/tag_text.h"
#include "trackinfo/track_source.h"

// Shown when no track is current, or when the current entry is gone and no tag names it.
inline constexpr std::string_view ProductTitle = "Vyn Player";

// Computed afresh on every call from the tags or module name of the open channel, else from
// the entry's file name. Never throws: an index past the end of `entries` (entries removed
// while playing) gives ProductTitle when no tag gave a title. Text stays bytes.
std::string GetSongTitle(FormatCode currentFormat, int currentTrack,
                         const std::vector<std::string>& entries, const TrackSource& source);
// The same title from `tags` already read with GetSongTags for the open channel.
std::string ComposeSongTitle(FormatCode currentFormat, int currentTrack,
                             const std::vector<std::string>& entries, ArtistTitle tags);

// Artist and title apart, from the same tags the title above is made of (a module's name is
// its title); both empty when the channel's tags name neither.
ArtistTitle GetSongTags(FormatCode currentFormat, const TrackSource& source);

// The file name (after the last '/') without its extension when that extension is the one
// of `code`; otherwise the whole file name. A leading dot never starts an extension.
std::string TitleFromFileName(FormatCode code, std::string_view path);
