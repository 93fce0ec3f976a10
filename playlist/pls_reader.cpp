#include "playlist/pls_reader.h"

#include <charconv>
#include <map>

#include "playlist/file_uri.h"
#include "playlist/playlist_file.h"
#include "trackinfo/format_table.h"
#include "trackinfo/tag_text.h"

namespace {
constexpr std::string_view kFileKey = "FILE";
}  // namespace

std::vector<std::string> ParsePlsPlaylist(std::string_view text, std::string_view listFolder) {
    std::map<unsigned long, std::string> numbered;
    for (const std::string& line : SplitPlaylistLines(text)) {
        const std::string_view trimmed = TrimText(line);
        const size_t equals = trimmed.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = TrimText(trimmed.substr(0, equals));
        if (key.size() <= kFileKey.size() ||
            !EqualsUpperCased(key.substr(0, kFileKey.size()), kFileKey))
            continue;
        const std::string_view digits = key.substr(kFileKey.size());
        unsigned long number = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (error != std::errc() || end != digits.data() + digits.size()) continue;
        numbered[number] = std::string(TrimText(trimmed.substr(equals + 1)));
    }
    std::vector<std::string> entries;
    for (const auto& [number, location] : numbered)
        if (auto entry = EntryFromLocation(location, listFolder, false))
            entries.push_back(std::move(*entry));
    return entries;
}
