#include "platform/streamplaylist.h"

#include <gtest/gtest.h>

using namespace skywell;

namespace
{

const QString kBase = QStringLiteral("http://radio.example:8000/lists/station.pls");

TEST(StreamPlaylist, TellsPlaylistsByNameContentAndType)
{
    EXPECT_TRUE(namesPlaylist(QStringLiteral("http://x/listen.pls")));
    EXPECT_TRUE(namesPlaylist(QStringLiteral("http://x/listen.M3U?sid=1")));
    EXPECT_FALSE(namesPlaylist(QStringLiteral("http://x/live.m3u8")));
    EXPECT_FALSE(namesPlaylist(QStringLiteral("http://x/stream.mp3?list=.pls")));

    const QString any = QStringLiteral("http://x/stream");
    EXPECT_EQ(playlistKind("\xEF\xBB\xBF\r\n[Playlist]\nFile1=http://a/\n", "", any), PlaylistKind::Pls);
    EXPECT_EQ(playlistKind("#EXTM3U\n#EXTINF:-1,Radio\nhttp://a/\n", "", any), PlaylistKind::M3u);
    EXPECT_EQ(playlistKind("#EXTM3U\n#EXT-X-TARGETDURATION:6\nseg0.ts\n", "audio/x-mpegurl", any), PlaylistKind::Hls);
    EXPECT_EQ(playlistKind("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nlow.m3u8\n", "", any), PlaylistKind::Hls);
    EXPECT_EQ(playlistKind("http://a/stream\n", "audio/x-scpls", any), PlaylistKind::Pls);
    EXPECT_EQ(playlistKind("http://a/stream\n", "audio/x-mpegurl; charset=utf-8", any), PlaylistKind::M3u);
    EXPECT_EQ(playlistKind("http://a/stream\n", "text/plain", QStringLiteral("http://x/a.m3u")), PlaylistKind::M3u);
    EXPECT_EQ(playlistKind("<html><body>Listen</body></html>", "text/html", any), PlaylistKind::NotPlaylist);
    // Audio is never a playlist, whatever the server calls it.
    EXPECT_EQ(playlistKind(QByteArray("\xFF\xFB\x90\x00\x00\x01", 6), "audio/x-mpegurl", any),
              PlaylistKind::NotPlaylist);
}

TEST(StreamPlaylist, ListsTheStreamsOfAPlsByTheirNumbers)
{
    const QByteArray pls = "[playlist]\nNumberOfEntries=3\nFile2=http://second/\nTitle1=One\n"
                           "File1=http://first:8000/live\nFile3=http://third/\nVersion=2\nFile4=http://second/\n";
    EXPECT_EQ(playlistEntries(pls, PlaylistKind::Pls, kBase),
              (QStringList{QStringLiteral("http://first:8000/live"), QStringLiteral("http://second/"),
                           QStringLiteral("http://third/")}));
    // Relative entries resolve against the playlist's own address.
    EXPECT_EQ(playlistEntries("[playlist]\r\nFile1=../live.mp3\r\n", PlaylistKind::Pls, kBase),
              QStringList{QStringLiteral("http://radio.example:8000/live.mp3")});
    EXPECT_EQ(playlistEntries("[playlist]\nNumberOfEntries=0\n", PlaylistKind::Pls, kBase), QStringList());
}

TEST(StreamPlaylist, ListsTheStreamsOfAnM3uInOrder)
{
    EXPECT_EQ(playlistEntries("#EXTM3U\n\n#EXTINF:-1,Radio One\n  https://one/stream  \nhttp://two/\n",
                              PlaylistKind::M3u, kBase),
              (QStringList{QStringLiteral("https://one/stream"), QStringLiteral("http://two/")}));
    EXPECT_EQ(playlistEntries("# only comments\n", PlaylistKind::M3u, kBase), QStringList());
}

TEST(StreamPlaylist, NeverPointsANetworkPlaylistAtOtherSchemes)
{
    const QByteArray m3u =
        "file:///etc/passwd\nsmb://host/share\njavascript:alert(1)\nhttps:\xff\xff//a/\nhttp://ok/\n";
    EXPECT_EQ(playlistEntries(m3u, PlaylistKind::M3u, kBase), QStringList{QStringLiteral("http://ok/")});
    EXPECT_EQ(playlistEntries("[playlist]\nFile1=file:///dev/zero\n", PlaylistKind::Pls, kBase), QStringList());
    // A playlist on this computer may name a file beside it.
    EXPECT_EQ(playlistEntries("song.mp3\n", PlaylistKind::M3u, QStringLiteral("/music/list.m3u")),
              QStringList{QStringLiteral("/music/song.mp3")});
}

} // namespace
