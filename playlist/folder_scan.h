// Adding a folder: the music files of one folder, one kind only, no sub-folders entered.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "trackinfo/format_table.h"

// The kinds of file tried, in this order; the first that matches anything decides which files
// are taken. MP1 comes last here, after the module formats.
inline constexpr std::array<FormatCode, 12> kFolderScanOrder = {1, 2, 4,  5,  6,  7,
                                                                8, 9, 10, 11, 12, 3};

// "*" and the format table's extension of each kind above: "*.MP3", "*.MP2", "*.OGG", …
extern const std::array<std::string, 12> kFolderScanPatterns;

// The entries a folder holding these names contributes, in natural name order: the folder
// joined with every name that matches the first pattern matching any name at all.
std::vector<std::string> EntriesFromFolderNames(std::string_view folder,
                                                const std::vector<std::string>& names);

// The entries the folder on disk contributes; none when it can't be read or holds no music.
// A sub-folder whose name matches is taken like a file.
std::vector<std::string> ScanFolder(const std::string& folder);
