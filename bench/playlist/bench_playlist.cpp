// Loading and saving a large playlist and adding a large folder, through the same handlers
// the main window calls. Memory is the resident-set growth of holding 100,000 entries.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/dialogs.h"
#include "playlist/playlist_editor.h"
#include "playlist/playlist_file.h"
#include "playlist/playlist_model.h"
#include "playlist/playlist_playback.h"

namespace {
constexpr int kPlaylistEntries = 100000;
constexpr int kFolderFiles = 10000;

// Answers every dialog with the one path it was given.
class FixedDialogs : public Dialogs {
  public:
    std::string path;
    bool AskYesNo(QWidget*, const std::string&, const std::string&) override { return false; }
    void ShowMessage(QWidget*, const std::string&, const std::string&, Icon) override {}
    std::optional<std::vector<std::string>> OpenFiles(QWidget*, const FileDialogOptions&) override {
        return std::vector<std::string>{path};
    }
    std::optional<std::string> SaveFile(QWidget*, const FileDialogOptions&) override {
        return path;
    }
    std::optional<std::string> BrowseFolder(QWidget*, const std::string&) override { return path; }
};

class Idle : public PlaylistPlayback {
  public:
    int CurrentTrack() const override { return -1; }
    void SetCurrentTrack(int) override {}
    bool HasOpenChannel() const override { return false; }
    void FreeAllBASS() override {}
    void PlayCurrent() override {}
};

struct Workspace {
    std::string root;
    Workspace() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/vyn-bench-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        root = pattern;
    }
    ~Workspace() { std::filesystem::remove_all(root); }
};

const Workspace& Space() {
    static Workspace space;
    return space;
}

std::vector<std::string> TypicalEntries() {
    std::vector<std::string> entries;
    entries.reserve(kPlaylistEntries);
    for (int i = 0; i < kPlaylistEntries; ++i)
        entries.push_back("/home/listener/Music/Some Artist/Album Number " +
                          std::to_string(i / 12) + "/" + std::to_string(i % 12 + 1) +
                          " - Track Title Here.mp3");
    return entries;
}

const std::string& PlaylistPath() {
    static const std::string path = [] {
        std::string p = Space().root + "/big.vyn";
        WritePlaylistFile(p, TypicalEntries());
        return p;
    }();
    return path;
}

const std::string& MusicFolder() {
    static const std::string folder = [] {
        std::string f = Space().root + "/music/";
        std::filesystem::create_directory(f);
        for (int i = 0; i < kFolderFiles; ++i)
            std::ofstream(f + "Track " + std::to_string(i) + ".mp3");
        std::ofstream(f + "cover.jpg");
        return f;
    }();
    return folder;
}

long ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

struct Editing {
    PlaylistModel playlist;
    FixedDialogs dialogs;
    Idle playback;
    PlaylistEditor editor{playlist, dialogs, playback, nullptr};
};

void BM_MemoryOf100kEntries(benchmark::State& state) {
    const std::string& path = PlaylistPath();
    for (auto _ : state) {
        Editing e;
        e.dialogs.path = path;
        malloc_trim(0);  // hand back what setting up left free, so it is not reused unseen
        const long before = ResidentBytes();
        e.editor.Button1Click();
        const long after = ResidentBytes();
        state.counters["rss_growth_MB"] = static_cast<double>(after - before) / (1024.0 * 1024.0);
    }
}
BENCHMARK(BM_MemoryOf100kEntries)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Load100kEntries(benchmark::State& state) {
    Editing e;
    e.dialogs.path = PlaylistPath();
    for (auto _ : state) {
        e.editor.Button1Click();
        state.PauseTiming();
        if (e.playlist.Count() != kPlaylistEntries) state.SkipWithError("wrong count");
        e.playlist.Clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Load100kEntries)->Unit(benchmark::kMillisecond);

void BM_Save100kEntries(benchmark::State& state) {
    Editing e;
    e.playlist.Append(TypicalEntries());
    e.dialogs.path = Space().root + "/saved.vyn";
    for (auto _ : state) e.editor.Button2Click();
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(std::filesystem::file_size(e.dialogs.path)));
}
BENCHMARK(BM_Save100kEntries)->Unit(benchmark::kMillisecond);

void BM_AddFolderOf10kFiles(benchmark::State& state) {
    Editing e;
    e.dialogs.path = MusicFolder();
    for (auto _ : state) {
        e.editor.AddDirClick();
        state.PauseTiming();
        if (e.playlist.Count() != kFolderFiles) state.SkipWithError("wrong count");
        e.playlist.Clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddFolderOf10kFiles)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
