// Feeds arbitrary blocks of arbitrary length to the tag readers and the title logic. The
// first byte picks the target; the rest is copied into an exactly sized heap buffer so that
// ASan reports any read past the block.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/bass.h"
#include "tests/trackinfo/memory_track_source.h"
#include "trackinfo/display_title.h"
#include "trackinfo/id3v1_reader.h"
#include "trackinfo/id3v2_reader.h"
#include "trackinfo/track_tags.h"
#include "trackinfo/vorbis_comment_reader.h"

namespace {
// Largest ID3v2 tag the engine-shaped source pads out to; bigger stated sizes are skipped
// (the span readers above already see them at any size).
constexpr std::uint64_t MaxPaddedTag = 1 << 20;

// Tag blocks shaped as the engine hands them out, so the adapters' contract holds.
void TitleThroughEngineBlocks(TagBytes input) {
    if (input.empty()) return;
    const auto code = static_cast<FormatCode>(input[0] % 14);
    input = input.subspan(1);
    MemoryTrackSource source;

    std::vector<std::uint8_t> id3v1(input.begin(), input.end());
    id3v1.resize(128);
    source.SetTags(BASS_TAG_ID3, std::move(id3v1));

    std::vector<std::uint8_t> id3v2(input.begin(), input.end());
    id3v2.resize(std::max<size_t>(id3v2.size(), Id3v2HeaderSize));
    const std::uint64_t stated = Id3v2TagLength(id3v2);
    if (stated > MaxPaddedTag) return;
    id3v2.resize(std::max<size_t>(id3v2.size(), stated));
    source.SetTags(BASS_TAG_ID3V2, std::move(id3v2));

    std::vector<std::uint8_t> comments(input.begin(), input.end());
    comments.insert(comments.end(), {0, 0});
    source.SetTags(BASS_TAG_OGG, std::move(comments));

    source.SetMusicName(std::string(reinterpret_cast<const char*>(input.data()), input.size()));
    const std::vector<std::string> entries{"/music/a.b/track.mp3"};
    const std::string title = GetSongTitle(code, 0, entries, source);
    if (title.empty()) __builtin_trap();  // a title is never empty when the entry exists
    GetSongTitle(code, 1, entries, source);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::uint8_t target = data[0];
    const size_t length = size - 1;
    const auto block = std::make_unique<std::uint8_t[]>(length);
    if (length > 0) std::memcpy(block.get(), data + 1, length);
    const TagBytes bytes(block.get(), length);

    switch (target % 5) {
        case 0:
            ReadId3v1Title(bytes);
            break;
        case 1:
            ReadId3v2Title(bytes);
            break;
        case 2:
            ReadVorbisTitle(bytes);
            break;
        case 3:
            if (length > 0)
                TitleFromFileName(
                    static_cast<FormatCode>(bytes[0] % 14),
                    std::string_view(reinterpret_cast<const char*>(block.get()) + 1, length - 1));
            break;
        case 4:
            TitleThroughEngineBlocks(bytes);
            break;
    }
    return 0;
}
