// file:// URIs and the byte paths they name. Percent-escapes carry raw bytes, so a name that
// is not UTF-8 survives the round trip.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// "%41" and the like decoded to their bytes; a '%' not followed by two hex digits stays.
std::string PercentDecoded(std::string_view text);

// The local path of "file:///a/b" or "file://localhost/a/b" (scheme compared ignoring case),
// percent-decoded, query and fragment dropped. nullopt for another scheme or host, or for
// text that is not a URI at all.
std::optional<std::string> LocalPathFromFileUri(std::string_view uri);

// "file://" and the absolute path, every byte outside the unreserved set and '/' escaped.
std::string FileUriFromPath(std::string_view absolutePath);

// A location as a playlist holds it, made an entry: a file:// URI becomes its local path; a
// URI of another scheme (http:, …) gives nullopt (in a list of plain paths, only a
// "scheme://" location counts as a URI); anything else is a path, percent-decoded
// when the list holds URI references (xspf), taken against the list's folder unless absolute.
std::optional<std::string> EntryFromLocation(std::string_view location, std::string_view listFolder,
                                             bool uriReference);
