// Unreal package (UMX) with one export of class Music whose serial data is a module.
#include "tests/media/module_song.h"

namespace media {
namespace {

constexpr unsigned kPackageVersion = 61;  // Unreal 1: NUL-terminated names

// Unreal's compact index: sign and "more" bits and 6 value bits in the first byte, then 7
// value bits and a "more" bit per byte.
void CompactIndex(ByteWriter& out, std::int64_t value) {
    const bool negative = value < 0;
    std::uint64_t v = static_cast<std::uint64_t>(negative ? -value : value);
    unsigned first = (negative ? 0x80 : 0) | (v & 0x3F);
    v >>= 6;
    out.U8(first | (v ? 0x40 : 0));
    while (v) {
        const unsigned next = v & 0x7F;
        v >>= 7;
        out.U8(next | (v ? 0x80 : 0));
    }
}

enum Name { kNone, kMusic, kCore, kClass, kSong, kNameCount };
constexpr const char* kNames[kNameCount] = {"None", "Music", "Core", "Class", "Song"};

}  // namespace

Bytes UmxBytes(const Bytes& module) {
    ByteWriter out;
    out.U32le(0x9E2A83C1);
    out.U16le(kPackageVersion);
    out.U16le(0);  // licensee
    out.U32le(0);  // package flags
    const std::size_t tables = out.size();
    out.Zeros(6 * 4 + 2 * 4);  // name, export, import count/offset; heritage count/offset

    const std::size_t names = out.size();
    for (const char* name : kNames) {
        out.Raw(name);
        out.U8(0);
        out.U32le(0);  // object flags
    }
    const std::size_t imports = out.size();
    CompactIndex(out, kCore);   // class package
    CompactIndex(out, kClass);  // class name
    out.U32le(0);               // package
    CompactIndex(out, kMusic);  // object name: the class Music

    // The object: an empty property list ("None"), a chunk index, then the module's size
    // and bytes.
    ByteWriter object;
    CompactIndex(object, kNone);
    CompactIndex(object, 0);
    CompactIndex(object, static_cast<std::int64_t>(module.size()));
    object.Append(module);

    const std::size_t exports = out.size();
    CompactIndex(out, -1);  // class: import 1
    CompactIndex(out, 0);   // no super class
    out.U32le(0);           // package
    CompactIndex(out, kSong);
    out.U32le(0x00070004);  // object flags: public, loaded for client/server/editor
    CompactIndex(out, static_cast<std::int64_t>(object.size()));
    // The data follows this export entry, right after the offset's own index bytes.
    const std::size_t offsetAt = out.size();
    ByteWriter offset;
    for (std::size_t width = 1;; width = offset.size()) {
        offset = ByteWriter();
        CompactIndex(offset, static_cast<std::int64_t>(offsetAt + width));
        if (offset.size() == width) break;
    }
    out.Append(offset.bytes());
    out.Append(object.bytes());

    out.PutU32le(tables + 0, kNameCount);
    out.PutU32le(tables + 4, static_cast<std::uint32_t>(names));
    out.PutU32le(tables + 8, 1);
    out.PutU32le(tables + 12, static_cast<std::uint32_t>(exports));
    out.PutU32le(tables + 16, 1);
    out.PutU32le(tables + 20, static_cast<std::uint32_t>(imports));
    return std::move(out.bytes());
}

ModuleFile WriteUmx(const std::filesystem::path& path, const ModuleSpec& spec) {
    WriteFileBytes(path, UmxBytes(S3mBytes(spec)));
    return DescribeModule(spec, "s3m", 27, path);
}

}  // namespace media
