#include "engine/stream_tags.h"

#include "engine/bass.h"
#include "engine/mpeg_probe.h"

namespace engine {

const char* StreamTags::block(std::uint32_t kind) const {
    const std::optional<std::string>* tag = kind == BASS_TAG_ID3     ? &id3v1
                                            : kind == BASS_TAG_ID3V2 ? &id3v2
                                            : kind == BASS_TAG_OGG   ? &comments
                                                                     : nullptr;
    return tag && *tag ? (*tag)->c_str() : nullptr;
}

void AppendComment(std::string& list, const char* text, long long length) {
    if (!text || length < 0) return;
    list.append(text, static_cast<std::size_t>(length));
    list.push_back('\0');
}

void AppendComments(std::string& list, const char* const* texts, const int* lengths, int count) {
    for (int i = 0; i < count; ++i) AppendComment(list, texts[i], lengths[i]);
}

StreamTags ReadId3Tags(const std::string& path, const Bytes& head, std::uint64_t fileSize) {
    StreamTags tags;
    if (fileSize >= 128) {
        Bytes tail = ReadFileBytes(path, fileSize - 128, 128);
        if (tail.size() == 128 && tail[0] == 'T' && tail[1] == 'A' && tail[2] == 'G')
            tags.id3v1.emplace(tail.begin(), tail.end());
    }
    if (const std::uint64_t size = Id3v2TotalSize(head)) {
        Bytes tag = ReadFileBytes(path, 0, static_cast<std::size_t>(size));
        std::string block(tag.begin(), tag.end());
        block.resize(static_cast<std::size_t>(size), '\0');
        tags.id3v2 = std::move(block);
    }
    return tags;
}

}  // namespace engine
