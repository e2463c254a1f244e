// The track cycle of BlockProcessor: starting capture, splitting and
// finishing tracks.
#include "recording/blockprocessor.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "recording/capturequeue.h"
#include "recording/recordingports.h"
#include "recording/recordingsession.h"
#include "recording/streamtable.h"
#include "recording/trackdelivery.h"
#include "shows/outputnaming.h"
#include "shows/recordsources.h"
#include "shows/show.h"

namespace skywell
{

bool BlockProcessor::startCapture(const QString &recordSource)
{
    RecordingSession &s = m_session;
    const bool fromStream = recordSource == kInternetStream;
    if (fromStream) {
        // No sound card and no mixer: the address is opened and decoded.
        m_queue.startStream(s.streamAddress);
    } else {
        if (m_mixer) {
            m_mixer->selectRecordingSource(recordSource);
            if (m_settings.optimizeVolume)
                m_mixer->optimizeSourceVolume(recordSource);
        }
        m_queue.start(m_settings.soundCard);
    }

    s.silenceRunMs = 0;
    s.streamCount = 0;
    for (StreamSlot &slot : s.streams) {
        slot.byteCount = 0;
        slot.writer.reset();
        slot.openFailed = false;
        slot.refused = false;
        slot.writeFailed = false;
    }
    s.acceptedBlocks = 0;
    m_tooManyStreamsReported = false;
    // A split keeps the report of the tracks before it: a track that could
    // not be saved must still show at the end of the recording.
    if (!s.splitting) {
        s.outcomeText.clear();
        s.savedTracks = 0;
        s.lastTrackPath.clear();
        s.soundHeard = false;
        s.unsavedMs = 0;
        m_stationTitleNow.clear();
        s.trackPackets.reset();
        m_packetMicrosRest = 0;
    }
    // A new track is named after what the station plays now.
    s.stationTitle = m_stationTitleNow;
    m_trackOutcomeStart = s.outcomeText.size();
    s.lastAudioTime = m_clock.now() + m_settings.connectLeadSeconds;
    s.trackMs = 0;
    s.capturing = true;
    s.recording = true;
    Q_EMIT capturingChanged(true);
    if (!m_queue.isRecording() && fromStream) {
        m_log.logLine(QStringLiteral("Unable to open the stream:"), s.streamAddress);
        s.addOutcome(QStringLiteral("Unable to open the stream %1").arg(s.streamAddress));
        return false;
    }
    if (!m_queue.isRecording()) {
        m_log.logLine(QStringLiteral("Unable to start capture on sound card:"), m_settings.soundCard);
        s.addOutcome(QStringLiteral("Unable to start capture on sound card %1").arg(m_settings.soundCard));
        return false;
    }
    return true;
}

void BlockProcessor::stopCapture()
{
    RecordingSession &s = m_session;
    s.capturing = false;
    s.recording = false;
    Q_EMIT capturingChanged(false);
    m_queue.stop();
    Q_EMIT levelMeter(0);
}

void BlockProcessor::reopenStream()
{
    if (m_session.capturing && m_session.recordSource == kInternetStream)
        m_queue.reopenStream();
}

void BlockProcessor::splitTrack()
{
    startNextTrack();
}

QString BlockProcessor::trackFileName()
{
    RecordingSession &s = m_session;
    const RecordingNaming naming{m_settings.fileNameFormat, m_settings.mp3Folder, s.name, s.flags, s.trackNumber};
    // The tracks of one recording stay in one series of names.
    // A track kept as broadcast is named after its codec (.mp3, .aac, .ogg, .opus).
    const QString extension = s.trackPackets ? packetFileExtension(s.trackPackets->codec) : trackExtension(s.flags);
    const OutputFilePath file = uniqueOutputFile(naming, extension, s.seriesIndex, m_clock);
    s.seriesIndex = file.index;
    return file.name;
}

void BlockProcessor::startNextTrack()
{
    RecordingSession &s = m_session;
    // Before capture runs (still tuning) there is no track to end.
    if (!s.capturing || s.splitting)
        return;
    m_log.logLine(QStringLiteral("Doing split"));
    s.splitting = true;
    endTrack(trackFileName(), false, true);

    s.silenceRunMs = 0;
    s.trackMs = 0;
    ++s.trackNumber;
    const QString label = s.name + QStringLiteral(" - %1").arg(s.trackNumber, 2, 10, QLatin1Char('0'));
    m_log.logLine(QStringLiteral("Starting new track"), label);
    Q_EMIT statusLine(QStringLiteral("Recording ") + label);
    startCapture(s.recordSource);
    s.splitting = false;
}

BlockProcessor::FinishResult BlockProcessor::finishRecording(bool abort, bool save)
{
    RecordingSession &s = m_session;
    FinishResult result;
    // A title-split recording's short last piece joins the track before it.
    result.tooShort = s.trackMs < m_minimumTrackMs && !lastPieceJoinsPreviousTrack();
    if (result.tooShort) {
        save = false;
        m_log.logLine(QStringLiteral("Total time in track less than 10 seconds -- track will not be saved."));
    }
    result.fileName = trackFileName();
    // The track's number goes back once, whatever found it unsaved.
    if (!endTrack(result.fileName, abort, save) && result.tooShort)
        --s.trackNumber;
    return result;
}

void BlockProcessor::whenDelivered(std::function<void()> done)
{
    m_deliveries.whenIdle(std::move(done));
}

bool BlockProcessor::lastPieceJoinsPreviousTrack() const
{
    const RecordingSession &s = m_session;
    return (s.flags & OPT_TITLE_SPLIT) && !(s.flags & OUT_CUSTOM) && s.capturing && !s.splitting &&
           s.trackMs < kMinTitleTrackMs && !s.lastTrackPath.isEmpty();
}

void BlockProcessor::deliverTrack(const QString &fileName, bool joinsLastTrack)
{
    RecordingSession &s = m_session;
    const EndedTrack track = m_delivery.setAside(s, bestStream(s), fileName, ++m_tracksSetAside);
    m_deliveries.add([this, &s, track, joinsLastTrack](DeliveryQueue::Finished finished) {
        if (joinsLastTrack && m_delivery.joinLastTrack(s, track)) {
            finished();
            return;
        }
        // A piece that cannot join the track before it is kept on its own.
        if (joinsLastTrack)
            ++s.trackNumber;
        m_delivery.saveTrack(s, track, [&s, finished](bool saved) {
            if (saved)
                ++s.savedTracks;
            finished();
        });
    });
}

bool BlockProcessor::endTrack(const QString &fileName, bool abort, bool save)
{
    RecordingSession &s = m_session;
    const bool ending = !s.splitting;
    // A title-split recording's short last piece is added to the track
    // before it rather than thrown away (or kept on its own when it cannot be).
    const bool joins = !abort && save && lastPieceJoinsPreviousTrack();
    bool givenBack = false;
    if (ending) {
        if (!s.capturing) {
            --s.trackNumber;
            if (abort)
                s.setOutcome(QStringLiteral("Recording Aborted"));
            return true;
        }
        stopCapture();
    }
    m_files.closeAll(s, TrackDelivery::outputPrefix(fileName), s.name, s.trackNumber);

    if (joins) {
        --s.trackNumber;
        givenBack = true;
        if (s.acceptedBlocks > 0)
            deliverTrack(fileName, true);
    } else if (s.acceptedBlocks <= kMinAcceptedBlocks) {
        --s.trackNumber;
        givenBack = ending;
        m_log.logLine(QStringLiteral("Not enough data to save. Likely tuning error."));
        if (!ending)
            s.unsavedMs += s.trackMs;
        // Only a recording that got nowhere points at the address: a short
        // piece after earlier tracks (a split, the end of the show) is no
        // problem of the show. The tracks before it may still be under way.
        if (ending)
            m_deliveries.add([&s](DeliveryQueue::Finished finished) {
                if (s.savedTracks == 0)
                    s.addOutcome(QStringLiteral("Not enough sound data was received.  Please check the URL of "
                                                "this show before recording again."));
                finished();
            });
    } else {
        const QString trackProblems = s.outcomeText.mid(m_trackOutcomeStart).trimmed();
        if (!trackProblems.isEmpty())
            m_log.logLine(trackProblems);
        if (abort)
            m_log.logLine(QStringLiteral("Recording aborted."));
        else if (save)
            deliverTrack(fileName, false);
    }
    if (ending) {
        // After the tracks before it: the CD holds every saved track, and
        // the report of an aborted recording is its last word.
        m_deliveries.add([this, &s, abort](DeliveryQueue::Finished finished) {
            if (abort) {
                s.setOutcome(QStringLiteral("Recording Aborted"));
                finished();
                return;
            }
            s.reportUnsavedAudio();
            m_delivery.finishRecording(s, finished);
        });
    }
    // The best stream's file has been set aside: the rest go now, and the
    // next track opens its files under the same names.
    m_delivery.deleteTemporaryFiles(s);
    s.trackMs = 0;
    return givenBack;
}

} // namespace skywell
