// What kind of file a playlist entry is, from its extension alone.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// 0: no track, or an extension that is not one of the twelve; 1..12: ExtensionTable[code - 1].
using FormatCode = std::uint8_t;

inline constexpr std::array<std::string_view, 12> ExtensionTable = {
    ".MP3", ".MP2", ".MP1", ".OGG", ".WAV", ".MO3", ".IT", ".XM", ".S3M", ".MTM", ".MOD", ".UMX"};

// Codes 1..5 are decoded as streams; every other code, 0 included, goes to the module loader.
inline constexpr bool IsStreamFormat(FormatCode code) {
    return code >= 1 && code <= 5;
}

// Maps only the ASCII letters a..z; every other byte stays as it is.
char AsciiUpper(char c);

// True when `text`, upper-cased, is byte for byte `upper`.
bool EqualsUpperCased(std::string_view text, std::string_view upper);

// The extension is the text from the last '.' when no '/' follows it; it is compared
// upper-cased with the table, first match wins.
FormatCode ClassifyFile(std::string_view path);
