#include "playlist/entry_path.h"

std::string_view FolderOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    return path.substr(0, slash == 0 ? 1 : slash);
}

std::string JoinFolderAndName(std::string_view folder, std::string_view name) {
    std::string joined;
    joined.reserve(folder.size() + 1 + name.size());
    joined.append(folder);
    if (!folder.empty() && folder.back() != '/') joined.push_back('/');
    joined.append(name);
    return joined;
}
