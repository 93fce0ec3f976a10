// PLS playlists (Winamp, SHOUTcast): an INI-like text whose "FileN=" keys name the entries.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Entries in the order of their numbers N (a repeated number keeps its last value), as
// locations of EntryFromLocation: paths relative to `listFolder`, file:// URIs decoded,
// other URIs (streams) skipped. Keys are compared ignoring case; other keys, section
// headers and comment lines (";", "#") are ignored.
std::vector<std::string> ParsePlsPlaylist(std::string_view text, std::string_view listFolder);
