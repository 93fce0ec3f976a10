// Single-byte character sets that legacy tags and file names come in, and their decoding.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string_view>

enum class EightBitCharset : std::uint8_t { Windows1252, Windows1251, Koi8R, Cp866 };

// What the bytes 0x80..0xFF stand for; 0x00..0x7F are ASCII in all four. Numbers a set leaves
// undefined stand for the C1 control of the same number.
const std::array<char16_t, 128>& UpperHalf(EightBitCharset charset);

QString DecodeEightBit(std::string_view bytes, EightBitCharset charset);
