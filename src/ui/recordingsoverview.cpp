#include "ui/recordingsoverview.h"

#include "core/clock.h"
#include "shows/scheduler.h"
#include "shows/showlistcommands.h"

#include <QStringList>

#include <limits>

namespace skywell
{

namespace
{

// A name kept apart from the text around it: a right-to-left name does not
// reorder the words before and after it.
QString isolated(const QString &name)
{
    return QChar(0x2068) + name + QChar(0x2069);
}

const RunningRecording *recordingOf(const std::vector<RunningRecording> &running, std::optional<std::int16_t> serial)
{
    if (!serial)
        return nullptr;
    for (const RunningRecording &recording : running) {
        if (recording.showSerial == serial)
            return &recording;
    }
    return nullptr;
}

} // namespace

QString showRowText(const Show &show, const std::vector<RunningRecording> &running, const Clock &clock)
{
    if (const RunningRecording *recording = recordingOf(running, show.serial))
        return QStringLiteral("RECORDING until ") + clockText(recording->endTime);
    return nextRecordingColumn(show, clock);
}

QString recordingsStatusText(const std::vector<RunningRecording> &running, const std::map<quint64, QString> &texts)
{
    if (running.empty())
        return QStringLiteral("Ready");
    if (running.size() == 1) {
        const auto text = texts.find(running.front().id);
        if (text != texts.end() && !text->second.isEmpty())
            return text->second;
    }
    QStringList names;
    for (const RunningRecording &recording : running)
        names << recording.name;
    return QStringLiteral("Recording ") + names.join(QStringLiteral(", "));
}

std::optional<RunningRecording> followedRecording(const std::vector<RunningRecording> &running,
                                                  std::optional<std::int16_t> selected)
{
    if (const RunningRecording *recording = recordingOf(running, selected))
        return *recording;
    if (running.empty())
        return std::nullopt;
    return running.front();
}

std::optional<RunningRecording> recordingTheButtonStops(const std::vector<RunningRecording> &running,
                                                        std::optional<std::int16_t> selected)
{
    if (selected) {
        if (const RunningRecording *recording = recordingOf(running, selected))
            return *recording;
        return std::nullopt;
    }
    return followedRecording(running, selected);
}

QString trayToolTip(const ShowList &shows, const std::vector<RunningRecording> &running, const Clock &clock)
{
    QString tip = QStringLiteral("Skywell");
    for (const RunningRecording &recording : running)
        tip += QStringLiteral("\nRecording: ") + isolated(recording.name) + QStringLiteral(" until ") +
               clockText(recording.endTime);
    const Show *next = nullptr;
    std::int64_t nextStart = std::numeric_limits<std::int64_t>::max();
    const std::int64_t now = clock.now();
    for (const Show &show : shows) {
        if (showsAsUnscheduled(show) || show.endTime <= now || recordingOf(running, show.serial))
            continue;
        if (show.startTime < nextStart) {
            nextStart = show.startTime;
            next = &show;
        }
    }
    if (next)
        tip += QStringLiteral("\nNext: ") + isolated(fieldText(next->name)) + QStringLiteral(", ") +
               nextRecordingColumn(*next, clock);
    else
        tip += QStringLiteral("\nNo Show scheduled");
    return tip;
}

QString recordingEndedNotice(const QString &name, int savedTracks, const QString &outcome)
{
    QString text;
    if (savedTracks > 0)
        text = QStringLiteral("Saved %1 %2 of %3")
                   .arg(savedTracks)
                   .arg(savedTracks == 1 ? QStringLiteral("track") : QStringLiteral("tracks"), isolated(name));
    else
        text = QStringLiteral("Nothing of %1 was saved").arg(isolated(name));
    const QString reason = outcome.trimmed();
    if (!reason.isEmpty())
        text += QStringLiteral(": ") + reason;
    return text;
}

} // namespace skywell
