#include "playlist/path_intake.h"

#include <sys/stat.h>

#include <filesystem>

#include "platform/exceptions.h"
#include "playlist/entry_path.h"
#include "playlist/folder_scan.h"
#include "playlist/playlist_file.h"
#include "trackinfo/format_table.h"

namespace {
std::string AbsolutePath(const std::string& path, const std::string& workingFolder) {
    const std::string joined =
        path.starts_with('/') ? path : JoinFolderAndName(workingFolder, path);
    std::string normal = std::filesystem::path(joined).lexically_normal().native();
    if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}

void Take(const std::string& path, PathIntake& intake) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        intake.rejected.push_back(path);
        return;
    }
    if (S_ISDIR(info.st_mode)) {
        std::vector<std::string> found = ScanFolder(path);
        intake.entries.insert(intake.entries.end(), std::make_move_iterator(found.begin()),
                              std::make_move_iterator(found.end()));
        return;
    }
    if (PlaylistFormatOf(path) != PlaylistFormat::Unknown) {
        try {
            std::vector<std::string> listed = ReadPlaylistFile(path);
            intake.entries.insert(intake.entries.end(), std::make_move_iterator(listed.begin()),
                                  std::make_move_iterator(listed.end()));
        } catch (const Exception&) {
            intake.rejected.push_back(path);
        }
        return;
    }
    if (S_ISREG(info.st_mode) && ClassifyFile(path) != 0)
        intake.entries.push_back(path);
    else
        intake.rejected.push_back(path);
}
}  // namespace

PathIntake EntriesFromPaths(const std::vector<std::string>& paths,
                            const std::string& workingFolder) {
    PathIntake intake;
    for (const std::string& path : paths) {
        if (path.empty()) continue;
        Take(AbsolutePath(path, workingFolder), intake);
    }
    return intake;
}

std::string RejectedPathsText(const std::vector<std::string>& rejected) {
    std::string text = "Не удалось добавить (файл не найден или не поддерживается):";
    for (const std::string& path : rejected) text.append("\n").append(path);
    return text;
}
