#include "platform/folder_search.h"

#include <dirent.h>

#include <memory>

namespace {
struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

char FoldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
}  // namespace

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) return names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..") continue;
        names.emplace_back(name);
    }
    return names;
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
    // Greedy matching with one backtrack point: the last '*' seen. Linear for the usual
    // "*.EXT" patterns and never worse than name × pattern.
    size_t n = 0, p = 0;
    size_t starPattern = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}
