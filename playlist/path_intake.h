// Paths handed over from outside the dialogs: the command line, a drop on the list, the
// desktop's OpenUri. Each becomes what the matching menu command would add.
#pragma once

#include <string>
#include <vector>

struct PathIntake {
    std::vector<std::string> entries;   // in the order the paths were given
    std::vector<std::string> rejected;  // absolute paths that are missing or of no known kind
};

// A relative path is taken against `workingFolder`, and "." and ".." steps are resolved, so
// entries are full paths like the dialogs give. A folder adds what "Добавить папку" would, a
// playlist file (by its extension) its entries, a file of one of the twelve music extensions
// itself; anything else, or a path that does not exist or can't be read, is rejected.
PathIntake EntriesFromPaths(const std::vector<std::string>& paths,
                            const std::string& workingFolder);

// The text of the one error box that names the rejected paths.
std::string RejectedPathsText(const std::vector<std::string>& rejected);
