// Taking playlist entries and file paths apart and putting them together. Paths are byte
// strings with '/' as the only separator.
#pragma once

#include <string>
#include <string_view>

// The folder of a path: everything before its last '/', except that the root folder keeps
// its '/'. Empty when the path has no '/'.
std::string_view FolderOf(std::string_view path);

// A name inside a folder: exactly one '/' between them (the root folder "/" gives "/name").
// An empty folder gives the name alone.
std::string JoinFolderAndName(std::string_view folder, std::string_view name);
