// Recognises Russian text in bytes that declare no character set (ID3v1 fields, ID3v2 text
// marked ISO-8859-1, file names), as written on Russian systems before UTF-8.
#pragma once

#include <optional>
#include <string_view>

#include "platform/eight_bit_text.h"

// The Russian single-byte set (Windows-1251, KOI8-R or CP866) in which the bytes read best as
// Russian words; nothing when they read as Russian in none of them. A reading is ruled out by
// a character no title would hold (box drawing, control codes) or by a word that mixes Latin
// and Cyrillic letters, the mark of accented Latin ("Caf\xE9" reads "Cafй" in Windows-1251).
// The rest are weighed by how common their letter pairs are in Russian.
std::optional<EightBitCharset> RussianCharsetOf(std::string_view bytes);
