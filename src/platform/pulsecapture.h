#pragma once

#include "recording/soundcardcapture.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace skywell
{

class PulseConnection;
class PulseSourceChoice;

// Captures from the sound server on a thread of its own: 16-bit stereo at
// the source's own rate (44100 or 48000 Hz), in blocks of 100 ms, asking
// for short fragments (PipeWire otherwise delivers two-second bursts). The
// source is named, never the server's default (chooseCaptureSource). When
// the server or the source goes away, it tries again once a second until
// stopped; no blocks arrive meanwhile. A server that stops answering (hung,
// or stopped by a signal) counts as gone. No wait on the server is without
// a time limit, and stop() interrupts any of them: it returns at once,
// whatever the server does. Made over the mixer's choice, it records what
// was chosen there (one recording at a time); made over a source name, it
// records that source alone (a private sink's monitor), whatever the mixer
// chose and whatever device start() names, and several may run at once.
class PulseCaptureDevice final : public SoundCardCapture
{
public:
    static constexpr int kBlockMilliseconds = 100;
    static constexpr int kFragmentMilliseconds = 50;
    // How long each step of connecting may take, and how long a server
    // that sends nothing may take to answer a question.
    static constexpr std::chrono::milliseconds kServerTimeout{2000};
    // Silence from the server for this long (a suspended source sends
    // nothing) makes the capture ask whether the server still answers.
    static constexpr std::chrono::milliseconds kQuietBeforeAsking{1000};
    static constexpr std::chrono::milliseconds kRetryDelay{1000};

    explicit PulseCaptureDevice(const PulseSourceChoice &choice);
    explicit PulseCaptureDevice(QString source);
    ~PulseCaptureDevice() override;

    QStringList deviceNames() override;
    bool start(const QString &deviceName, BlockSink sink) override;
    void stop() override;

    // Connections made since start (the first one included); for tests.
    int connectionCount() const;

private:
    struct Target {
        QString source;
        std::uint32_t rate = 44100;
    };
    bool resolve(PulseConnection &connection, const QString &deviceName, Target &target);
    void run(QString deviceName, BlockSink sink);
    // Records over one connection until it fails or stop() is called.
    void record(const QString &deviceName, const BlockSink &sink);
    // Makes the connection the one stop() cancels (null: none); false when
    // stop() was already called.
    bool setCurrent(PulseConnection *connection);
    // Waits up to the given time; true when asked to stop.
    bool waitForStop(std::chrono::milliseconds time);

    const PulseSourceChoice *m_choice = nullptr;
    // Recorded instead of the choice when not empty.
    const QString m_source;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    PulseConnection *m_current = nullptr;
    int m_connections = 0;
};

} // namespace skywell
