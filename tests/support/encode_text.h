// UTF-8 test text as a single-byte set would store it, by the C library's converter: an
// outside check of our own decoding tables.
#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

// Nothing when the set lacks one of the characters.
inline std::optional<std::string> EncodeText(std::string_view utf8, const char* charset) {
    iconv_t converter = iconv_open(charset, "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string in(utf8), out(utf8.size() * 4 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    const bool whole = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1);
    iconv_close(converter);
    if (!whole) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}
