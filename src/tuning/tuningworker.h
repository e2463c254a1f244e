#pragma once

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>

namespace skywell
{

// What one tuning worker needs, copied when it starts: it never reads the
// recording, the settings or the settings store while it runs.
struct TuningJob {
    // The recording the start-capture notification belongs to.
    std::uint64_t recordingId = 0;
    QString name;
    std::uint32_t flags = 0;
    // Empty: nothing to tune (Quick Record, a Show without an address).
    QString address;
    char playerLetter = 'U';
    char addressOrigin = 0;
    bool splitInProgress = false;
    bool useDialup = false;
    int connectLeadSeconds = 30;
    // The sound-server sink a started player plays into; empty: the default.
    QString playbackSink;
    // Whether the worker sets the status line (a caller that shows its own
    // statuses turns it off).
    bool reportStatus = true;
    // Capture starts as soon as the player plays, within the connect-ahead
    // time at most, instead of after the whole of it.
    bool captureWhenPlaying = false;
};

// The worker's view of the world. Every call comes from the worker thread;
// the ones that reach the user-interface thread queue their work there.
struct TuningWorkerHooks {
    // Waits; false when the worker is to stop (the recording was stopped or
    // the program ends).
    std::function<bool(std::chrono::milliseconds)> wait;
    std::function<bool()> isOnline;
    // Asks for the dial-up connection; its result is not examined.
    std::function<void()> dial;
    std::function<void(bool)> setWasOnlineBeforeDial;
    std::function<void(const QString &)> status;
    std::function<void(const QString &message, const QString &detail)> log;
    // Plays the job's address (the tuneTo of the user-interface thread).
    std::function<void()> tune;
    std::function<void()> captureCanStart;
    // Whether the player started by tune() plays; true too when that cannot
    // be told (then capture starts at once and nothing is lost).
    std::function<bool()> playing;
};

inline constexpr int kLanChecks = 30;
inline constexpr std::chrono::milliseconds kLanCheckPause{2000};
inline constexpr std::chrono::milliseconds kDialWait{15000};
inline constexpr std::chrono::milliseconds kPlayingCheckPause{250};

// One run of the tuning worker: connect (LAN wait or dial-up), tune, wait
// the connect-ahead time, then tell that capture can start. A stopped
// worker ends at its next wait without tuning or notifying.
void runTuningWorker(const TuningJob &job, const TuningWorkerHooks &hooks);

} // namespace skywell
