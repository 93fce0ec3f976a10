// Raw tag blocks for the reader tests and the fuzzer's seed corpus, written byte by byte so
// that broken sizes and flags can be stated exactly.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tagblocks {

using Block = std::vector<std::uint8_t>;

inline Block Text(std::string_view text) {
    return Block(text.begin(), text.end());
}

inline Block Cat(std::initializer_list<Block> parts) {
    Block joined;
    for (const Block& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

inline Block Zeros(size_t count) {
    return Block(count, 0);
}

inline Block BigEndian(std::uint32_t value) {
    return {std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8),
            std::uint8_t(value)};
}

inline Block Syncsafe(std::uint32_t value) {
    return {std::uint8_t(value >> 21), std::uint8_t((value >> 14) & 0x7F),
            std::uint8_t((value >> 7) & 0x7F), std::uint8_t(value & 0x7F)};
}

// The 10-byte tag header with a syncsafe size as given.
inline Block Id3v2Header(std::uint8_t version, std::uint8_t flags, std::uint32_t size) {
    return Cat({Text("ID3"), {version, 0, flags}, Syncsafe(size)});
}

// A whole tag whose stated size is exactly what follows the header.
inline Block Id3v2Tag(std::uint8_t version, std::uint8_t flags, const Block& body) {
    return Cat({Id3v2Header(version, flags, std::uint32_t(body.size())), body});
}

// A frame whose size field counts `data` (group byte, encoding byte and text).
inline Block Frame(std::uint8_t version, std::string_view id, const Block& data,
                   std::uint8_t formatFlags = 0) {
    const auto size = std::uint32_t(data.size());
    return Cat({Text(id), version == 4 ? Syncsafe(size) : BigEndian(size), {0, formatFlags}, data});
}

// Encoding byte, then the text unchanged.
inline Block TextFrame(std::uint8_t version, std::string_view id, std::string_view text,
                       std::uint8_t encoding = 0) {
    return Frame(version, id, Cat({{encoding}, Text(text)}));
}

// NUL-terminated comments, ended by the empty text.
inline Block VorbisComments(std::initializer_list<std::string_view> entries) {
    Block block;
    for (std::string_view entry : entries) {
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(0);
    }
    block.push_back(0);
    return block;
}

// A 128-byte ID3v1 block with the given title and artist fields (cut or NUL-padded to 30).
inline Block Id3v1(std::string_view title, std::string_view artist) {
    Block block = Cat({Text("TAG"), Zeros(125)});
    std::copy_n(title.begin(), std::min<size_t>(title.size(), 30), block.begin() + 3);
    std::copy_n(artist.begin(), std::min<size_t>(artist.size(), 30), block.begin() + 33);
    return block;
}

// Blocks whose size fields claim more than the block holds, or sizes near 2^32 whose sums
// would wrap a 32-bit offset. Every reader must stop on them without reading outside the
// block, and give `title`.
struct HostileBlock {
    std::string name;
    Block bytes;
    std::string title;
};

inline std::vector<HostileBlock> HostileId3v2Blocks() {
    const Block song = Id3v2Tag(3, 0, TextFrame(3, "TIT2", "Song"));
    return {
        {"header_only_claims_more", Id3v2Header(3, 0, 0x0FFFFFFF), ""},
        {"short_header", Text("ID3\x03"), ""},
        {"tag_cut_inside_frame", Block(song.begin(), song.end() - 2), ""},
        {"tag_cut_after_frame", Cat({Id3v2Header(3, 0, 1000), TextFrame(3, "TIT2", "Song")}),
         "Song"},
        // Skipped (flags byte 'T' has 0x40); a 32-bit walk would wrap back to the frame at 19.
        {"v3_frame_size_near_2_32",
         Cat({Id3v2Header(3, 0, 30),
              Text("TIT2"),
              BigEndian(0xFFFFFFFF),
              {0},
              TextFrame(3, "TIT2", "Late"),
              Zeros(6)}),
         ""},
        // A 32-bit walk would come back to offset 10 for ever.
        {"v3_frame_size_wraps_to_start",
         Cat({Id3v2Header(3, 0, 30), Text("TIT2"), BigEndian(0xFFFFFFF6), Zeros(22)}), ""},
        {"v3_extended_header_size_near_2_32",
         Cat({Id3v2Header(3, 0x40, 30), BigEndian(0xFFFFFFFC), Zeros(26)}), ""},
        {"v3_extended_header_past_block", Cat({Id3v2Header(3, 0x40, 30), BigEndian(6)}), ""},
        {"v3_extended_header_size_cut", Cat({Id3v2Header(3, 0x40, 2), Zeros(2)}), ""},
        {"v4_sizes_at_maximum",
         Cat({Id3v2Header(4, 0x40, 0x1FFFFFFF), Block{0xFF, 0xFF, 0xFF, 0xFF}, Zeros(20)}), ""},
        {"v4_frame_size_at_maximum",
         Cat({Id3v2Header(4, 0, 0x1FFFFFFF), Text("TIT2"), Block{0xFF, 0x7F, 0x7F, 0x7F}, Zeros(3),
              Text("xy")}),
         ""},
    };
}

inline std::vector<HostileBlock> HostileVorbisBlocks() {
    return {
        {"no_terminating_empty_text", Text(std::string_view("ARTIST=A\0TITLE=T\0", 17)), "A - T"},
        {"entry_cut_before_nul", Text(std::string_view("ARTIST=A\0TITLE=Trunc", 20)), "A"},
        {"empty_block", {}, ""},
    };
}

inline std::vector<HostileBlock> HostileId3v1Blocks() {
    Block full = Id3v1("Title", "Artist");
    return {
        {"cut_inside_artist", Block(full.begin(), full.begin() + 36), "Art - Title"},
        {"cut_inside_title", Block(full.begin(), full.begin() + 6), "Tit"},
        {"empty_block", {}, ""},
    };
}

}  // namespace tagblocks
