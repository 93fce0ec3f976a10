#include "tests/media/ogg_comments.h"

#include <array>
#include <cstring>
#include <stdexcept>

namespace media {
namespace {

constexpr std::size_t kPageHeaderBytes = 27;
constexpr std::uint8_t kContinued = 0x01;

struct Page {
    std::uint8_t flags = 0;
    std::uint64_t granule = 0;
    std::uint32_t serial = 0;
    std::uint32_t sequence = 0;
    std::vector<std::uint8_t> lacing;
    Bytes body;
};

std::uint32_t U32le(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

std::vector<Page> ParsePages(const Bytes& file) {
    std::vector<Page> pages;
    std::size_t at = 0;
    while (at < file.size()) {
        if (file.size() - at < kPageHeaderBytes || std::memcmp(&file[at], "OggS", 4) != 0) {
            throw std::runtime_error("not an Ogg page at offset " + std::to_string(at));
        }
        Page page;
        page.flags = file[at + 5];
        for (int i = 7; i >= 0; --i) page.granule = page.granule << 8 | file[at + 6 + i];
        page.serial = U32le(&file[at + 14]);
        page.sequence = U32le(&file[at + 18]);
        const std::size_t segments = file[at + 26];
        if (file.size() - at < kPageHeaderBytes + segments) throw std::runtime_error("cut page");
        page.lacing.assign(file.begin() + at + kPageHeaderBytes,
                           file.begin() + at + kPageHeaderBytes + segments);
        std::size_t bodySize = 0;
        for (auto l : page.lacing) bodySize += l;
        const std::size_t body = at + kPageHeaderBytes + segments;
        if (file.size() - body < bodySize) throw std::runtime_error("cut page");
        page.body.assign(file.begin() + body, file.begin() + body + bodySize);
        pages.push_back(std::move(page));
        at = body + bodySize;
    }
    return pages;
}

void WritePage(ByteWriter& out, const Page& page) {
    const std::size_t start = out.size();
    out.Raw("OggS");
    out.U8(0);
    out.U8(page.flags);
    out.U32le(static_cast<std::uint32_t>(page.granule));
    out.U32le(static_cast<std::uint32_t>(page.granule >> 32));
    out.U32le(page.serial);
    out.U32le(page.sequence);
    out.U32le(0);  // checksum, filled in below
    out.U8(static_cast<unsigned>(page.lacing.size()));
    out.bytes().insert(out.bytes().end(), page.lacing.begin(), page.lacing.end());
    out.Append(page.body);
    out.PutU32le(start + 22, OggCrc(out.bytes().data() + start, out.size() - start));
}

// Packets 2 and 3 (comment and setup) from the pages after the first, and how many pages
// they took.
std::pair<std::array<Bytes, 2>, std::size_t> HeaderPackets(const std::vector<Page>& pages) {
    std::array<Bytes, 2> packets;
    std::size_t done = 0;
    for (std::size_t p = 1; p < pages.size(); ++p) {
        std::size_t offset = 0;
        for (auto l : pages[p].lacing) {
            auto& packet = packets.at(done);
            packet.insert(packet.end(), pages[p].body.begin() + offset,
                          pages[p].body.begin() + offset + l);
            offset += l;
            if (l < 255 && ++done == 2) {
                if (offset != pages[p].body.size()) {
                    throw std::runtime_error("audio shares a page with the Vorbis headers");
                }
                return {packets, p};
            }
        }
    }
    throw std::runtime_error("Vorbis headers are incomplete");
}

Bytes CommentPacket(const Bytes& old, const std::vector<std::string>& entries) {
    if (old.size() < 11 || old[0] != 3 || std::memcmp(&old[1], "vorbis", 6) != 0) {
        throw std::runtime_error("second Ogg packet is not a Vorbis comment header");
    }
    const std::uint32_t vendorSize = U32le(&old[7]);
    if (old.size() - 11 < vendorSize) throw std::runtime_error("bad Vorbis vendor text");
    ByteWriter packet;
    packet.bytes().assign(old.begin(), old.begin() + 11 + vendorSize);
    packet.U32le(static_cast<std::uint32_t>(entries.size()));
    for (const auto& entry : entries) {
        packet.U32le(static_cast<std::uint32_t>(entry.size()));
        packet.Raw(entry);
    }
    packet.U8(1);  // framing bit
    return std::move(packet.bytes());
}

// Lays packets out on pages of at most 255 segments each, from sequence number `sequence`.
std::vector<Page> Paginate(const std::array<Bytes, 2>& packets, const Page& like,
                           std::uint32_t sequence) {
    std::vector<Page> pages;
    Page page;
    auto flush = [&](bool continues) {
        page.serial = like.serial;
        page.granule = 0;
        page.sequence = sequence++;
        pages.push_back(std::move(page));
        page = Page();
        page.flags = continues ? kContinued : 0;
    };
    for (const Bytes& packet : packets) {
        std::size_t offset = 0;
        for (;;) {
            const std::size_t size = std::min<std::size_t>(255, packet.size() - offset);
            page.lacing.push_back(static_cast<std::uint8_t>(size));
            page.body.insert(page.body.end(), packet.begin() + offset,
                             packet.begin() + offset + size);
            offset += size;
            const bool last = size < 255;
            if (page.lacing.size() == 255) flush(!last);
            if (last) break;
        }
    }
    if (!page.lacing.empty()) flush(false);
    return pages;
}

}  // namespace

std::uint32_t OggCrc(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= std::uint32_t(data[i]) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? crc << 1 ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

void ReplaceVorbisComments(const std::filesystem::path& path,
                           const std::vector<std::string>& entries) {
    const std::vector<Page> pages = ParsePages(ReadFileBytes(path));
    if (pages.empty()) throw std::runtime_error("empty Ogg file");
    auto [packets, lastHeaderPage] = HeaderPackets(pages);
    packets[0] = CommentPacket(packets[0], entries);
    const std::vector<Page> headers = Paginate(packets, pages[0], pages[0].sequence + 1);

    ByteWriter out;
    WritePage(out, pages[0]);
    for (const Page& page : headers) WritePage(out, page);
    std::uint32_t sequence = headers.back().sequence;
    for (std::size_t p = lastHeaderPage + 1; p < pages.size(); ++p) {
        Page page = pages[p];
        page.sequence = ++sequence;
        WritePage(out, page);
    }
    WriteFileBytes(path, out.bytes());
}

}  // namespace media
