// Playlist files: the native ".vyn" list (read and written); m3u, m3u8, pls and xspf lists
// (read only).
// Text is bytes: entries are taken and written exactly as they are, in no encoding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class PlaylistFormat { Unknown, Native, M3u, M3u8, Pls, Xspf };

// By the path's extension, compared case-sensitively: ".vyn", ".m3u", ".m3u8", ".pls" or ".xspf".
PlaylistFormat PlaylistFormatOf(std::string_view path);

// The lines of a text: it ends at the first NUL; a line ends at CR LF, a lone CR or a lone
// LF; a last line without a line end counts; a line end at the very end adds no empty line.
std::vector<std::string> SplitPlaylistLines(std::string_view text);

// Native: every line is one entry, empty lines included, whole and untrimmed.
std::vector<std::string> ParseNativePlaylist(std::string_view text);

// m3u (and its UTF-8 kind, m3u8): "#" lines (comments, #EXTM3U, #EXTINF) and blank lines are
// skipped; a line starting with '/' is taken as it is, a file:// URI as the path it names,
// another URI (a stream) not at all, any other line is relative to the list's folder.
std::vector<std::string> ParseM3uPlaylist(std::string_view text, std::string_view listFolder);

// The native file's bytes: every entry followed by CR LF; no entries, no bytes. An entry
// holding CR or LF can't be one line, so it is left out.
std::string NativePlaylistText(const std::vector<std::string>& entries);

// The entries of the playlist file at path, by its extension; none for an unknown one.
// Throws EFileError "Cannot open file ..." when it can't be read.
std::vector<std::string> ReadPlaylistFile(const std::string& path);

// Writes the native file as ReplaceFileContents does (whole_file.h): throws EFileError
// "Cannot create file ..." when it can't be written. Entries holding CR or LF are left out;
// the rest is saved, and then EFileError names the entries left out.
void WritePlaylistFile(const std::string& path, const std::vector<std::string>& entries);
