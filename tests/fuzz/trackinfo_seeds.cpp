// Writes the fuzzer's seed corpus: well-formed tags of each kind and the blocks whose sizes
// claim too much or would wrap, each behind the byte that picks its reader.
#include <cstdio>
#include <fstream>
#include <string>

#include "tests/trackinfo/tag_blocks.h"

using namespace tagblocks;

namespace {
void Write(const std::string& folder, const std::string& name, std::uint8_t target,
           const Block& block) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.put(static_cast<char>(target));
    out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size()));
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    Write(dir, "id3v1", 0, Id3v1("Song", "Band"));
    for (std::uint8_t v : {3, 4}) {
        const Block tag =
            Id3v2Tag(v, 0x40,
                     Cat({v == 3 ? BigEndian(6) : Syncsafe(6), Zeros(v == 3 ? 6 : 2),
                          TextFrame(v, "TPE1", "Band"), TextFrame(v, "TIT2", "Song"), Zeros(20)}));
        Write(dir, "id3v2." + std::to_string(v), 1, tag);
        Write(dir, "title-id3v2." + std::to_string(v), 4, Cat({{1}, tag}));
    }
    Write(dir, "vorbis", 2, VorbisComments({"ARTIST=Band", "title=Song", "GENRE=x"}));
    Write(dir, "file-name", 3, Cat({{1}, Text("/music/ song.tar.mp3")}));
    Write(dir, "title-module", 4, Cat({{8}, Text("  Space Tune  ")}));
    for (const HostileBlock& b : HostileId3v2Blocks()) Write(dir, "id3v2-" + b.name, 1, b.bytes);
    for (const HostileBlock& b : HostileVorbisBlocks()) Write(dir, "vorbis-" + b.name, 2, b.bytes);
    for (const HostileBlock& b : HostileId3v1Blocks()) Write(dir, "id3v1-" + b.name, 0, b.bytes);
    return 0;
}
