#include "recording/silencerules.h"

#include "recording/recordingsession.h"

namespace skywell
{

SilenceAction silenceAction(RecordingSession &session, bool silent, std::int64_t durationMs)
{
    if (session.deadAirOn || session.silenceSplitMs > 0) {
        if (silent) {
            session.silenceRunMs += durationMs;
            if (session.silenceSplitMs > 0 && session.silenceRunMs > session.silenceSplitMs &&
                session.trackMs > kMinTrackMsForSilenceSplit)
                return SilenceAction::SplitAndDrop;
            if (session.deadAirOn && session.silenceRunMs > session.deadAirMs)
                return SilenceAction::Drop;
        } else {
            session.silenceRunMs = 0;
        }
    }
    if (session.compressSpeech && silent)
        return SilenceAction::Drop;
    return SilenceAction::Keep;
}

} // namespace skywell
