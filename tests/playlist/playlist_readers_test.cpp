// The lists of other players: m3u8, pls and xspf, their locations (absolute, relative,
// file:// URIs with percent-escapes, streams that are no files), comments and faults; and the
// file:// conversions they share with the desktop's OpenUri.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "playlist/file_uri.h"
#include "playlist/playlist_file.h"
#include "playlist/pls_reader.h"
#include "playlist/xspf_reader.h"
#include "tests/playlist/temp_folder.h"

using testing::ElementsAre;
using testing::IsEmpty;

TEST(FileUri, LocalPathsAndRoundTrips) {
    struct Case {
        const char* uri;
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"file:///music/a%20b.mp3", "/music/a b.mp3"},
        {"FILE://localhost/m/x.ogg", "/m/x.ogg"},
        {"file:/m/one.wav", "/m/one.wav"},
        {"file:///m/%D0%AF.mp3?x=1#frag", "/m/\xD0\xAF.mp3"},
        {"file:///m/%C0%zz%4", "/m/\xC0%zz%4"},  // broken escapes stay
        {"file://server/share/a.mp3", std::nullopt},
        {"http://host/a.mp3", std::nullopt},
        {"file:relative.mp3", std::nullopt},
        {"/plain/path.mp3", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(LocalPathFromFileUri(c.uri), c.path) << c.uri;
    const std::string odd = "/m/\xC0\xEF 100%#?.mp3";
    EXPECT_EQ(FileUriFromPath(odd), "file:///m/%C0%EF%20100%25%23%3F.mp3");
    EXPECT_EQ(LocalPathFromFileUri(FileUriFromPath(odd)), odd);
}

TEST(PlsList, NumberedFilesInNumberOrder) {
    const std::string text =
        "[playlist]\r\n"
        "; a comment\r\n"
        "File2=second.ogg\r\n"
        "Title2=Second\r\n"
        "file1 = /abs/first.mp3 \r\n"
        "File3=http://radio.example/stream\r\n"
        "File10=file:///m/ten%20.wav\n"
        "FileX=not-a-number.mp3\n"
        "File4=Artist:Song.mp3\n"
        "File5=file:///m/line%0Aend.mp3\n"  // could never be saved as one line
        "File2=second again.ogg\n"
        "NumberOfEntries=4\nVersion=2\n";
    EXPECT_THAT(ParsePlsPlaylist(text, "/lists"),
                ElementsAre("/abs/first.mp3", "/lists/second again.ogg", "/lists/Artist:Song.mp3",
                            "/m/ten .wav"));
    EXPECT_THAT(ParsePlsPlaylist("File1=\n[playlist]\n", "/l"), IsEmpty());
}

TEST(XspfList, TrackLocationsAsUriReferences) {
    const std::string text = R"(<?xml version="1.0" encoding="UTF-8"?>
<playlist version="1" xmlns="http://xspf.org/ns/0/">
  <title>Mix &amp; more</title>
  <location>file:///not/a/track.xspf</location>
  <trackList>
    <track><title>a > b</title><location>file:///music/A%20%26%20B.mp3</location>
           <location>file:///second/location/ignored.mp3</location></track>
    <!-- <track><location>commented.mp3</location></track> -->
    <track><location> sub/caf%C3%A9.ogg </location></track>
    <track><location>http://stream.example/live</location></track>
    <track><location><![CDATA[/abs/with&amp;.wav]]></location></track>
    <x:track xmlns:x="http://xspf.org/ns/0/"><x:location>rock&#x20;&#233;.mod</x:location></x:track>
    <track/>
    <track><location attr="a>b">/quoted/attr.it</location></track>
  </trackList>
</playlist>)";
    EXPECT_THAT(ParseXspfPlaylist(text, "/lists"),
                ElementsAre("/music/A & B.mp3", "/lists/sub/caf\xC3\xA9.ogg", "/abs/with&amp;.wav",
                            "/lists/rock \xC3\xA9.mod", "/quoted/attr.it"));
    // A document cut short gives what came before the fault.
    EXPECT_THAT(ParseXspfPlaylist("<track><location>/a.mp3</location></track><track><loc", "/"),
                ElementsAre("/a.mp3"));
    EXPECT_THAT(ParseXspfPlaylist("<track><location>/a.mp3", "/"), IsEmpty());
}

TEST(XspfList, CharacterReferences) {
    EXPECT_EQ(DecodeXmlText("&lt;&gt;&quot;&apos;&amp;"), "<>\"'&");
    EXPECT_EQ(DecodeXmlText("&#65;&#x42;&#X43;&#x1F3B5;"), "ABC\xF0\x9F\x8E\xB5");
    EXPECT_EQ(DecodeXmlText("&#0;&#xD800;&#x110000;&nbsp;&;&#;& x;"),
              "&#0;&#xD800;&#x110000;&nbsp;&;&#;& x;");
}

TEST(M3uList, FileUrisAndStreamsInPlainLists) {
    EXPECT_THAT(
        ParseM3uPlaylist("#EXTM3U\nfile:///m/a%20b.mp3\nhttp://radio/x\nB:side.mp3\n", "/l"),
        ElementsAre("/m/a b.mp3", "/l/B:side.mp3"));
}

TEST(PlaylistReaders, ReadPlaylistFileFindsEachKindBesideTheList) {
    TempFolder folder;
    WriteBytes(folder / "a.m3u8", "\xEF\xBB\xBF#EXTM3U\n#EXTINF:1,\xD0\xAF\n\xD0\xAF.mp3\n");
    WriteBytes(folder / "b.pls", "[playlist]\nFile1=x.ogg\n");
    WriteBytes(folder / "c.xspf",
               "<playlist><trackList><track><location>y%20z.wav</location>"
               "</track></trackList></playlist>");
    EXPECT_THAT(ReadPlaylistFile(folder / "a.m3u8"), ElementsAre(folder / "\xD0\xAF.mp3"));
    EXPECT_THAT(ReadPlaylistFile(folder / "b.pls"), ElementsAre(folder / "x.ogg"));
    EXPECT_THAT(ReadPlaylistFile(folder / "c.xspf"), ElementsAre(folder / "y z.wav"));
}
