#include "recording/recordingroster.h"

namespace skywell
{

// Placeholder bodies: the roster is being built.
RecordingRoster::RecordingRoster(RosterContext context, QObject *parent) : QObject(parent)
{
    (void)context;
}

RecordingRoster::~RecordingRoster() = default;

void RecordingRoster::setMixer(CaptureSourceCalls, std::function<void()>) {}
void RecordingRoster::setFreeSpaceCheck(
    std::function<QString(std::uint32_t flags, std::int64_t seconds, std::int32_t splitSeconds)>)
{
}
void RecordingRoster::setSourceTestRunning(std::function<bool()>) {}
void RecordingRoster::setStreamOnly(bool) {}
void RecordingRoster::setQuitting() {}
bool RecordingRoster::startRecording(const RecordingRequest &)
{
    return false;
}
bool RecordingRoster::canStart(const RecordingRequest &) const
{
    return false;
}
void RecordingRoster::endRecording(std::uint64_t, bool, bool) {}
void RecordingRoster::endAll(std::function<void()> done)
{
    done();
}
void RecordingRoster::supervisionTick() {}
void RecordingRoster::lookForDueShowNow() {}
std::vector<RunningRecording> RecordingRoster::running() const
{
    return {};
}
std::optional<RunningRecording> RecordingRoster::recordingOfShow(std::int16_t) const
{
    return std::nullopt;
}
bool RecordingRoster::recording() const
{
    return false;
}
bool RecordingRoster::holdsChosenSource() const
{
    return false;
}
bool RecordingRoster::nothingRecorded() const
{
    return false;
}
void RecordingRoster::clearNothingRecorded() {}

} // namespace skywell
