// Listing one folder and matching names against wildcard patterns, the way the desktop's
// file search does it. Names are the bytes the file system holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Every name in the folder except "." and "..", sub-folders and hidden names included, in
// the order the file system lists them. Empty when the folder can't be read.
std::vector<std::string> ListFolder(const std::string& folder);

// '*' matches any run of bytes (also none), '?' exactly one byte; ASCII letters match in
// either case, every other byte only itself.
bool MatchesWildcard(std::string_view name, std::string_view pattern);
