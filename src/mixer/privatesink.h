#pragma once

#include <QList>
#include <QString>

namespace skywell
{

// What moveStreamsOf found and did, for the caller's decision and its log
// line.
struct StreamMove {
    // Playback streams of the processes (and of their children).
    int found = 0;
    // Of those, the ones that now play into the private sink.
    int moved = 0;
    // Why nothing, or not everything, was moved, as a sentence for the log
    // ("no playback stream of process 4711 on the sound server"); empty
    // when every stream found was moved.
    QString problem;
};

// A sound output of Skywell's own that plays nowhere, whose monitor
// records everything played into it: how a recording keeps the speakers
// quiet without silencing what it records. Muting the speakers instead
// would silence the recording too, since what they play is what Skywell
// records. All calls come from the user-interface thread; each waits on
// the sound server for a bounded time only.
//
// A recording with the speakers muted opens it before it starts its
// players, starts them with PULSE_SINK=sinkName(), records monitorName(),
// moves the streams of players it did not start with moveStreamsOf(),
// and closes it once capture has stopped. Players get PULSE_SINK only
// while it is open: a sink that does not exist makes PulseAudio refuse
// their stream, and PipeWire play it on the speakers.
class PrivateSink
{
public:
    virtual ~PrivateSink() = default;

    // Makes sure the sink exists: creates it on the first call, and again
    // when the sound server lost it (it restarted). Sinks left by an
    // earlier run that ended without closing are removed first. False when
    // the server cannot be reached or refuses; errorText() says why.
    virtual bool open() = 0;
    // The sink's name: the value of PULSE_SINK for players that are to play
    // into it. Fixed for the life of the object.
    virtual QString sinkName() const = 0;
    // The source that records what the sink plays.
    virtual QString monitorName() const = 0;
    // Moves the playback streams of the given processes, and of their child
    // processes, into the sink. May be called again (a player that opened a
    // new stream); streams already in the sink count as moved.
    virtual StreamMove moveStreamsOf(const QList<qint64> &processIds) = 0;
    // Gives every stream still in the sink back to the output it came from
    // (the default output for the players started into it), so that a
    // player left running is heard again, and removes the sink. Does
    // nothing when it is not open.
    virtual void close() = 0;
    // Plays what the sink receives on the user's default output too (a
    // loopback), or stops doing so; after open(). A recording that is not
    // muted is heard this way. False when the server refuses.
    virtual bool setHeard(bool heard)
    {
        (void)heard;
        return false;
    }
    // Why the last open() failed.
    virtual QString errorText() const = 0;
};

} // namespace skywell
