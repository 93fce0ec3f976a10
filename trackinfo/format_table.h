// The formats the player knows, in one table: what kind of file a playlist entry is (from its
// extension alone), how it is opened, where its title comes from, where it stands in the
// folder scan and which MIME types name it. Everything else about formats is derived from it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// 0: no track, or an extension the table does not know; otherwise the row's code.
using FormatCode = std::uint8_t;

namespace format {
// The codes of the original twelve are 1..12 in this order; later formats follow them.
enum Code : FormatCode {
    None = 0,
    Mp3,
    Mp2,
    Mp1,
    Ogg,
    Wav,
    Mo3,
    It,
    Xm,
    S3m,
    Mtm,
    Mod,
    Umx,
    Flac,
    Opus,
};
}  // namespace format

enum class OpenedAs { Stream, ModuleMusic };

// Asked before the file name.
enum class TitleSource {
    Id3,             // ID3v2, then ID3v1 when ID3v2 named neither artist nor title
    VorbisComments,  // the engine's tag kind 2
    None,            // always the file name
    ModuleName,
};

// What the desktop's shared MIME database is told about a format's extension.
enum class MimeGlob {
    Known,    // freedesktop already maps the extension to the format's first type
    Added,    // our package adds the extension to the first type, which freedesktop has
    NewType,  // our package defines the first type (with `comment`) and the extension
};

struct FormatRow {
    format::Code code;
    std::string_view extension;  // upper case, with its dot
    OpenedAs opened;
    TitleSource title;
    int scanOrder;  // 1 is tried first by the folder scan
    // ';'-separated, the one the extension stands for first; others are aliases the file
    // manager may report for it.
    std::string_view mimeTypes;
    MimeGlob glob = MimeGlob::Known;
    std::string_view comment{};    // NewType only: English
    std::string_view commentRu{};  // NewType only: Russian
};

inline constexpr std::array<FormatRow, 14> kFormatTable = {{
    {format::Mp3, ".MP3", OpenedAs::Stream, TitleSource::Id3, 1, "audio/mpeg"},
    {format::Mp2, ".MP2", OpenedAs::Stream, TitleSource::Id3, 2, "audio/mp2"},
    {format::Mp1, ".MP1", OpenedAs::Stream, TitleSource::Id3, 12, "audio/mpeg", MimeGlob::Added},
    {format::Ogg, ".OGG", OpenedAs::Stream, TitleSource::VorbisComments, 3,
     "audio/ogg;audio/x-vorbis+ogg"},
    {format::Wav, ".WAV", OpenedAs::Stream, TitleSource::None, 4, "audio/x-wav"},
    {format::Mo3, ".MO3", OpenedAs::ModuleMusic, TitleSource::ModuleName, 5, "audio/x-mo3"},
    {format::It, ".IT", OpenedAs::ModuleMusic, TitleSource::ModuleName, 6, "audio/x-it"},
    {format::Xm, ".XM", OpenedAs::ModuleMusic, TitleSource::ModuleName, 7, "audio/x-xm"},
    {format::S3m, ".S3M", OpenedAs::ModuleMusic, TitleSource::ModuleName, 8, "audio/x-s3m"},
    {format::Mtm, ".MTM", OpenedAs::ModuleMusic, TitleSource::ModuleName, 9, "audio/x-mod"},
    {format::Mod, ".MOD", OpenedAs::ModuleMusic, TitleSource::ModuleName, 10, "audio/x-mod"},
    {format::Umx, ".UMX", OpenedAs::ModuleMusic, TitleSource::ModuleName, 11, "audio/x-umx",
     MimeGlob::NewType, "Unreal music package", "Музыкальный пакет Unreal"},
    {format::Flac, ".FLAC", OpenedAs::Stream, TitleSource::VorbisComments, 13, "audio/flac"},
    {format::Opus, ".OPUS", OpenedAs::Stream, TitleSource::VorbisComments, 14, "audio/x-opus+ogg"},
}};

// The row of a code; none for 0 or a code past the table.
const FormatRow* FindFormat(FormatCode code);

// Streams are decoded by the engine's stream decoders; every other code, 0 included, goes to
// the module loader.
bool IsStreamFormat(FormatCode code);

// Maps only the ASCII letters a..z; every other byte stays as it is.
char AsciiUpper(char c);

// True when `text`, upper-cased, is byte for byte `upper`.
bool EqualsUpperCased(std::string_view text, std::string_view upper);

// The extension with its dot: from the last '.' to the end, provided no '/' follows that dot;
// empty when there is none.
std::string_view ExtensionOf(std::string_view path);

// The extension, upper-cased, compared with the table's; 0 when it is none of them.
FormatCode ClassifyFile(std::string_view path);

// "*" and the row's extension in lower case: "*.mp3".
std::string LowerCasePattern(const FormatRow& row);

// The table's rows in folder-scan order.
std::array<const FormatRow*, kFormatTable.size()> RowsInScanOrder();

// Each MIME type of the table once, in the table's order.
std::span<const std::string_view> FormatMimeTypes();
