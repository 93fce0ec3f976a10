#include "platform/display_text.h"

#include <QFile>

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
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
            return false;
        }
        if (end - p <= extra) return false;
        if (p[1] < lo || p[1] > hi) return false;
        for (int i = 2; i <= extra; ++i)
            if ((p[i] & 0xC0) != 0x80) return false;
        p += extra + 1;
    }
    return true;
}

QString DisplayText(std::string_view bytes) {
    const auto size = static_cast<qsizetype>(bytes.size());
    if (IsValidUtf8(bytes)) return QString::fromUtf8(bytes.data(), size);
    return QString::fromLatin1(bytes.data(), size);
}

std::string PathBytes(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    return std::string(encoded.constData(), static_cast<size_t>(encoded.size()));
}
