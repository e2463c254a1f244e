#pragma once

#include "recording/capturedevice.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace skywell
{

class PulseSourceChoice;

// Captures from the sound server on a thread of its own: 16-bit stereo at
// the source's own rate (44100 or 48000 Hz), in blocks of 100 ms, asking
// for short fragments (PipeWire otherwise delivers two-second bursts). The
// source is named, never the server's default (chooseCaptureSource). When
// the server or the source goes away, it tries again once a second until
// stopped; no blocks arrive meanwhile.
class PulseCaptureDevice final : public CaptureDevice
{
public:
    static constexpr int kBlockMilliseconds = 100;
    static constexpr int kFragmentMilliseconds = 50;

    explicit PulseCaptureDevice(const PulseSourceChoice &choice);
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
    bool resolve(const QString &deviceName, Target &target);
    void run(QString deviceName, BlockSink sink);
    // Waits up to the given time; true when asked to stop.
    bool waitForStop(std::chrono::milliseconds time);

    const PulseSourceChoice &m_choice;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    int m_connections = 0;
};

} // namespace skywell
