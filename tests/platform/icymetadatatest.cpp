#include "platform/icymetadata.h"
#include "platform/reconnectdelay.h"

#include <gtest/gtest.h>

using namespace skywell;

namespace
{

QByteArray padded(QByteArray text)
{
    // As servers send it: in 16-byte units filled with NULs.
    text.append(QByteArray((16 - text.size() % 16) % 16, '\0'));
    return text;
}

TEST(IcyMetadata, ReadsTheTitleOfAPacket)
{
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle='Artist - Song';StreamUrl='http://x/';")),
              QStringLiteral("Artist - Song"));
    EXPECT_EQ(icyStreamTitle(padded("StreamUrl='';StreamTitle='Later';")), QStringLiteral("Later"));
    EXPECT_EQ(icyStreamTitle(padded("streamtitle='lower case key';")), QStringLiteral("lower case key"));
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle=\"Double quoted\";")), QStringLiteral("Double quoted"));
}

TEST(IcyMetadata, KeepsQuotesInsideTheTitle)
{
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle='Guns N' Roses - Sweet Child o' Mine';StreamUrl='';")),
              QStringLiteral("Guns N' Roses - Sweet Child o' Mine"));
    // A quote-semicolon inside the title that is not followed by a field.
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle='Say ';) now';")), QStringLiteral("Say ';) now"));
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle='It''s';")), QStringLiteral("It''s"));
}

TEST(IcyMetadata, ToleratesMissingTerminatorsAndEmptyTitles)
{
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle='No end")), QStringLiteral("No end"));
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle='Quote only'")), QStringLiteral("Quote only"));
    EXPECT_EQ(icyStreamTitle(QByteArray("StreamTitle=")), QString());
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle='';")), QString());
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle=Bare words;StreamUrl=x;")), QStringLiteral("Bare words"));
    EXPECT_FALSE(icyStreamTitle(padded("StreamUrl='http://x/';")).has_value());
    EXPECT_FALSE(icyStreamTitle(QByteArray()).has_value());
    EXPECT_FALSE(icyStreamTitle(QByteArray("\x01\xff garbage \x00\x00", 14)).has_value());
    // The key must stand alone, not end a longer one.
    EXPECT_FALSE(icyStreamTitle(padded("XStreamTitle='x';")).has_value());
}

TEST(IcyMetadata, DecodesUtf8AndFallsBackToLatin1)
{
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle='Bj\xC3\xB6rk \xE2\x80\x93 J\xC3\xB3ga \xF0\x9F\x8E\xB5';")),
              QStringLiteral(u"Björk – Jóga 🎵"));
    // Not valid UTF-8: each byte is a Latin-1 character.
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle='Bj\xF6rk - J\xF3ga';")), QStringLiteral(u"Björk - Jóga"));
    // Overlong and surrogate encodings are not UTF-8 either.
    const QString overlong = *icyStreamTitle(padded("StreamTitle='a\xC0\xAF b';"));
    EXPECT_EQ(overlong, QStringLiteral(u"aÀ¯ b"));
    const QString surrogate = *icyStreamTitle(padded("StreamTitle='\xED\xA0\x80';"));
    EXPECT_EQ(surrogate, QStringLiteral(u"í"));
}

TEST(IcyMetadata, RemovesControlCharactersAndCapsTheLength)
{
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle='  One\r\n\tTwo\x07\x1b[31mThree\x7f  ';")),
              QStringLiteral("One Two [31mThree"));
    // C1 controls reached through the Latin-1 fallback go too.
    EXPECT_EQ(icyStreamTitle(padded("StreamTitle='A\x85\x9b"
                                    "B\xff';")),
              QStringLiteral(u"A Bÿ"));
    EXPECT_EQ(cleanStationText(QByteArray("x\0hidden", 8)), QStringLiteral("x"));

    const QString longTitle = *icyStreamTitle("StreamTitle='" + QByteArray(5000, 'a') + "';");
    EXPECT_EQ(longTitle.size(), kMaxStationTitleLength);
    // A character outside the BMP is never cut in half at the limit.
    QByteArray emoji = "StreamTitle='" + QByteArray(kMaxStationTitleLength - 1, 'a');
    for (int i = 0; i < 10; ++i)
        emoji += "\xF0\x9F\x8E\xB5";
    const QString capped = *icyStreamTitle(emoji + "';");
    EXPECT_LE(capped.size(), kMaxStationTitleLength);
    EXPECT_FALSE(capped.back().isHighSurrogate());
    EXPECT_EQ(capped.toUtf8(), QString::fromUtf8(capped.toUtf8()).toUtf8());
}

TEST(IcyMetadata, CombinesArtistAndTitle)
{
    EXPECT_EQ(combineArtistAndTitle(QStringLiteral("Artist"), QStringLiteral("Song")), QStringLiteral("Artist - Song"));
    EXPECT_EQ(combineArtistAndTitle({}, QStringLiteral("Song")), QStringLiteral("Song"));
    EXPECT_EQ(combineArtistAndTitle(QStringLiteral("Artist"), {}), QStringLiteral("Artist"));
}

TEST(ReconnectDelay, GrowsToThirtySecondsAndStartsAgainAfterSteadyPlay)
{
    ReconnectDelay delay;
    std::vector<long> waits;
    for (int i = 0; i < 8; ++i)
        waits.push_back(long(delay.next().count()));
    EXPECT_EQ(waits, (std::vector<long>{1, 2, 4, 8, 16, 30, 30, 30}));

    delay.played(std::chrono::seconds(29));
    EXPECT_EQ(delay.next().count(), 30);
    delay.played(std::chrono::seconds(30));
    EXPECT_EQ(delay.next().count(), 1);
    EXPECT_EQ(delay.next().count(), 2);
}

} // namespace
