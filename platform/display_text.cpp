#include "platform/display_text.h"

#include <QFile>
#include <algorithm>

#include "platform/russian_text.h"

namespace {
// How many leading bytes form whole, well-formed UTF-8 characters; with `truncatedTail` set
// when the rest is the well-formed start of one character cut short.
size_t ValidUtf8Prefix(std::string_view bytes, bool& truncatedTail) {
    truncatedTail = false;
    const auto* begin = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* p = begin;
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        unsigned char lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;  // no UTF-16 surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;  // nothing past U+10FFFF
        } else {
            break;
        }
        const auto available = static_cast<int>(end - p) - 1;
        bool good = available < 1 || (p[1] >= lo && p[1] <= hi);
        for (int i = 2; good && i <= std::min(extra, available); ++i) good = (p[i] & 0xC0) == 0x80;
        if (!good) break;
        if (available < extra) {
            truncatedTail = true;
            break;
        }
        p += extra + 1;
    }
    return static_cast<size_t>(p - begin);
}
}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    bool truncated = false;
    return ValidUtf8Prefix(bytes, truncated) == bytes.size();
}

namespace {
// Whether the bytes show as UTF-8, and how many of them.
bool ShownAsUtf8(std::string_view bytes, size_t& shown) {
    bool truncated = false;
    shown = ValidUtf8Prefix(bytes, truncated);
    // A fixed-width field (an ID3v1 title) may cut the last character short: text that holds
    // other UTF-8 characters is still UTF-8, shown without the broken one. A lone high byte
    // at the end ("Caf\xE9") is not UTF-8.
    const std::string_view prefix = bytes.substr(0, shown);
    const bool utf8Before = std::any_of(
        prefix.begin(), prefix.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (shown == bytes.size() || (truncated && utf8Before)) return true;
    shown = bytes.size();
    return false;
}
}  // namespace

QString DisplayText(std::string_view bytes) {
    size_t shown = 0;
    if (ShownAsUtf8(bytes, shown)) return QString::fromUtf8(bytes.data(), qsizetype(shown));
    return DecodeEightBit(bytes, RussianCharsetOf(bytes).value_or(EightBitCharset::Windows1252));
}

QString DisplayPath(std::string_view path) {
    // Most paths are one set throughout: no need to take them apart.
    if (IsValidUtf8(path)) return QString::fromUtf8(path.data(), qsizetype(path.size()));
    QString shown;
    shown.reserve(qsizetype(path.size()));
    for (size_t start = 0;;) {
        const size_t slash = path.find('/', start);
        shown += DisplayText(
            path.substr(start, slash == std::string_view::npos ? slash : slash - start));
        if (slash == std::string_view::npos) return shown;
        shown += QLatin1Char('/');
        start = slash + 1;
    }
}

std::string_view ShownBytes(std::string_view bytes) {
    size_t shown = 0;
    ShownAsUtf8(bytes, shown);
    return bytes.substr(0, shown);
}

std::string PathBytes(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    return std::string(encoded.constData(), static_cast<size_t>(encoded.size()));
}
