// Feeds arbitrary capture blocks through block processing with arbitrary
// recording options, ends the recording, and checks that nothing is left
// behind: blocks as the capture back end stores them (format header, count
// of sample bytes, samples), whatever they claim.
//
// Input: 4 bytes of options, then blocks, each a u16 length and that many
// bytes of block (shorter than the 24-byte head: padded with zeros).
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "recording/blockprocessor.h"
#include "recording/capturequeue.h"
#include "recording/recordingsession.h"
#include "recording/soundcardcapture.h"
#include "recording/trackdelivery.h"
#include "shows/show.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace
{

using namespace skywell;

class SilentDevice final : public SoundCardCapture
{
public:
    QStringList deviceNames() override { return {QStringLiteral("Fuzz")}; }
    bool start(const QString &, BlockSink) override { return true; }
    void stop() override {}
};

constexpr std::uint32_t kOutputs[] = {OUT_WAV,      OUT_MP3_AM, OUT_MP3_FM, OUT_MP3_CD_QUALITY,
                                      OUT_AUDIO_CD, OUT_MP3_CD, OUT_NONE,   OUT_WAV};

void emptyFolder(const QString &path)
{
    QDir dir(path);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
        QDir(dir.filePath(name)).removeRecursively() || dir.remove(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir root;
    static const QString program = root.path() + QStringLiteral("/program/");
    static const QString temp = root.path() + QStringLiteral("/temp/");
    static const QString recordings = root.path() + QStringLiteral("/recordings/");
    static const bool made = QDir().mkpath(program) && QDir().mkpath(temp) && QDir().mkpath(recordings);
    if (!made || size < 4)
        return 0;
    emptyFolder(temp);
    emptyFolder(recordings);

    ManualClock clock(1765000000);
    ActivityLog log(program, clock);
    Settings settings;
    settings.tempFolder = temp;
    settings.mp3Folder = recordings;
    settings.soundCard = QStringLiteral("Fuzz");
    settings.fileNameFormat = QStringLiteral("%%s");
    settings.optimizeVolume = false;
    SilentDevice device;
    CaptureQueue queue(device);
    RecordingSession session;
    TrackDelivery delivery(
        settings, log, {}, [](const QString &, bool, auto done) { done(true, QString()); }, nullptr);
    // A small WAV limit lets the size split happen too.
    BlockProcessor processor(session, queue, settings, clock, log, delivery, nullptr, 1u << 20);

    session.name = QStringLiteral("Fuzz");
    session.flags = kOutputs[data[0] & 7] | ((data[0] & 8) ? OPT_ITUNES : 0);
    session.deadAirOn = data[0] & 0x10;
    session.compressSpeech = data[0] & 0x20;
    session.deadAirMs = data[1] * 20;
    session.silenceSplitMs = (data[0] & 0x40) ? data[2] * 20 : 0;
    session.splitEverySeconds = (data[0] & 0x80) ? data[3] % 4 : 0;
    session.trackNumber = 1;
    session.recording = true;
    processor.startCapture(QString());

    std::size_t at = 4;
    while (at + 2 <= size) {
        const std::size_t length = data[at] | (std::size_t(data[at + 1]) << 8);
        at += 2;
        const std::size_t take = std::min(length, size - at);
        std::vector<std::uint8_t> bytes(data + at, data + at + take);
        at += take;
        if (bytes.size() < CaptureBlock::kSampleOffset)
            bytes.resize(CaptureBlock::kSampleOffset, 0);
        CaptureBlock block(std::move(bytes));
        processor.processBlock(block);
        clock.advance(1);
    }

    const bool abort = size % 2;
    processor.finishRecording(abort, true);

    // Every stream's temporary file is gone after the track, and the state
    // stays inside its bounds.
    for (const QString &name : QDir(temp).entryList(QDir::Files))
        if (name.startsWith(QStringLiteral("skywell-")))
            std::abort();
    if (session.streamCount < 0 || session.streamCount > RecordingSession::kMaxStreams || session.capturing ||
        session.trackNumber < 0 || session.outcomeText.size() > RecordingSession::kMaxOutcomeChars)
        std::abort();
    return 0;
}
