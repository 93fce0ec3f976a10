#include "trackinfo/tag_text.h"

#include <algorithm>

namespace {
bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}
}  // namespace

std::string_view TrimText(std::string_view text) {
    const auto first = std::find_if_not(text.begin(), text.end(), IsBlankOrControl);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlankOrControl).base();
    if (first >= last) return {};
    return text.substr(static_cast<size_t>(first - text.begin()),
                       static_cast<size_t>(last - first));
}

std::string FieldText(TagBytes field) {
    std::string_view text(reinterpret_cast<const char*>(field.data()), field.size());
    text = text.substr(0, text.find('\0'));
    return std::string(TrimText(text));
}

std::string JoinArtistTitle(std::string artist, std::string title) {
    if (artist.empty()) return title;
    if (!title.empty()) artist.append(" - ").append(title);
    return artist;
}
