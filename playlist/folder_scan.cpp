#include "playlist/folder_scan.h"

#include "platform/folder_search.h"
#include "playlist/entry_path.h"
#include "playlist/natural_order.h"

const std::array<std::string, kFormatTable.size()> kFolderScanPatterns = [] {
    std::array<std::string, kFormatTable.size()> patterns;
    const auto rows = RowsInScanOrder();
    // Appended, not "*" + extension: GCC 12 at -O3 sees a false overlap in the insert at the
    // front of a string (-Wrestrict).
    for (size_t i = 0; i < patterns.size(); ++i) patterns[i].append("*").append(rows[i]->extension);
    return patterns;
}();

std::vector<std::string> EntriesFromFolderNames(std::string_view folder,
                                                const std::vector<std::string>& names) {
    std::vector<std::string> entries;
    for (const std::string_view pattern : kFolderScanPatterns) {
        std::vector<std::string> matched;
        for (const std::string& name : names)
            if (MatchesWildcard(name, pattern)) matched.push_back(name);
        if (matched.empty()) continue;
        SortNaturally(matched);
        for (const std::string& name : matched) entries.push_back(JoinFolderAndName(folder, name));
        break;
    }
    return entries;
}

std::vector<std::string> ScanFolder(const std::string& folder) {
    return EntriesFromFolderNames(folder, ListFolder(folder));
}
