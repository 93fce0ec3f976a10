#include "tests/media/id3.h"

#include <stdexcept>

namespace media {

Bytes Id3v1Tag(const Id3v1Fields& fields) {
    ByteWriter out;
    out.Raw("TAG");
    out.Text(fields.title, 30);
    out.Text(fields.artist, 30);
    out.Text(fields.album, 30);
    out.Text(fields.year, 4);
    out.Text(fields.comment, 30);
    out.U8(fields.genre);
    return std::move(out.bytes());
}

Id3v2Frame TextFrame(std::string id, std::string_view text, std::uint8_t encoding) {
    Id3v2Frame frame;
    frame.id = std::move(id);
    frame.payload.push_back(encoding);
    frame.payload.insert(frame.payload.end(), text.begin(), text.end());
    return frame;
}

Id3v2Frame CoverArtFrame(std::size_t imageBytes) {
    Id3v2Frame frame;
    frame.id = "APIC";
    ByteWriter out;
    out.U8(0);
    out.Raw("image/jpeg");
    out.U8(0);
    out.U8(3);  // front cover
    out.U8(0);  // empty description
    const std::uint8_t jpegStart[] = {0xFF, 0xD8, 0xFF, 0xE0};
    for (std::size_t i = 0; i < imageBytes; ++i)
        out.U8(i < sizeof jpegStart ? jpegStart[i] : (i % 3 == 0 ? 0xFF : (i * 37) & 0xFF));
    frame.payload = std::move(out.bytes());
    return frame;
}

Bytes Syncsafe(std::uint32_t value) {
    // Values from 2^28 set the first byte's top bit: readers take that byte whole.
    if (value >= (1u << 29)) throw std::invalid_argument("Syncsafe: value too large");
    return {static_cast<std::uint8_t>(value >> 21), static_cast<std::uint8_t>((value >> 14) & 0x7F),
            static_cast<std::uint8_t>((value >> 7) & 0x7F),
            static_cast<std::uint8_t>(value & 0x7F)};
}

namespace {

void WriteFrame(ByteWriter& out, const Id3v2Frame& frame, bool v4) {
    if (frame.id.size() != 4) throw std::invalid_argument("ID3v2 frame id must have 4 bytes");
    std::uint8_t formatFlags = frame.formatFlags;
    std::uint32_t size = static_cast<std::uint32_t>(frame.payload.size());
    if (frame.group) {
        formatFlags |= v4 ? 0x40 : 0x20;
        ++size;
    }
    if (frame.statedSize) size = *frame.statedSize;
    out.Raw(frame.id);
    if (v4) {
        out.Append(Syncsafe(size));
    } else {
        out.U32be(size);
    }
    out.U8(frame.statusFlags);
    out.U8(formatFlags);
    if (frame.group) out.U8(*frame.group);
    out.Append(frame.payload);
}

}  // namespace

Bytes Id3v2Tag(const Id3v2Spec& spec) {
    const bool v4 = spec.version == 4;
    ByteWriter body;
    if (spec.extendedHeader) {
        if (v4) {
            body.Append(Syncsafe(6));  // counts the whole extended header
            body.U8(1);                // one flag byte
            body.U8(0);
        } else {
            body.U32be(6);  // counts the bytes after the size field
            body.U16be(0);  // flags
            body.U32be(0);  // padding size
        }
    }
    for (const auto& frame : spec.frames) WriteFrame(body, frame, v4);
    body.Zeros(spec.padding);

    std::uint8_t flags = spec.extraFlags;
    if (spec.extendedHeader) flags |= 0x40;
    if (spec.footer) flags |= 0x10;
    const std::uint32_t size = spec.statedSize.value_or(static_cast<std::uint32_t>(body.size()));

    auto header = [&](std::string_view magic) {
        ByteWriter h;
        h.Raw(magic);
        h.U8(static_cast<unsigned>(spec.version));
        h.U8(0);
        h.U8(flags);
        h.Append(Syncsafe(size));
        return std::move(h.bytes());
    };
    ByteWriter out;
    out.Append(header("ID3"));
    out.Append(body.bytes());
    if (spec.footer) out.Append(header("3DI"));
    return std::move(out.bytes());
}

}  // namespace media
