#include "playlist/playlist_file.h"

#include "platform/exceptions.h"
#include "playlist/entry_path.h"
#include "playlist/file_uri.h"
#include "playlist/pls_reader.h"
#include "playlist/whole_file.h"
#include "playlist/xspf_reader.h"
#include "trackinfo/format_table.h"

PlaylistFormat PlaylistFormatOf(std::string_view path) {
    const std::string_view extension = ExtensionOf(path);
    if (extension == ".vyn") return PlaylistFormat::Native;
    if (extension == ".m3u") return PlaylistFormat::M3u;
    if (extension == ".m3u8") return PlaylistFormat::M3u8;
    if (extension == ".pls") return PlaylistFormat::Pls;
    if (extension == ".xspf") return PlaylistFormat::Xspf;
    return PlaylistFormat::Unknown;
}

namespace {
// Calls take(line) for every line of the text, as SplitPlaylistLines defines them.
template <typename Take>
void ForEachLine(std::string_view text, Take&& take) {
    text = text.substr(0, text.find('\0'));
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            take(text.substr(start));
            return;
        }
        take(text.substr(start, end - start));
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        start = end + (crlf ? 2 : 1);
    }
}

bool IsBlank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// A line break in a name would read back as two entries.
bool HoldsLineBreak(std::string_view entry) {
    return entry.find_first_of("\r\n") != std::string_view::npos;
}

// The entries a native file could not hold, one per line, each in quotes with its line
// breaks shown as \r and \n; past the first few, only how many more there are.
std::string LeftOutMessage(const std::string& path, const std::vector<std::string>& entries) {
    constexpr int kNamed = 10;
    std::string message =
        "Cannot save these entries to \"" + path + "\", their names hold a line break:";
    int leftOut = 0;
    for (const std::string& entry : entries) {
        if (!HoldsLineBreak(entry) || ++leftOut > kNamed) continue;
        message += "\n\"";
        for (const char c : entry) {
            if (c == '\r' || c == '\n')
                message += c == '\r' ? "\\r" : "\\n";
            else
                message += c;
        }
        message += '"';
    }
    if (leftOut > kNamed) message += "\nand " + std::to_string(leftOut - kNamed) + " more";
    return leftOut == 0 ? std::string() : message;
}

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
}  // namespace

std::vector<std::string> SplitPlaylistLines(std::string_view text) {
    std::vector<std::string> lines;
    ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::vector<std::string> ParseNativePlaylist(std::string_view text) {
    return SplitPlaylistLines(text);
}

std::vector<std::string> ParseM3uPlaylist(std::string_view text, std::string_view listFolder) {
    // Lists saved as UTF-8 often begin with a byte-order mark; it would hide "#EXTM3U".
    if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
    std::vector<std::string> entries;
    ForEachLine(text, [&](std::string_view line) {
        if (line.starts_with('#') || IsBlank(line)) return;
        if (line.starts_with('/'))
            entries.emplace_back(line);
        else if (auto entry = EntryFromLocation(line, listFolder, false))
            entries.push_back(std::move(*entry));
    });
    return entries;
}

std::string NativePlaylistText(const std::vector<std::string>& entries) {
    size_t size = 0;
    for (const std::string& entry : entries) size += entry.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& entry : entries) {
        if (HoldsLineBreak(entry)) continue;
        text += entry;
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> ReadPlaylistFile(const std::string& path) {
    const PlaylistFormat format = PlaylistFormatOf(path);
    if (format == PlaylistFormat::Unknown) return {};
    const std::string text = ReadWholeFile(path);
    switch (format) {
        case PlaylistFormat::Native:
            return ParseNativePlaylist(text);
        case PlaylistFormat::Pls:
            return ParsePlsPlaylist(text, FolderOf(path));
        case PlaylistFormat::Xspf:
            return ParseXspfPlaylist(text, FolderOf(path));
        default:
            return ParseM3uPlaylist(text, FolderOf(path));
    }
}

void WritePlaylistFile(const std::string& path, const std::vector<std::string>& entries) {
    ReplaceFileContents(path, NativePlaylistText(entries));
    // The rest is saved; the user learns which entries are missing from the file.
    if (std::string message = LeftOutMessage(path, entries); !message.empty())
        throw EFileError(message);
}
