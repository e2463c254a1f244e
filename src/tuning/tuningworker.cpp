#include "tuning/tuningworker.h"

#include "shows/show.h"

#include <algorithm>

namespace skywell
{

void runTuningWorker(const TuningJob &job, const TuningWorkerHooks &hooks)
{
    if (!job.address.isEmpty() && !job.splitInProgress) {
        if (job.useDialup) {
            if (hooks.isOnline()) {
                hooks.setWasOnlineBeforeDial(true);
            } else {
                hooks.dial();
                if (!hooks.wait(kDialWait))
                    return;
                hooks.setWasOnlineBeforeDial(false);
            }
        } else {
            bool online = false;
            for (int check = 0; check < kLanChecks && !online; ++check) {
                online = hooks.isOnline();
                if (!online && !hooks.wait(kLanCheckPause))
                    return;
            }
            if (!online)
                hooks.log(QStringLiteral("LAN connection failed after 60 seconds"), QString());
        }
        if (job.reportStatus)
            hooks.status(QStringLiteral("Tuning to %1").arg(job.name));
        hooks.tune();
        const std::chrono::milliseconds lead = std::chrono::seconds(std::max(0, job.connectLeadSeconds));
        if (job.captureWhenPlaying && hooks.playing) {
            for (std::chrono::milliseconds waited{0}; waited < lead && !hooks.playing(); waited += kPlayingCheckPause) {
                if (!hooks.wait(kPlayingCheckPause))
                    return;
            }
        } else if (!hooks.wait(lead)) {
            return;
        }
    }
    // A recording stopped meanwhile gets no capture.
    if (!hooks.wait(std::chrono::milliseconds(0)))
        return;
    if (job.reportStatus)
        hooks.status(QStringLiteral("%1 %2").arg(
            (job.flags & OUT_NONE) ? QStringLiteral("Listening to") : QStringLiteral("Recording"), job.name));
    hooks.captureCanStart();
}

} // namespace skywell
