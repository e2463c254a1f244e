#include "recording/quickrecordrules.h"

#include "core/settingsstore.h"
#include "shows/recordsources.h"
#include "shows/show.h"

#include <QUrl>

namespace skywell
{

namespace
{

const QString kQuality = QStringLiteral("QRLastQuality");
const QString kDeadAirEnable = QStringLiteral("LastQRDeadAirEnable");
const QString kDeadAirInterval = QStringLiteral("LastQRDeadAirInterval");
const QString kSplitAfter = QStringLiteral("LastQRSplitAfter");
const QString kSplitInterval = QStringLiteral("LastQRSplitInterval");
const QString kTimeSplitEnable = QStringLiteral("LastQRTimeSplitEnable");
const QString kTimeSplitMinutes = QStringLiteral("LastQRTimeSplitMinutes");
const QString kSaveLastTrack = QStringLiteral("LastQRSaveLastTrack");
const QString kMusicLibrary = QStringLiteral("LastQRITunes");
const QString kLastSource = QStringLiteral("LastRecordSource");
const QString kBestSource = QStringLiteral("BestRecordSource");
const QString kStreamAddress = QStringLiteral("LastQRStreamAddress");
const QString kTitleSplit = QStringLiteral("LastQRTitleSplit");

const QString kIntegerRange = QStringLiteral("Please enter an integer between %1 and %2.");

QuickRecordProblem checkNumber(const QString &text, int low, int high, QuickRecordProblem::Field field)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return {field, QStringLiteral("Please enter an integer.")};
    if (value < low || value > high)
        return {field, kIntegerRange.arg(low).arg(high)};
    return {};
}

} // namespace

QuickRecordValues loadQuickRecordValues(const SettingsStore &settingsStore, bool customScriptExists)
{
    QuickRecordValues values;
    const auto read = [&settingsStore](const QString &name) {
        return settingsStore.readInt(name, SettingsGroup::Program);
    };
    const auto flag = [&settingsStore](const QString &name) {
        return settingsStore.readBool(name, SettingsGroup::Program);
    };
    values.outputKind = read(kQuality);
    values.deadAirSeconds = read(kDeadAirInterval);
    values.deadAirEnabled = flag(kDeadAirEnable);
    values.newTrackSilenceMs = read(kSplitInterval);
    values.newTrackOnSilence = flag(kSplitAfter);
    values.splitEvery = flag(kTimeSplitEnable);
    values.splitMinutes = read(kTimeSplitMinutes);
    values.saveLastTrack = flag(kSaveLastTrack);
    values.addToMusicLibrary = flag(kMusicLibrary);
    values.streamAddress = settingsStore.readString(kStreamAddress, SettingsGroup::Program);
    values.titleSplit = flag(kTitleSplit);
    if (values.deadAirSeconds <= 0 || values.deadAirSeconds > 60)
        values.deadAirSeconds = 3;
    if (values.newTrackSilenceMs == 0)
        values.newTrackSilenceMs = 1000;
    if (values.outputKind < 0 || values.outputKind >= QuickKindCount ||
        (values.outputKind == QuickCustom && !customScriptExists))
        values.outputKind = QuickMp3Cd;
    return values;
}

QString quickRecordWantedSource(const SettingsStore &settingsStore)
{
    const QString last = settingsStore.readString(kLastSource, SettingsGroup::Program);
    return last.isEmpty() ? settingsStore.readString(kBestSource, SettingsGroup::Program) : last;
}

QuickRecordProblem checkQuickRecordInput(const QString &name, const QString &hours, const QString &minutes,
                                         const QString &deadAirSeconds, const QString &newTrackMs,
                                         const QString &splitMinutes)
{
    if (name.size() > 32)
        return {QuickRecordProblem::Name, QStringLiteral("Please enter no more than %1 characters.").arg(32)};
    for (const QuickRecordProblem &problem :
         {checkNumber(hours, 0, 12, QuickRecordProblem::Hours),
          checkNumber(minutes, INT32_MIN / 60, INT32_MAX / 60, QuickRecordProblem::Minutes),
          checkNumber(deadAirSeconds, 0, 9999, QuickRecordProblem::DeadAirSeconds),
          checkNumber(newTrackMs, 0, 9999, QuickRecordProblem::NewTrackMs),
          checkNumber(splitMinutes, 0, 999, QuickRecordProblem::SplitMinutes)}) {
        if (problem.field != QuickRecordProblem::None)
            return problem;
    }
    return {};
}

QuickRecordProblem checkQuickRecordStream(const QString &sourceName, const QString &address)
{
    if (sourceName != kInternetStream)
        return {};
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {QuickRecordProblem::StreamAddress,
                QStringLiteral("Please enter the web address of the stream to record, starting with http:// or "
                               "https://.")};
    return {};
}

void saveQuickRecordValues(SettingsStore &settingsStore, QuickRecordValues &values)
{
    const auto write = [&settingsStore](const QString &name, int value) {
        settingsStore.writeInt(name, value, SettingsGroup::Program);
    };
    const auto writeFlag = [&settingsStore](const QString &name, bool value) {
        settingsStore.writeBool(name, value, SettingsGroup::Program);
    };
    write(kQuality, values.outputKind);
    settingsStore.writeString(kLastSource, values.sourceName, SettingsGroup::Program);
    write(kDeadAirInterval, values.deadAirSeconds);
    writeFlag(kDeadAirEnable, values.deadAirEnabled);
    write(kSplitInterval, values.newTrackSilenceMs);
    writeFlag(kSplitAfter, values.newTrackOnSilence);
    writeFlag(kTimeSplitEnable, values.splitEvery);
    write(kTimeSplitMinutes, values.splitMinutes);
    writeFlag(kSaveLastTrack, values.saveLastTrack);
    writeFlag(kMusicLibrary, values.addToMusicLibrary);
    settingsStore.writeString(kStreamAddress, values.streamAddress.trimmed(), SettingsGroup::Program);
    writeFlag(kTitleSplit, values.titleSplit);
    if (!values.newTrackOnSilence)
        values.newTrackSilenceMs = 0;
    if (!values.splitEvery)
        values.splitMinutes = 0;
}

std::uint32_t quickRecordFlags(const QuickRecordValues &values)
{
    static constexpr std::uint32_t kKindFlags[QuickKindCount] = {
        OUT_MP3_CD_QUALITY, OUT_MP3_FM, OUT_MP3_AM, OUT_WAV, OUT_CUSTOM, OUT_AUDIO_CD, OUT_MP3_CD, OUT_AS_BROADCAST};
    const bool known = values.outputKind >= 0 && values.outputKind < QuickKindCount;
    std::uint32_t flags = SHOW_MANUAL | (known ? kKindFlags[values.outputKind] : OUT_MP3_CD_QUALITY);
    // Only a stream Skywell reads itself can be kept as broadcast.
    if ((flags & OUT_AS_BROADCAST) && values.sourceName != kInternetStream)
        flags = (flags & ~OUT_AS_BROADCAST) | OUT_MP3_FM;
    if (values.deadAirEnabled)
        flags |= OPT_DEAD_AIR;
    if (values.newTrackOnSilence)
        flags |= OPT_SILENCE_SPLIT;
    if (values.splitEvery)
        flags |= OPT_TIME_SPLIT;
    if (values.addToMusicLibrary)
        flags |= OPT_ITUNES;
    if (values.compressSpeech)
        flags |= OPT_COMPRESS_SPEECH;
    return flags;
}

RecordingRequest quickRecordRequest(const QuickRecordValues &values, std::int64_t now)
{
    RecordingRequest request;
    request.name = values.name;
    request.flags = quickRecordFlags(values);
    request.endTime = now + std::int64_t(values.hours) * 3600 + std::int64_t(values.minutes) * 60 - 20;
    request.recordSource = values.sourceName;
    request.silenceMs = values.newTrackSilenceMs;
    request.deadAirMs = values.deadAirSeconds * 1000;
    request.splitMinutes = values.splitMinutes;
    request.tunerKind = 'U';
    request.discardLastTrack = values.newTrackOnSilence && !values.saveLastTrack;
    if (values.sourceName == kInternetStream) {
        request.url = values.streamAddress.trimmed();
        if (values.titleSplit)
            request.flags |= OPT_TITLE_SPLIT;
    }
    return request;
}

} // namespace skywell
