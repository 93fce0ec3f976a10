// One fuzz target per reader of other players' lists, chosen at build time: whatever the
// bytes, parsing ends, and every entry is a full path that fits on one line of a saved list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "playlist/playlist_file.h"
#include "playlist/pls_reader.h"
#include "playlist/xspf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> entries = VYN_PLAYLIST_READER(text, "/music");
    for (const std::string& entry : entries) {
        if (!entry.starts_with('/')) std::abort();
        if (entry.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) std::abort();
    }
    return 0;
}
