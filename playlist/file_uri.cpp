#include "playlist/file_uri.h"

#include <utility>

#include "trackinfo/format_table.h"

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

constexpr std::string_view kScheme = "FILE:";
}  // namespace

std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const int high = i + 2 < text.size() && text[i] == '%' ? HexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low < 0) {
            decoded.push_back(text[i]);
            continue;
        }
        decoded.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return decoded;
}

std::optional<std::string> LocalPathFromFileUri(std::string_view uri) {
    if (uri.size() < kScheme.size() || !EqualsUpperCased(uri.substr(0, kScheme.size()), kScheme))
        return std::nullopt;
    std::string_view rest = uri.substr(kScheme.size());
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return std::nullopt;
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !EqualsUpperCased(host, "LOCALHOST")) return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with('/')) return std::nullopt;
    return PercentDecoded(rest);
}

std::string FileUriFromPath(std::string_view absolutePath) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : absolutePath) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte)) {
            uri.push_back(c);
        } else {
            uri.push_back('%');
            uri.push_back(kHex[byte >> 4]);
            uri.push_back(kHex[byte & 0xF]);
        }
    }
    return uri;
}

namespace {
// RFC 3986: ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) ":". One letter is taken as no scheme.
// In a list of plain paths only "scheme://" counts, so "Artist:Song.mp3" stays a name.
bool HasScheme(std::string_view location, bool uriReference) {
    const size_t colon = location.find(':');
    if (colon == std::string_view::npos || colon < 2) return false;
    for (size_t i = 0; i < colon; ++i) {
        const char c = location[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && !(i > 0 && other)) return false;
    }
    return uriReference || location.substr(colon + 1).starts_with("//");
}
}  // namespace

std::optional<std::string> EntryFromLocation(std::string_view location, std::string_view listFolder,
                                             bool uriReference) {
    if (location.empty()) return std::nullopt;
    std::optional<std::string> decoded;
    if (HasScheme(location, uriReference))
        decoded = LocalPathFromFileUri(location);
    else
        decoded = uriReference ? PercentDecoded(location) : std::string(location);
    // An escaped line end or NUL could never be saved as one line of a playlist.
    if (!decoded || decoded->empty() ||
        decoded->find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        return std::nullopt;
    std::string& path = *decoded;
    if (path.starts_with('/')) return std::move(path);
    std::string joined(listFolder);
    if (!joined.empty() && joined.back() != '/') joined.push_back('/');
    return joined + path;
}
