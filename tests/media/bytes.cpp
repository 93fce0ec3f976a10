#include "tests/media/bytes.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace media {

void ByteWriter::U16le(unsigned v) {
    U8(v & 0xFF);
    U8((v >> 8) & 0xFF);
}

void ByteWriter::U32le(std::uint32_t v) {
    U16le(v & 0xFFFF);
    U16le(v >> 16);
}

void ByteWriter::U16be(unsigned v) {
    U8((v >> 8) & 0xFF);
    U8(v & 0xFF);
}

void ByteWriter::U32be(std::uint32_t v) {
    U16be(v >> 16);
    U16be(v & 0xFFFF);
}

void ByteWriter::Text(std::string_view text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) U8(i < text.size() ? text[i] : 0);
}

void ByteWriter::Raw(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void ByteWriter::PadTo(std::size_t size) {
    if (bytes_.size() < size) bytes_.resize(size, 0);
}

void ByteWriter::PutU16le(std::size_t at, unsigned v) {
    bytes_.at(at) = v & 0xFF;
    bytes_.at(at + 1) = (v >> 8) & 0xFF;
}

void ByteWriter::PutU32le(std::size_t at, std::uint32_t v) {
    PutU16le(at, v & 0xFFFF);
    PutU16le(at + 2, v >> 16);
}

void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

Bytes ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace media
