// Stands in for the display titles until they are built with the track information.
#include "trackinfo/display_title.h"

std::string TitleFromFileName(FormatCode code, std::string_view path) {
    const std::string_view name = path.substr(path.rfind('/') + 1);
    const auto dot = name.rfind('.');
    if (code == 0 || code > ExtensionTable.size() || dot == 0 || dot == std::string_view::npos)
        return std::string(name);
    std::string extension(name.substr(dot));
    for (char& c : extension) c = AsciiUpper(c);
    if (extension != ExtensionTable[code - 1]) return std::string(name);
    return std::string(name.substr(0, dot));
}

std::string GetSongTitle(FormatCode currentFormat, int currentTrack,
                         const std::vector<std::string>& entries, const TrackSource&) {
    if (currentFormat == 0 || currentTrack < 0 ||
        static_cast<std::size_t>(currentTrack) >= entries.size())
        return std::string(ProductTitle);
    return TitleFromFileName(currentFormat, entries[static_cast<std::size_t>(currentTrack)]);
}
