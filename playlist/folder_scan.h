// Adding a folder: the music files of one folder, one kind only, no sub-folders entered.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "trackinfo/format_table.h"

// "*" and the format table's extension of each kind, in the table's folder-scan order
// ("*.MP3", "*.MP2", "*.OGG", …, "*.MP1", then the formats added after the original twelve).
// The first pattern that matches anything decides which files are taken.
extern const std::array<std::string, kFormatTable.size()> kFolderScanPatterns;

// The entries a folder holding these names contributes, in natural name order: the folder
// joined with every name that matches the first pattern matching any name at all.
std::vector<std::string> EntriesFromFolderNames(std::string_view folder,
                                                const std::vector<std::string>& names);

// The entries the folder on disk contributes; none when it can't be read or holds no music.
// A sub-folder whose name matches is taken like a file.
std::vector<std::string> ScanFolder(const std::string& folder);
