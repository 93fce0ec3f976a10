#include "playlist/music_filter.h"

#include "trackinfo/format_table.h"

namespace {
std::string BuildMusicFileFilter() {
    std::string all, each;
    for (const FormatRow& row : kFormatTable) {
        const std::string pattern = LowerCasePattern(row);
        all += (all.empty() ? "" : ";") + pattern;
        each += "|" + std::string(row.extension.substr(1)) + "|" + pattern;
    }
    return "Все известные файлы|" + all + each;
}
}  // namespace

const std::string& MusicFileFilter() {
    static const std::string filter = BuildMusicFileFilter();
    return filter;
}
