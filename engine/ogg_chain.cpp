#include "engine/ogg_chain.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/buffered_file.h"

namespace engine {
namespace {

// The libraries look for the last page within this much of the file's end, in steps of it.
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

struct LaterLinks {
    std::vector<std::uint64_t> starts;
    // Where a link begins that reuses a serial number of an earlier link; 0 when none does.
    std::uint64_t reusedSerialAt = 0;
};

// Where each link after the first begins: the first page of a stream that is not among the
// current link's, or a stream's first page after the headers were read (which vorbisfile
// takes as the next link's start, too). A link that reuses
// an earlier link's serial number ends the walk: vorbisfile's own link search splits such a
// file differently from ours, so its headers can't be checked in advance.
LaterLinks FindLaterLinks(BufferedFile& file) {
    LaterLinks found;
    std::vector<int> link;
    std::vector<int> earlier;
    bool inHeaders = true;
    ForEachPage(file, 0, [&](std::uint64_t offset, const ogg_page& page) {
        const int serial = ogg_page_serialno(&page);
        const bool bos = ogg_page_bos(&page) != 0;
        const bool known = std::find(link.begin(), link.end(), serial) != link.end();
        // A stream's first page after the headers, or a known stream starting over.
        if (bos ? (!inHeaders || known) : !known) {
            if (!link.empty()) found.starts.push_back(offset);
            earlier.insert(earlier.end(), link.begin(), link.end());
            link.clear();
        }
        if (std::find(earlier.begin(), earlier.end(), serial) != earlier.end()) {
            found.reusedSerialAt = found.starts.back();
            return false;
        }
        if (std::find(link.begin(), link.end(), serial) == link.end()) link.push_back(serial);
        inHeaders = bos;
        return true;
    });
    return found;
}

std::uint64_t ReadableEnd(const std::string& path, BufferedFile& file,
                          LinkHeadersCheck headersRead) {
    const std::uint64_t size = static_cast<std::uint64_t>(file.size());
    const std::vector<int> first = FirstLinkSerials(file);
    bool found = false;
    const int last = LastPageSerial(file, found);
    // One link: vorbisfile finds its last page among the first link's streams and stops.
    if (found && std::find(first.begin(), first.end(), last) != first.end()) return size;
    const LaterLinks later = FindLaterLinks(file);
    for (const std::uint64_t start : later.starts)
        if (!headersRead(path, start)) return start;
    return later.reusedSerialAt != 0 ? later.reusedSerialAt : size;
}

}  // namespace

OggWindow ReadableOggWindow(const std::string& path, std::uint64_t start,
                            LinkHeadersCheck headersRead) {
    BufferedFile file(path);
    const std::uint64_t end = ReadableEnd(path, file, headersRead);
    return {start, end > start ? end - start : 0};
}

}  // namespace engine
