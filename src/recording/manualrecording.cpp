#include "recording/manualrecording.h"

#include "core/prompter.h"
#include "recording/recordingsession.h"

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

void stopRecordingFromButton(RecordingController &controller, const RecordingSession &session, Prompter &prompter)
{
    // Listening only: nothing to save, but the capture must end, or the
    // program stays "recording" behind a Record Now button for hours.
    if (session.flags & OUT_NONE) {
        controller.endRecording(true, false);
        return;
    }
    // Enter keeps the recording; throwing it away takes a click on No.
    if (prompter.question(kSaveRecordingQuestion, kCaption, DefaultAnswer::Yes))
        controller.endRecording(false, true);
    else
        controller.endRecording(true, false);
}

} // namespace skywell
