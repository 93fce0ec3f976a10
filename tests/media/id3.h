// Our own ID3 tag writers, byte for byte as the tag readers expect them: ID3v1 at a file's
// end, ID3v2.3 and ID3v2.4 at its start.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/media/bytes.h"

namespace media {

struct Id3v1Fields {
    // Each is cut or NUL-padded to its width.
    std::string title{}, artist{}, album{}, year{}, comment{};
    std::uint8_t genre = 255;  // 255: no genre
};

// The 128-byte block: "TAG", title 30, artist 30, album 30, year 4, comment 30, genre 1.
Bytes Id3v1Tag(const Id3v1Fields& fields);

struct Id3v2Frame {
    std::string id{};  // four characters, written as given
    Bytes payload{};   // what follows the frame header (and the group byte)
    std::uint8_t statusFlags = 0;
    std::uint8_t formatFlags = 0;               // written as given, plus the grouping bit below
    std::optional<std::uint8_t> group{};        // sets the version's grouping bit, byte goes first
    std::optional<std::uint32_t> statedSize{};  // overrides the size field, for broken tags
};

// A text frame: encoding byte, then the text bytes unchanged.
Id3v2Frame TextFrame(std::string id, std::string_view text, std::uint8_t encoding = 0);

// An "APIC" front cover: Latin-1, "image/jpeg", no description, then `imageBytes` bytes
// that start like a JPEG and are full of 0xFF bytes, as real pictures are (so a reader
// that looks for MPEG frame syncs inside it finds plenty).
Id3v2Frame CoverArtFrame(std::size_t imageBytes);

struct Id3v2Spec {
    int version = 3;  // major version byte; 3 and 4 pick the frame size coding, others use 3's
    std::vector<Id3v2Frame> frames{};
    bool extendedHeader = false;  // the smallest one: v3 size field 6 + 6 bytes, v4 6 bytes
    std::size_t padding = 0;      // zero bytes after the frames, inside the stated size
    bool footer = false;          // "3DI" footer after the tag (version 4)
    std::uint8_t extraFlags = 0;  // OR-ed into the header flags, e.g. 0x80 unsynchronisation
    std::optional<std::uint32_t> statedSize{};  // overrides the header's size, for broken tags
};

// Header, extended header, frames, padding and footer. The header's size is syncsafe and
// counts everything after the header except the footer.
Bytes Id3v2Tag(const Id3v2Spec& spec);

// The four syncsafe bytes of value (7 bits each, high first). Values of 2^28 up to
// 2^29 - 1 (broken tags) put 8 bits into the first byte.
Bytes Syncsafe(std::uint32_t value);

}  // namespace media
