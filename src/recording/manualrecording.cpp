#include "recording/manualrecording.h"

#include "core/prompter.h"

namespace skywell
{

RecordingRequest recordNowRequest(const Show &show, std::int64_t now)
{
    RecordingRequest request = requestFromShow(show);
    request.flags |= SHOW_MANUAL;
    request.endTime = now + kManualRecordingSeconds;
    request.discardLastTrack = false;
    return request;
}

void stopRecordingFromButton(RecordingRoster &roster, const RunningRecording &recording, Prompter &prompter)
{
    // Listening only: nothing to save, but the capture must end, or the
    // program stays "recording" behind a Record Now button for hours.
    if (recording.flags & OUT_NONE) {
        roster.endRecording(recording.id, true, false);
        return;
    }
    // Enter keeps the recording; throwing it away takes a click on No.
    const bool keep = prompter.question(kSaveRecordingQuestion, kCaption, DefaultAnswer::Yes);
    roster.endRecording(recording.id, !keep, keep);
}

} // namespace skywell
