#include "platform/russian_text.h"

#include <cstdint>
#include <utility>

namespace {

constexpr int kLetters = 33;  // а..я; ё counts as е
constexpr int kBoundary = kLetters;
constexpr int kNoLetter = kLetters + 1;  // a Cyrillic letter outside Russian: pairs weigh 0

// How common a pair of letters is in Russian words: 1 + log2 of its count over a large body
// of Russian interface texts, at most 15; 0 for a pair that never occurred. Rows: the first
// letter, columns: the second; index 33 is the word's start (row) or end (column).
constexpr std::uint8_t kPairWeight[kLetters + 1][kLetters + 1] = {
    {7,  11, 12, 11, 12, 12, 11, 13, 8, 13, 12, 13, 12, 14, 6,  12, 13,
     12, 14, 9,  8,  10, 11, 11, 9,  9, 0,  0,  0,  3,  10, 12, 0,  15},
    {11, 4, 4,  3, 7, 10, 0, 4, 10, 0,  11, 12, 4, 10, 11, 3, 11,
     8,  5, 11, 2, 8, 9,  3, 2, 10, 10, 11, 4,  3, 2,  6,  0, 8},
    {13, 0, 9,  4, 7, 13, 0, 6, 12, 0, 11, 12, 9, 11, 13, 8, 10,
     10, 9, 11, 0, 9, 0,  1, 7, 7,  0, 12, 6,  2, 2,  7,  0, 13},
    {11, 4, 6,  8, 8, 10, 0, 0, 11, 0, 4, 9, 8, 10, 12, 3, 11,
     6,  4, 11, 2, 4, 3,  5, 0, 0,  0, 3, 0, 3, 3,  2,  0, 10},
    {14, 3, 9,  7, 10, 13, 9, 6, 12, 0, 9, 12, 7, 11, 13, 9, 10,
     10, 6, 11, 3, 7,  5,  6, 7, 0,  0, 9, 5,  4, 5,  7,  0, 11},
    {8,  10, 12, 11, 13, 10, 11, 10, 10, 11, 13, 13, 13, 15, 10, 11, 14,
     13, 14, 8,  7,  8,  10, 10, 10, 11, 0,  0,  0,  4,  6,  7,  0,  15},
    {10, 7, 2, 2, 10, 12, 0, 0, 12, 0, 8, 2, 4, 11, 6, 4, 2,
     6,  1, 8, 0, 0,  0,  0, 3, 0,  0, 0, 2, 2, 0,  0, 0, 7},
    {13, 7, 11, 4, 11, 9, 4, 4, 10, 0, 8,  7, 12, 11, 12, 2, 9,
     7,  1, 10, 0, 0,  5, 5, 0, 0,  1, 10, 4, 0,  1,  10, 0, 11},
    {10, 12, 12, 10, 11, 13, 7,  12, 12, 12, 12, 12, 13, 13, 9,  11, 12,
     13, 13, 5,  11, 9,  11, 11, 10, 6,  0,  0,  0,  0,  10, 13, 0,  14},
    {3,  4,  5, 4, 9, 7, 0, 4, 5, 0, 8, 12, 7, 8, 8, 4, 6,
     11, 10, 2, 4, 2, 5, 6, 5, 0, 0, 4, 0,  0, 4, 5, 0, 14},
    {14, 5,  7,  3, 3, 11, 5, 4, 13, 0, 6, 12, 5, 9, 13, 4, 11,
     11, 11, 11, 3, 6, 11, 2, 5, 0,  0, 3, 4,  7, 4, 2,  0, 12},
    {13, 9, 5,  7, 6, 13, 10, 2, 13, 0, 9, 8,  6, 11, 13, 4, 0,
     8,  6, 10, 4, 3, 0,  9,  0, 1,  0, 9, 13, 3, 11, 13, 0, 12},
    {12, 8, 11, 4, 4, 14, 0, 0, 11, 0, 8,  7, 10, 10, 12, 9, 2,
     8,  2, 10, 3, 3, 3,  2, 4, 0,  0, 11, 3, 4,  3,  11, 0, 13},
    {14, 4,  7,  10, 12, 15, 3, 8, 14, 0, 10, 5, 4, 13, 14, 3, 4,
     11, 12, 11, 10, 7,  8,  8, 6, 0,  0, 13, 9, 1, 7,  10, 0, 12},
    {6,  13, 14, 12, 13, 12, 12, 12, 10, 12, 13, 14, 13, 12, 10, 12, 13,
     13, 13, 7,  7,  9,  9,  11, 12, 7,  0,  0,  0,  5,  3,  9,  0,  14},
    {13, 2, 3,  0, 1, 12, 0, 0, 12, 0, 7, 9, 1, 8, 14, 9, 14,
     7,  8, 12, 2, 4, 8,  2, 4, 0,  0, 9, 6, 2, 5, 7,  0, 10},
    {14, 7,  10, 10, 8,  14, 11, 5, 13, 0, 9,  7, 11, 12, 14, 7, 10,
     11, 11, 12, 6,  10, 5,  5,  9, 1,  0, 11, 7, 3,  4,  9,  0, 12},
    {11, 9,  9,  6, 7, 12, 8, 0, 12, 0, 13, 12, 10, 9, 13, 12, 9,
     11, 14, 11, 5, 9, 7,  8, 9, 0,  6, 10, 12, 4,  4, 12, 0,  12},
    {13, 6, 12, 3, 6, 13, 0, 6, 13, 0, 11, 8,  8, 12, 13, 8, 13,
     13, 6, 11, 6, 5, 0,  8, 2, 2,  0, 11, 14, 4, 5,  7,  0, 13},
    {8,  10, 8, 9, 12, 11, 10, 9, 6,  8, 11, 10, 11, 10, 6, 11, 11,
     12, 11, 3, 8, 6,  5,  10, 8, 10, 0, 0,  0,  7,  11, 4, 0,  12},
    {12, 0, 0,  4, 0, 9, 0, 0, 11, 0, 2, 9, 3, 3, 11, 1, 9,
     5,  7, 10, 7, 2, 0, 0, 0, 0,  0, 3, 5, 1, 0, 1,  0, 6},
    {9, 2, 7, 0, 2, 9, 0, 0, 10, 0, 0, 4, 5, 7, 11, 1, 9,
     6, 4, 6, 3, 3, 0, 0, 2, 0,  0, 2, 2, 5, 0, 2,  0, 12},
    {10, 3, 8, 3, 2, 11, 0, 2, 12, 0, 8, 2, 0, 1, 7, 6, 0,
     4,  2, 8, 0, 3, 3,  0, 0, 0,  0, 9, 0, 0, 2, 0, 0, 9},
    {11, 0,  2, 0, 2, 12, 4, 0, 12, 0, 9, 6, 3, 11, 7, 0, 3,
     5,  10, 7, 0, 3, 0,  2, 4, 0,  0, 0, 6, 0, 0,  0, 0, 9},
    {10, 1, 6, 0, 0, 11, 0, 0, 12, 0, 10, 8, 4, 9, 8, 2, 7,
     7,  7, 6, 0, 0, 0,  2, 0, 0,  0, 2,  4, 0, 0, 3, 0, 8},
    {9, 0, 0, 0, 0, 12, 0, 0, 10, 0, 0, 0, 0, 4, 0, 0, 0,
     0, 0, 6, 0, 0, 0,  0, 0, 0,  0, 0, 6, 0, 0, 0, 0, 4},
    {0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 6, 0, 0},
    {0, 9,  11, 6, 9,  11, 5, 8, 0, 13, 10, 10, 10, 5, 0, 10, 10,
     8, 11, 0,  0, 11, 2,  8, 8, 4, 0,  0,  0,  2,  0, 4, 0,  13},
    {0,  6, 5, 5, 5, 7, 0, 12, 4, 0, 10, 0, 6, 12, 6, 4, 2,
     10, 9, 0, 4, 0, 7, 4, 9,  0, 0, 0,  0, 0, 8,  8, 0, 14},
    {0, 2,  4, 5, 4, 0, 0, 3, 2, 5, 8, 10, 6, 7, 0, 4, 6,
     7, 10, 3, 6, 3, 2, 0, 7, 0, 0, 0, 0,  0, 0, 0, 0, 5},
    {2, 6,  0, 3, 5, 0, 7,  3, 3,  3, 5, 3, 4, 6, 2, 3, 7,
     5, 10, 0, 2, 0, 2, 11, 0, 10, 0, 0, 0, 2, 5, 0, 0, 11},
    {2, 5,  9, 5, 8, 10, 4, 10, 0, 5, 5, 5, 8, 10, 3, 5, 8,
     7, 10, 4, 2, 7, 7,  5, 1,  7, 0, 0, 0, 4, 8,  9, 0, 15},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {12, 13, 14, 11, 14, 9,  8,  13, 14, 6, 14, 11, 12, 15, 14, 15, 13,
     15, 13, 13, 13, 10, 10, 11, 10, 5,  0, 5,  0,  11, 7,  10, 0,  0},
};

// A reading weighs in only when it is this Russian-like per letter pair; Windows-1251, the
// most common, is given a little extra so that short words (ДДТ) go its way.
constexpr double kRussianEnough = 6.0;
constexpr double kWindows1251Bonus = 1.0;

enum class Kind : std::uint8_t { Separator, Latin, Lower, Upper, OtherCyrillic, Impossible };

struct ByteKind {
    Kind kind = Kind::Separator;
    std::uint8_t letter = kNoLetter;
};

bool IsTitlePunctuation(char16_t c) {
    switch (c) {
        case 0x00A0:
        case 0x00A7:
        case 0x00A9:
        case 0x00AB:
        case 0x00AD:
        case 0x00AE:
        case 0x00B0:
        case 0x00B1:
        case 0x00B7:
        case 0x00BB:
        case 0x2013:
        case 0x2014:
        case 0x2018:
        case 0x2019:
        case 0x201A:
        case 0x201C:
        case 0x201D:
        case 0x201E:
        case 0x2020:
        case 0x2021:
        case 0x2022:
        case 0x2026:
        case 0x20AC:
        case 0x2116:
        case 0x2122:
            return true;
        default:
            return false;
    }
}

ByteKind KindOf(char16_t c) {
    if (c < 0x80) {
        const bool latin = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        return {latin ? Kind::Latin : Kind::Separator, kNoLetter};
    }
    if (c >= 0x0430 && c <= 0x044F) return {Kind::Lower, static_cast<std::uint8_t>(c - 0x0430)};
    if (c >= 0x0410 && c <= 0x042F) return {Kind::Upper, static_cast<std::uint8_t>(c - 0x0410)};
    constexpr std::uint8_t kIe = 5;
    if (c == 0x0451) return {Kind::Lower, kIe};
    if (c == 0x0401) return {Kind::Upper, kIe};
    if ((c >= 0x0400 && c <= 0x045F) || c == 0x0490 || c == 0x0491)
        return {Kind::OtherCyrillic, kNoLetter};
    return {IsTitlePunctuation(c) ? Kind::Separator : Kind::Impossible, kNoLetter};
}

using KindTable = std::array<ByteKind, 256>;

KindTable KindsOf(EightBitCharset charset) {
    KindTable kinds{};
    const auto& upper = UpperHalf(charset);
    for (int byte = 0; byte < 256; ++byte)
        kinds[byte] = KindOf(byte < 0x80 ? char16_t(byte) : upper[byte - 0x80]);
    return kinds;
}

struct Reading {
    bool possible = true;
    int russianLetters = 0;
    int weight = 0;
    int pairs = 0;
};

// One word at a time: Latin words count for nothing, Cyrillic ones add their pairs' weights
// unless their case is odd (only all lower, all upper or a capital first read as words).
class WordWeigher {
  public:
    explicit WordWeigher(Reading& reading) : reading_(reading) {}

    bool Add(ByteKind k) {
        switch (k.kind) {
            case Kind::Impossible:
                return false;
            case Kind::Separator:
                End();
                return true;
            case Kind::Latin:
                latin_ = true;
                return !cyrillic_;
            case Kind::Lower:
            case Kind::Upper:
            case Kind::OtherCyrillic:
                break;
        }
        if (latin_) return false;
        cyrillic_ = true;
        Pair(k.letter);
        if (k.kind == Kind::OtherCyrillic) return true;
        ++letters_;
        if (k.kind == Kind::Upper) {
            if (letters_ == 1) capitalFirst_ = true;
            ++uppers_;
        }
        return true;
    }

    void End() {
        if (cyrillic_) {
            Pair(kBoundary);
            const bool plainCase =
                uppers_ == 0 || uppers_ == letters_ || (uppers_ == 1 && capitalFirst_);
            if (plainCase) reading_.weight += weight_;
            reading_.pairs += pairs_;
            reading_.russianLetters += letters_;
        }
        latin_ = cyrillic_ = capitalFirst_ = false;
        letters_ = uppers_ = weight_ = pairs_ = 0;
        previous_ = kBoundary;
    }

  private:
    void Pair(int next) {
        if (previous_ != kNoLetter && next != kNoLetter) weight_ += kPairWeight[previous_][next];
        ++pairs_;
        previous_ = next;
    }

    Reading& reading_;
    bool latin_ = false, cyrillic_ = false, capitalFirst_ = false;
    int letters_ = 0, uppers_ = 0, weight_ = 0, pairs_ = 0;
    int previous_ = kBoundary;
};

Reading Read(std::string_view bytes, const KindTable& kinds) {
    Reading reading;
    WordWeigher words(reading);
    for (const char c : bytes) {
        if (!words.Add(kinds[static_cast<unsigned char>(c)])) {
            reading.possible = false;
            return reading;
        }
    }
    words.End();
    return reading;
}

}  // namespace

std::optional<EightBitCharset> RussianCharsetOf(std::string_view bytes) {
    static const std::array<std::pair<EightBitCharset, KindTable>, 3> kReadings = {{
        {EightBitCharset::Windows1251, KindsOf(EightBitCharset::Windows1251)},
        {EightBitCharset::Koi8R, KindsOf(EightBitCharset::Koi8R)},
        {EightBitCharset::Cp866, KindsOf(EightBitCharset::Cp866)},
    }};
    std::optional<EightBitCharset> best;
    double bestScore = kRussianEnough;
    for (const auto& [charset, kinds] : kReadings) {
        const Reading reading = Read(bytes, kinds);
        // One letter alone says nothing about its character set.
        if (!reading.possible || reading.russianLetters < 2) continue;
        double score = static_cast<double>(reading.weight) / reading.pairs;
        if (charset == EightBitCharset::Windows1251) score += kWindows1251Bonus;
        if (score >= bestScore && (!best || score > bestScore)) {
            best = charset;
            bestScore = score;
        }
    }
    return best;
}
