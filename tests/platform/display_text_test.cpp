// Bytes to display text: valid UTF-8 as UTF-8, anything else as ISO-8859-1, never changing
// the bytes the player keeps.
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

TEST(DisplayText, AnythingElseShowsByteForByteAsLatin1) {
    EXPECT_EQ(DisplayText("Caf\xE9"), QString::fromUtf8("Café"));
    EXPECT_EQ(DisplayText("\xC0\xAF"), QString::fromUtf8("À¯"));
    const QString shown = DisplayText("\xE4\xF6\xFC");
    EXPECT_EQ(shown, QString::fromUtf8("äöü"));
}

TEST(DisplayText, AUtf8TextCutInsideItsLastCharacterStaysUtf8) {
    // "Привет" cut after 11 of its 12 bytes, as a 30-byte ID3v1 field cuts long titles.
    const std::string cut = std::string("Привет").substr(0, 11);
    EXPECT_EQ(DisplayText(cut), QString::fromUtf8("Приве"));
    // A cut with no whole UTF-8 character before it is not taken for UTF-8.
    EXPECT_EQ(DisplayText("Caf\xC3"), QString::fromUtf8("CafÃ"));
}

TEST(PathBytes, RoundTripsThroughDisplayForUtf8Names) {
    EXPECT_EQ(PathBytes(DisplayText("/music/Песня.mp3")), "/music/Песня.mp3");
}

}  // namespace
