// The 10 Hz tick composes the caption and the tray tip afresh, so a title's display text is
// made ten times a second: a 60-byte title must take well under 5 µs in every set.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/display_text.h"
#include "tests/support/encode_text.h"

namespace {
// Padded with blanks to 60 bytes in each set.
const char* const kRussian = "Кино - Звезда по имени Солнце (Виктор Цой, концерт 1989 г.).";
const char* const kLatin = "Motörhead – Ace of Spades (Live at Hammersmith Odeon, ’81).";
const char* const kUtf8 = "Кино - Звезда по имени Солнце (1989)";

std::string Encoded(const char* utf8, const char* charset, std::size_t size) {
    std::string bytes = EncodeText(utf8, charset).value_or("");
    bytes.resize(size, ' ');
    return bytes;
}

void Convert(benchmark::State& state, const std::string& title) {
    for (auto _ : state) benchmark::DoNotOptimize(DisplayText(title));
    state.SetLabel(std::to_string(title.size()) + " bytes");
}

void BM_DisplayText_Windows1251(benchmark::State& s) {
    Convert(s, Encoded(kRussian, "CP1251", 60));
}
void BM_DisplayText_Koi8R(benchmark::State& s) {
    Convert(s, Encoded(kRussian, "KOI8-R", 60));
}
void BM_DisplayText_Cp866(benchmark::State& s) {
    Convert(s, Encoded(kRussian, "CP866", 60));
}
void BM_DisplayText_Windows1252(benchmark::State& s) {
    Convert(s, Encoded(kLatin, "CP1252", 60));
}
void BM_DisplayText_Utf8(benchmark::State& s) {
    Convert(s, Encoded(kUtf8, "UTF-8", 60));
}
BENCHMARK(BM_DisplayText_Windows1251)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DisplayText_Koi8R)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DisplayText_Cp866)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DisplayText_Windows1252)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DisplayText_Utf8)->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
