// XSPF playlists ("spiff", XML): every track's <location> names an entry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The first <location> of each <track>, in document order, as a URI reference: file:// URIs
// and relative references (against `listFolder`) percent-decoded, other schemes skipped.
// Character references and the five XML entities are decoded, CDATA is taken as it stands,
// comments and processing instructions are stepped over. Element names may carry a
// namespace prefix. Text that is not well-formed gives what was read up to the fault.
std::vector<std::string> ParseXspfPlaylist(std::string_view text, std::string_view listFolder);

// "&amp;", "&#233;", "&#xE9;" and the like to their UTF-8 bytes; an unknown or broken
// reference stays as it is.
std::string DecodeXmlText(std::string_view text);
