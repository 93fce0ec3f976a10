#include "trackinfo/id3v2_reader.h"

#include <algorithm>
#include <utility>

namespace {
constexpr std::uint8_t FlagUnsynchronisation = 0x80;
constexpr std::uint8_t FlagExtendedHeader = 0x40;

// How the two versions encode a frame header's size and its second flags byte.
struct FrameFormat {
    std::uint32_t (*size)(std::span<const std::uint8_t, 4>);
    std::uint8_t groupingBit;
    std::uint8_t skipBits;  // compression, encryption and, in version 4, unsync and data length
};
constexpr FrameFormat Version3Frames{BigEndianToInt, 0x20, 0x80 | 0x40};
constexpr FrameFormat Version4Frames{SyncsafeToInt, 0x40, 0x0F};

std::span<const std::uint8_t, 4> FourAt(TagBytes bytes, std::uint64_t pos) {
    return bytes.subspan(static_cast<size_t>(pos)).first<4>();
}

// The frame area: up to the end the header states, cut where the block itself ends.
TagBytes TagArea(TagBytes block) {
    return block.first(std::min<std::uint64_t>(Id3v2TagLength(block), block.size()));
}

// Sizes are up to 32 bits wide; all offsets are 64-bit so that no sum can wrap.
void WalkFrames(TagBytes area, std::uint64_t pos, const FrameFormat& format, ArtistTitle& found) {
    const std::uint64_t end = area.size();
    while (pos + Id3v2HeaderSize <= end) {
        const std::uint64_t frameSize = format.size(FourAt(area, pos + 4));
        const std::uint8_t formatFlags = area[pos + 9];
        const std::uint64_t group = (formatFlags & format.groupingBit) ? 1 : 0;
        const std::uint64_t textStart = pos + Id3v2HeaderSize + group + 1;
        const std::uint64_t frameEnd = pos + Id3v2HeaderSize + frameSize;
        // The frame holds more than its group and encoding bytes and lies wholly in the tag.
        const bool taken = (formatFlags & format.skipBits) == 0 && frameEnd > textStart &&
                           frameEnd <= end && area[textStart - 1] == 0;
        if (taken)
            TakeTextFrame(FourAt(area, pos),
                          area.subspan(static_cast<size_t>(textStart),
                                       static_cast<size_t>(frameEnd - textStart)),
                          found);
        pos = frameEnd;
    }
}
}  // namespace

std::uint32_t BigEndianToInt(std::span<const std::uint8_t, 4> b) {
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
           std::uint32_t{b[3]};
}

std::uint32_t SyncsafeToInt(std::span<const std::uint8_t, 4> b) {
    return (std::uint32_t{b[0]} << 21) | (std::uint32_t{b[1] & 0x7Fu} << 14) |
           (std::uint32_t{b[2] & 0x7Fu} << 7) | std::uint32_t{b[3] & 0x7Fu};
}

std::uint64_t Id3v2TagLength(TagBytes block) {
    if (block.size() < Id3v2HeaderSize) return 0;
    return Id3v2HeaderSize + SyncsafeToInt(FourAt(block, 6));
}

void TakeTextFrame(std::span<const std::uint8_t, 4> identifier, TagBytes text, ArtistTitle& found) {
    const std::string_view id(reinterpret_cast<const char*>(identifier.data()), identifier.size());
    if (id == "TPE1")
        found.artist = FieldText(text);
    else if (id == "TIT2")
        found.title = FieldText(text);
}

void ReadId3v23Frames(TagBytes block, ArtistTitle& found) {
    const TagBytes area = TagArea(block);
    if (area.size() < Id3v2HeaderSize) return;
    const std::uint8_t flags = area[5];
    // A whole-tag unsynchronised version-3 tag would need decoding first; it is not read.
    if (flags & FlagUnsynchronisation) return;
    std::uint64_t pos = Id3v2HeaderSize;
    if (flags & FlagExtendedHeader) {
        // The version-3 extended header's size counts the bytes after its own size field.
        if (pos + 4 > area.size()) return;
        pos += 4 + std::uint64_t{BigEndianToInt(FourAt(area, pos))};
    }
    WalkFrames(area, pos, Version3Frames, found);
}

void ReadId3v24Frames(TagBytes block, ArtistTitle& found) {
    const TagBytes area = TagArea(block);
    if (area.size() < Id3v2HeaderSize) return;
    // Version 4 marks unsynchronisation per frame; such frames are skipped by the walk.
    std::uint64_t pos = Id3v2HeaderSize;
    if (area[5] & FlagExtendedHeader) {
        // The version-4 extended header's size counts the whole extended header.
        if (pos + 4 > area.size()) return;
        pos += SyncsafeToInt(FourAt(area, pos));
    }
    WalkFrames(area, pos, Version4Frames, found);
}

ArtistTitle ReadId3v2ArtistTitle(TagBytes block) {
    ArtistTitle found;
    if (block.size() < Id3v2HeaderSize) return found;
    if (block[3] == 3)
        ReadId3v23Frames(block, found);
    else if (block[3] == 4)
        ReadId3v24Frames(block, found);
    return found;
}

std::string ReadId3v2Title(TagBytes block) {
    ArtistTitle found = ReadId3v2ArtistTitle(block);
    return JoinArtistTitle(std::move(found.artist), std::move(found.title));
}
