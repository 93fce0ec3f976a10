// Names in the order a Linux file manager shows them: letters compared without regard to
// case, runs of digits by their value, so "track2" comes before "Track10" and "9" before "10".
#pragma once

#include <string>
#include <vector>

// Sorts file names (bytes, compared as they are displayed). Names that differ only in case
// or in leading zeros keep a fixed order among themselves: by their bytes.
void SortNaturally(std::vector<std::string>& names);
