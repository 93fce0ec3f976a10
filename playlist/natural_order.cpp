#include "playlist/natural_order.h"

#include <QString>
#include <algorithm>
#include <numeric>

#include "platform/display_text.h"

namespace {
bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A run of digits starting at `at`: where its value begins (past leading zeros) and its end.
std::pair<qsizetype, qsizetype> DigitRun(const QString& text, qsizetype at) {
    qsizetype value = at;
    while (value < text.size() && text[value] == u'0') ++value;
    qsizetype end = value;
    while (end < text.size() && IsDigit(text[end])) ++end;
    return {value, end};
}

// Negative, zero or positive as `a` sorts before, with or after `b`.
int CompareNatural(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const auto [a_value, a_end] = DigitRun(a, i);
            const auto [b_value, b_end] = DigitRun(b, j);
            // Without leading zeros the longer run is the larger number.
            if (a_end - a_value != b_end - b_value)
                return a_end - a_value < b_end - b_value ? -1 : 1;
            for (qsizetype k = 0; k < a_end - a_value; ++k)
                if (a[a_value + k] != b[b_value + k])
                    return a[a_value + k] < b[b_value + k] ? -1 : 1;
            i = a_end;
            j = b_end;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    return (i < a.size()) - (j < b.size());
}
}  // namespace

void SortNaturally(std::vector<std::string>& names) {
    std::vector<QString> shown;
    shown.reserve(names.size());
    for (const std::string& name : names) shown.push_back(DisplayText(name));
    std::vector<size_t> order(names.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t x, size_t y) {
        const int by_sight = CompareNatural(shown[x], shown[y]);
        return by_sight != 0 ? by_sight < 0 : names[x] < names[y];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (size_t k : order) sorted.push_back(std::move(names[k]));
    names = std::move(sorted);
}
