#include "trackinfo/tag_text.h"

#include <gtest/gtest.h>

TEST(JoinArtistTitle, JoinsWhatIsPresent) {
    EXPECT_EQ(JoinArtistTitle("A", ""), "A");
    EXPECT_EQ(JoinArtistTitle("", "T"), "T");
    EXPECT_EQ(JoinArtistTitle("", ""), "");
    EXPECT_EQ(JoinArtistTitle("A", "T"), "A - T");
    EXPECT_EQ(JoinArtistTitle(" A", "T "), " A - T ");  // joined unchanged
}

TEST(TrimText, RemovesControlBytesAndBlanksButKeepsHighBytes) {
    EXPECT_EQ(TrimText("\t\x01 Song \r\n"), "Song");
    EXPECT_EQ(TrimText("   "), "");
    EXPECT_EQ(TrimText(""), "");
    // Bytes of 0x80 and above are text (Latin-1 letters, UTF-8 sequences, NBSP in CP1252).
    EXPECT_EQ(TrimText("\xA0\xC3\xA9\xFF"), "\xA0\xC3\xA9\xFF");
}
