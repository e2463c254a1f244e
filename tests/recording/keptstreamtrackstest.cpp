// Track files that keep a station's frames as sent (ADTS, Ogg Vorbis, Ogg
// Opus, MP3 without an Info header), made by ffmpeg: completed after a
// crash cut them anywhere, and a short last piece joined to the track
// before it, read back with ffmpeg and ogginfo.

#include "recording/audiofixtures.h"
#include "recording/id3tag.h"
#include "recording/partialtrack.h"
#include "support/tempenv.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <random>

using namespace skywell;
using namespace skywell::test;

namespace
{

struct KeptCodec {
    const char *name;
    PartialTrackKind kind;
    const char *options; // ffmpeg's, separated by spaces
    bool tagRoom = false;
    int serial = 0; // the Ogg stream's number; 0: a random one

    KeptCodec numbered(int number) const
    {
        KeptCodec codec = *this;
        codec.serial = number;
        return codec;
    }
    bool encode(const QString &path, double seconds) const
    {
        QStringList arguments = QString::fromLatin1(options).split(QLatin1Char(' '));
        if (serial != 0)
            arguments << QStringLiteral("-fflags") << QStringLiteral("+bitexact") << QStringLiteral("-serial_offset")
                      << QString::number(serial);
        return encodeNoise(path, seconds, arguments, tagRoom);
    }
    bool ogg() const { return kind == PartialTrackKind::Ogg || kind == PartialTrackKind::Opus; }
};

const KeptCodec kAac{"aac", PartialTrackKind::Aac, "-c:a aac -b:a 128k -f adts", true};
const KeptCodec kVorbis{"vorbis", PartialTrackKind::Ogg, "-c:a libvorbis -page_duration 100000 -f ogg"};
const KeptCodec kOpus{"opus", PartialTrackKind::Opus, "-c:a libopus -page_duration 100000 -f ogg"};
const KeptCodec kMp3{"mp3", PartialTrackKind::Mp3,
                 "-c:a libmp3lame -ar 48000 -b:a 128k -write_xing 0 -id3v2_version 0 -f mp3", true};

// A frame of digital silence as a station may send it: 128 kbit/s at
// 48 kHz, nothing after the header but zeros.
QByteArray silentMp3Frame()
{
    return QByteArray("\xFF\xFB\x94\x64", 4) + QByteArray(384 - 4, '\0');
}

// ogginfo's warnings and errors about an Ogg file (a missing end of stream among them).
QString oggComplaints(const QString &path)
{
    QString out;
    runTool(QStringLiteral("ogginfo"), {path}, &out);
    QStringList complaints;
    for (const QString &line : out.split(QLatin1Char('\n')))
        if (line.contains(QLatin1String("WARNING")) || line.contains(QLatin1String("ERROR")))
            complaints << line;
    return complaints.join(QLatin1Char('\n'));
}

} // namespace

TEST(KeptStreamTrackTest, ACutAnywhereIsCompletedToAFileThatPlaysToItsCut)
{
    TempFolder temp;
    std::mt19937 random(26);
    for (const KeptCodec &codec : {kAac, kVorbis, kOpus, kMp3}) {
        SCOPED_TRACE(codec.name);
        const QString whole = temp.file(QStringLiteral("whole"));
        ASSERT_TRUE(codec.encode(whole, 4.0));
        const qint64 size = QFileInfo(whole).size();
        // Random cuts past the headers, and the file as it was closed.
        std::uniform_int_distribution<qint64> cutAt(size / 5, size - 1);
        for (const qint64 cut : {cutAt(random), cutAt(random), cutAt(random), size}) {
            SCOPED_TRACE(cut);
            const QString path = temp.file(QStringLiteral("skywell-k-a1.wav"));
            QFile::remove(path);
            ASSERT_TRUE(QFile::copy(whole, path) && QFile::resize(path, cut));

            const PartialTrack track = completePartialTrack(path);

            EXPECT_EQ(track.kind, codec.kind);
            EXPECT_TRUE(track.problem.isEmpty()) << track.problem.toStdString();
            const DecodedAudio decoded = decodeWithFfmpeg(path);
            EXPECT_TRUE(decoded.complaints.trimmed().isEmpty()) << decoded.complaints.toStdString();
            EXPECT_NEAR(decoded.seconds, track.seconds, 0.05);
            // The file plays up to about where it was cut.
            EXPECT_NEAR(track.seconds, 4.0 * double(cut) / double(size), 0.6);
            if (codec.ogg()) {
                EXPECT_EQ(oggComplaints(path), QString());
            }
        }
        // Cut within the first header: nothing to keep.
        const QString cutEarly = temp.file(QStringLiteral("skywell-k-b1.wav"));
        ASSERT_TRUE(QFile::copy(whole, cutEarly) && QFile::resize(cutEarly, (codec.tagRoom ? 4096 : 0) + 3));
        EXPECT_EQ(completePartialTrack(cutEarly).kind, PartialTrackKind::Empty);
        QFile::remove(cutEarly);
    }
}

TEST(KeptStreamTrackTest, ALastPieceJoinsTheTrackBeforeItOnlyWhenItCanPlayOn)
{
    struct Join {
        const char *what;
        KeptCodec track;
        KeptCodec piece;
        bool joins;
        bool pieceStartsSilent = false;
    };
    const Join joins[] = {
        {"vorbis: a chained file", kVorbis.numbered(1), kVorbis.numbered(2), true},
        {"opus: a chained file", kOpus.numbered(1), kOpus.numbered(2), true},
        {"adts: frames before the ID3v1 tag", kAac, kAac, true},
        {"ogg streams of one number", kVorbis.numbered(3), kVorbis.numbered(3), false},
        {"opus after vorbis", kVorbis, kOpus, false},
        {"mp3 after adts", kAac, kMp3, false},
        {"mp3 starting with an all-zero frame", kMp3, kMp3, true, true},
    };
    TempFolder temp;
    for (const Join &join : joins) {
        SCOPED_TRACE(join.what);
        const QString track = temp.file(QStringLiteral("track")), piece = temp.file(QStringLiteral("piece"));
        ASSERT_TRUE(join.track.encode(track, 3.0) && join.piece.encode(piece, 2.0));
        if (join.pieceStartsSilent) {
            QByteArray bytes = readAll(piece);
            bytes.insert(4096, silentMp3Frame());
            QFile file(piece);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        const double seconds = decodeWithFfmpeg(track).seconds + decodeWithFfmpeg(piece).seconds;
        const bool id3v1 = join.track.kind == PartialTrackKind::Aac;
        if (id3v1) {
            QFile file(track);
            ASSERT_TRUE(file.open(QIODevice::Append));
            file.write(id3v1Tag(QStringLiteral("Harbour Lights"), QStringLiteral("The Beacons"), {}, 4));
        }
        const QByteArray before = readAll(track);

        ASSERT_EQ(appendTrackAudio(piece, track), join.joins);

        if (!join.joins) {
            EXPECT_EQ(readAll(track), before);
            continue;
        }
        const DecodedAudio decoded = decodeWithFfmpeg(track);
        EXPECT_TRUE(decoded.complaints.trimmed().isEmpty()) << decoded.complaints.toStdString();
        // Not a frame lost.
        EXPECT_NEAR(decoded.seconds, seconds, 0.01);
        if (join.track.ogg()) {
            EXPECT_EQ(oggComplaints(track), QString());
        }
        if (id3v1) {
            EXPECT_EQ(id3v1Field(track, 3), QStringLiteral("Harbour Lights"));
        }
    }
}
