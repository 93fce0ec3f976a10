#include "engine/ogg_chain.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/buffered_file.h"
#include "engine/vorbis_callbacks.h"

namespace engine {
namespace {

// vorbisfile looks for the last page within this much of the file's end, in steps of it.
constexpr std::uint64_t kTailBytes = 64 * 1024;

class OggSync {
  public:
    OggSync() { ogg_sync_init(&sync_); }
    ~OggSync() { ogg_sync_clear(&sync_); }
    OggSync(const OggSync&) = delete;
    OggSync& operator=(const OggSync&) = delete;
    ogg_sync_state* get() { return &sync_; }

  private:
    ogg_sync_state sync_;
};

// Calls onPage(offset, page) for every intact page from `from` to the window's end, in
// order, until it returns false.
void ForEachPage(BufferedFile& file, std::uint64_t from,
                 const std::function<bool(std::uint64_t, const ogg_page&)>& onPage) {
    OggSync sync;
    file.seek(static_cast<off_t>(from), SEEK_SET);
    std::uint64_t offset = from;
    for (;;) {
        ogg_page page;
        const long n = ogg_sync_pageseek(sync.get(), &page);
        if (n < 0) {
            offset += static_cast<std::uint64_t>(-n);  // skipped bytes that are no page
        } else if (n > 0) {
            if (!onPage(offset, page)) return;
            offset += static_cast<std::uint64_t>(n);
        } else {
            char* buffer = ogg_sync_buffer(sync.get(), 4096);
            const ssize_t got = buffer ? file.read(buffer, 4096) : 0;
            if (got <= 0) return;
            ogg_sync_wrote(sync.get(), got);
        }
    }
}

// The serial numbers of the first link's streams: the BOS pages the file starts with.
std::vector<int> FirstLinkSerials(BufferedFile& file) {
    std::vector<int> serials;
    ForEachPage(file, 0, [&](std::uint64_t, const ogg_page& page) {
        if (!ogg_page_bos(&page)) return false;
        serials.push_back(ogg_page_serialno(&page));
        return true;
    });
    return serials;
}

int LastPageSerial(BufferedFile& file, bool& found) {
    const std::uint64_t size = static_cast<std::uint64_t>(file.size());
    int serial = 0;
    found = false;
    ForEachPage(file, size > kTailBytes ? size - kTailBytes : 0,
                [&](std::uint64_t, const ogg_page& page) {
                    serial = ogg_page_serialno(&page);
                    found = true;
                    return true;
                });
    return serial;
}

// Where each link after the first begins: the first page of a stream that is not among the
// current link's (which vorbisfile takes as the next link's start, too).
std::vector<std::uint64_t> LaterLinkStarts(BufferedFile& file) {
    std::vector<std::uint64_t> starts;
    std::vector<int> link;
    bool inHeaders = true;
    ForEachPage(file, 0, [&](std::uint64_t offset, const ogg_page& page) {
        const int serial = ogg_page_serialno(&page);
        const bool known = std::find(link.begin(), link.end(), serial) != link.end();
        if (!known && !(inHeaders && ogg_page_bos(&page))) {
            if (!link.empty()) starts.push_back(offset);
            link.clear();
        }
        if (!known) link.push_back(serial);
        inHeaders = ogg_page_bos(&page);
        return true;
    });
    return starts;
}

// Whether vorbisfile reads the headers of the link at `start`, opened as a stream that
// can't seek (which reads the headers only and frees all it took when it fails).
bool LinkHeadersRead(const std::string& path, std::uint64_t start) {
    BufferedFile link(path, static_cast<off_t>(start));
    OggVorbis_File vf;
    ov_callbacks callbacks = BufferedFileOggCallbacks();
    callbacks.seek_func = nullptr;
    callbacks.tell_func = nullptr;
    if (ov_test_callbacks(&link, &vf, nullptr, 0, callbacks) != 0) return false;
    ov_clear(&vf);
    return true;
}

}  // namespace

std::uint64_t ReadableOggLength(const std::string& path) {
    BufferedFile file(path);
    const std::uint64_t size = static_cast<std::uint64_t>(file.size());
    const std::vector<int> first = FirstLinkSerials(file);
    bool found = false;
    const int last = LastPageSerial(file, found);
    // One link: vorbisfile finds its last page among the first link's streams and stops.
    if (found && std::find(first.begin(), first.end(), last) != first.end()) return size;
    for (const std::uint64_t start : LaterLinkStarts(file))
        if (!LinkHeadersRead(path, start)) return start;
    return size;
}

}  // namespace engine
