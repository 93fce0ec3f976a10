// Playlist text from outside: the first byte picks the native or the m3u reader, the rest
// is the file. Whatever the bytes, parsing ends, no entry holds a line end or a NUL, and a
// native playlist written out reads back as the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "playlist/playlist_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<std::string> entries =
        data[0] & 1 ? ParseM3uPlaylist(text, "/music") : ParseNativePlaylist(text);
    for (const std::string& entry : entries)
        if (entry.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) std::abort();
    if (!(data[0] & 1) && SplitPlaylistLines(NativePlaylistText(entries)) != entries) std::abort();
    return 0;
}
