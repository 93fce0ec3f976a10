#include "playlist/music_filter.h"

#include "trackinfo/format_table.h"

namespace {
std::string LowerCased(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string BuildMusicFileFilter() {
    std::string all, each;
    for (const std::string_view extension : ExtensionTable) {
        const std::string pattern = "*" + LowerCased(extension);
        all += (all.empty() ? "" : ";") + pattern;
        each += "|" + std::string(extension.substr(1)) + "|" + pattern;
    }
    return "Все известные файлы|" + all + each;
}
}  // namespace

const std::string& MusicFileFilter() {
    static const std::string filter = BuildMusicFileFilter();
    return filter;
}
