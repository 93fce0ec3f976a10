// Little helpers for building binary files: byte buffers with endian-aware appenders,
// and whole-file reads and writes that throw on failure.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace media {

using Bytes = std::vector<std::uint8_t>;

// Appends integers and texts to a byte buffer; Put* write at a fixed offset.
class ByteWriter {
  public:
    Bytes& bytes() { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

    void U8(unsigned v) { bytes_.push_back(static_cast<std::uint8_t>(v)); }
    void U16le(unsigned v);
    void U32le(std::uint32_t v);
    void U16be(unsigned v);
    void U32be(std::uint32_t v);
    // Writes the text cut or NUL-padded to exactly width bytes.
    void Text(std::string_view text, std::size_t width);
    void Raw(std::string_view text);
    void Append(const Bytes& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }
    void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    void PadTo(std::size_t size);

    void PutU16le(std::size_t at, unsigned v);
    void PutU32le(std::size_t at, std::uint32_t v);

  private:
    Bytes bytes_;
};

void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::filesystem::path& path);

}  // namespace media
