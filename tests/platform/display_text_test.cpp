// Bytes to display text: valid UTF-8 as UTF-8, Russian single-byte text as its set, anything
// else as Windows-1252, never changing the bytes the player keeps.
#include <gtest/gtest.h>

#include "platform/display_text.h"

namespace {

TEST(Utf8Validity, AcceptsWellFormedAndRejectsMalformed) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ascii"));
    EXPECT_TRUE(IsValidUtf8("Громкость"));
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x8E\xB5"));   // U+1F3B5
    EXPECT_FALSE(IsValidUtf8("Caf\xE9"));           // ISO-8859-1
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a UTF-16 surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\x80"));              // a lone continuation byte
    EXPECT_FALSE(IsValidUtf8("\xD0"));              // cut short
}

TEST(DisplayText, ValidUtf8ShowsAsUtf8) {
    EXPECT_EQ(DisplayText("Четыре"), QString::fromUtf8("Четыре"));
    EXPECT_EQ(DisplayText(std::string_view("a\0b", 3)).size(), 3);
}

TEST(DisplayText, AnythingElseShowsByteForByteAsWindows1252) {
    EXPECT_EQ(DisplayText("Caf\xE9"), QString::fromUtf8("Café"));
    EXPECT_EQ(DisplayText("\xC0\xAF"), QString::fromUtf8("À¯"));
    EXPECT_EQ(DisplayText("M\xE4"
                          "dchen \xE4\xF6\xFC"),
              QString::fromUtf8("Mädchen äöü"));
    // The printable 0x80..0x9F characters; the five numbers Windows-1252 leaves free stay
    // the C1 controls of those numbers, as in ISO-8859-1.
    EXPECT_EQ(DisplayText("Don\x92t \x96 \x93Heroes\x94\x85 \x80\x99"),
              QString::fromUtf8("Don’t – “Heroes”… €™"));
    EXPECT_EQ(DisplayText("Take\x81\x8D\x8F\x90\x9D"),
              QString::fromUtf8("Take\u0081\u008D\u008F\u0090\u009D"));
}

TEST(DisplayText, RussianShowsAsTheSetItWasWrittenIn) {
    // "Кино - Группа крови" and a word with Ё in each set; Windows-1251 with its own dash and
    // quotes.
    const struct {
        const char* bytes;
        const char* shown;
    } cases[] = {
        {"\xCA\xE8\xED\xEE - \xC3\xF0\xF3\xEF\xEF\xE0 \xEA\xF0\xEE\xE2\xE8", "Кино - Группа крови"},
        {"\xEB\xC9\xCE\xCF - \xE7\xD2\xD5\xD0\xD0\xC1 \xCB\xD2\xCF\xD7\xC9", "Кино - Группа крови"},
        {"\x8A\xA8\xAD\xAE - \x83\xE0\xE3\xAF\xAF\xA0 \xAA\xE0\xAE\xA2\xA8", "Кино - Группа крови"},
        {"\xA8\xE6\xE8\xEA", "Ёжик"},
        {"\xB3\xD6\xC9\xCB", "Ёжик"},
        {"\x85\xE9\xF1", "Ещё"},
        {"\xAB\xCA\xE8\xED\xEE\xBB \x96 \xB9 1", "«Кино» – № 1"},
        // Latin words beside Russian ones are fine; one word mixing both is not Russian.
        {"DDT \x97 \xD0\xEE\xE4\xE8\xED\xE0", "DDT — Родина"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplayText(c.bytes), QString::fromUtf8(c.shown)) << c.shown;
}

TEST(DisplayText, AUtf8TextCutInsideItsLastCharacterStaysUtf8) {
    // "Привет" cut after 11 of its 12 bytes, as a 30-byte ID3v1 field cuts long titles.
    const std::string cut = std::string("Привет").substr(0, 11);
    EXPECT_EQ(DisplayText(cut), QString::fromUtf8("Приве"));
    // A cut with no whole UTF-8 character before it is not taken for UTF-8.
    EXPECT_EQ(DisplayText("Caf\xC3"), QString::fromUtf8("CafÃ"));
}

TEST(DisplayPath, EachNameShowsInItsOwnSet) {
    const struct {
        std::string_view bytes;
        const char* shown;
    } cases[] = {
        {"/music/Песня.mp3", "/music/Песня.mp3"},
        // A Windows-1251 name in a UTF-8 folder, and a Latin-1 one beside it.
        {"/home/u/Музыка/\xCA\xE8\xED\xEE - \xCB\xE5\xF2\xEE.mp3",
         "/home/u/Музыка/Кино - Лето.mp3"},
        {"/Музыка/Caf\xE9/01.ogg", "/Музыка/Café/01.ogg"},
        {"//a/\xE9/", "//a/é/"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplayPath(c.bytes), QString::fromUtf8(c.shown)) << c.shown;
    // Whole, the first mixed path would not read as any one set.
    EXPECT_NE(DisplayText(cases[1].bytes), QString::fromUtf8(cases[1].shown));
}

TEST(PathBytes, RoundTripsThroughDisplayForUtf8Names) {
    EXPECT_EQ(PathBytes(DisplayText("/music/Песня.mp3")), "/music/Песня.mp3");
}

}  // namespace
