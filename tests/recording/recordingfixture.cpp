#include "recording/recordingfixture.h"

#include "shows/show.h"
#include "support/eventloop.h"

#include <QDir>

#include <memory>

namespace skywell::test
{

RecordingFixture::RecordingFixture()
{
    settings.tempFolder = temp.path();
    settings.mp3Folder = folder.path();
    settings.soundCard = QStringLiteral("Test Card");
    settings.fileNameFormat = QStringLiteral("%%s %b %#d");
    settings.optimizeVolume = false;
    rebuild(WavWriter::kMaxDataBytes);
}

void RecordingFixture::rebuild(std::uint32_t wavLimit)
{
    processor.reset();
    delivery = std::make_unique<TrackDelivery>(
        settings, log,
        [this](const QString &tempName, const QString &prefix, std::function<void(bool)> done) {
            if (laterCustom)
                laterCustom(tempName, prefix, std::move(done));
            else
                done(custom && custom(tempName, prefix));
        },
        [this](const QString &list, bool dataCD, std::function<void(bool, const QString &)> done) {
            burns.append({list, dataCD});
            if (realBurn)
                realBurn(list, dataCD, std::move(done));
            else
                done(burnSucceeds, burnResult);
        },
        &library);
    processor = std::make_unique<BlockProcessor>(session, queue, settings, clock, log, *delivery, &mixer, wavLimit);
    QObject::connect(processor.get(), &BlockProcessor::levelMeter, [this](int peak) { levels.push_back(peak); });
    QObject::connect(processor.get(), &BlockProcessor::capturingChanged, [this](bool on) { icons << on; });
    QObject::connect(processor.get(), &BlockProcessor::statusLine, [this](const QString &text) { statuses << text; });
    processor->setMinimumTrackMs(minimumTrackMs);
}

void RecordingFixture::startRecording(std::uint32_t flags, const QString &name)
{
    session.name = name;
    session.flags = flags;
    session.trackNumber = 1;
    session.savedFiles.clear();
    session.playlistText.clear();
    session.seriesIndex = 0;
    session.recordSource = QStringLiteral("Monitor of Test Card");
    session.deadAirOn = flags & OPT_DEAD_AIR;
    session.compressSpeech = flags & OPT_COMPRESS_SPEECH;
    session.muteWhileRecording = flags & OPT_MUTE;
    session.recording = true;
    processor->startCapture(session.recordSource);
}

void RecordingFixture::feed(std::vector<CaptureBlock> blocks)
{
    for (CaptureBlock &block : blocks)
        processor->processBlock(block);
}

void RecordingFixture::feedThroughQueue(const std::vector<CaptureBlock> &blocks)
{
    for (const CaptureBlock &block : blocks)
        device.sink(std::make_unique<CaptureBlock>(block));
    processor->processReadyBlocks();
}

QString RecordingFixture::endRecording(bool abort, bool save)
{
    const QString name = processor->finishRecording(abort, save).fileName;
    EXPECT_TRUE(waitForDeliveries());
    return name;
}

bool RecordingFixture::waitForDeliveries(int ms)
{
    auto delivered = std::make_shared<bool>(false);
    processor->whenDelivered([delivered] { *delivered = true; });
    return spinUntil([delivered] { return *delivered; }, ms);
}

QStringList RecordingFixture::recordings() const
{
    return QDir(folder.path()).entryList(QDir::Files, QDir::Name);
}

QStringList RecordingFixture::temporaryFiles() const
{
    return QDir(temp.path()).entryList(QDir::Files, QDir::Name);
}

QString RecordingFixture::logText() const
{
    return QString::fromUtf8(readAll(log.filePath()));
}

int RecordingFixture::countInLog(const QString &text) const
{
    return int(logText().count(text));
}

} // namespace skywell::test
