#include "app/tray_tip.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/display_text.h"

TEST(TrayTip, TitleAndTimesInTheirPlaces) {
    EXPECT_EQ(TrayTipText("Artist - Title", "1:05", "3:30"), "Artist - Title (1:05/3:30)");
    EXPECT_EQ(TrayTipText("", "0:00", "0:00"), " (0:00/0:00)");
}

TEST(TrayTip, SixtyThreeBytesAreKeptAndTheRestIsCut) {
    const std::string exactly(63, 'a');
    EXPECT_EQ(CutTrayTip(exactly), exactly);
    EXPECT_EQ(CutTrayTip(exactly + "b"), exactly);
    EXPECT_EQ(CutTrayTip(""), "");
}

TEST(TrayTip, LongTitlePushesTheTimesOut) {
    const std::string title(60, 't');
    EXPECT_EQ(TrayTipText(title, "12:34", "56:07"), title + " (1");
    EXPECT_EQ(TrayTipText(std::string(80, 't'), "0:01", "0:02"), std::string(63, 't'));
}

TEST(TrayTip, Utf8CharacterAcrossTheCutIsDroppedWhole) {
    const std::string cyrillic = "\xD0\x96";       // Ж, two bytes
    const std::string euro = "\xE2\x82\xAC";       // €, three bytes
    const std::string emoji = "\xF0\x9F\x8E\xB5";  // 🎵, four bytes

    // Ж at bytes 63-64 (1-based): its first byte is the 63rd, so it goes.
    EXPECT_EQ(CutTrayTip(std::string(62, 'a') + cyrillic), std::string(62, 'a'));
    // Ж at bytes 62-63 ends exactly at the cut and stays.
    EXPECT_EQ(CutTrayTip(std::string(61, 'a') + cyrillic + "z"), std::string(61, 'a') + cyrillic);
    EXPECT_EQ(CutTrayTip(std::string(61, 'a') + euro), std::string(61, 'a'));
    EXPECT_EQ(CutTrayTip(std::string(60, 'a') + emoji), std::string(60, 'a'));
    EXPECT_EQ(CutTrayTip(std::string(59, 'a') + emoji + "z"), std::string(59, 'a') + emoji);

    // A title of two-byte letters only: 31 whole letters fit.
    std::string russian;
    for (int i = 0; i < 40; ++i) russian += cyrillic;
    EXPECT_EQ(TrayTipText(russian, "0:01", "0:02").size(), 62u);
}

TEST(TrayTip, BytesThatAreNotUtf8AreCutAtTheByte) {
    // A Latin-1 title shows one character per byte: 0xE9 is é, not the start of a sequence.
    const std::string latin1 = std::string(62, 'a') + "\xE9\xE9\xE9";
    EXPECT_EQ(CutTrayTip(latin1), std::string(62, 'a') + "\xE9");
    // A broken sequence anywhere makes the whole text single-byte.
    const std::string broken = "\xC3" + std::string(61, 'a') + "\xD0\x96";
    EXPECT_EQ(CutTrayTip(broken).size(), 63u);
}

TEST(TrayTip, ShowsTheTitleAsTheCaptionShowsIt) {
    // A UTF-8 title cut inside its last character, as a full ID3v1 field cuts it: the tip
    // leaves the broken character out, as the caption does, and stays UTF-8.
    const std::string cut = std::string("Привет").substr(0, 11);
    EXPECT_EQ(DisplayText(TrayTipText(cut, "0:01", "0:02")),
              QString::fromUtf8("Приве (0:01/0:02)"));
    // A Windows-1251 title is one byte a letter: 63 of them fit, and they read as Russian.
    std::string kino = "\xCA\xE8\xED\xEE \xE8 \xE3\xF0\xF3\xEF\xEF\xE0 \xEA\xF0\xEE\xE2\xE8 ";
    while (kino.size() < 80) kino += kino;
    const std::string tip = TrayTipText(kino, "0:01", "0:02");
    EXPECT_EQ(tip.size(), 63u);
    EXPECT_EQ(DisplayText(tip), DisplayText(kino).left(63));
}
