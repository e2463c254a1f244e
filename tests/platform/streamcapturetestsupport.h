#pragma once

#include "platform/streamcapturedevice.h"

#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace skywell::test
{

// A stream capture device with everything it delivers kept: its blocks
// and its log lines, with waits for both.
class CapturedStream
{
public:
    explicit CapturedStream(StreamCaptureDevice::Pace pace = StreamCaptureDevice::Pace::AsFastAsPossible);

    bool start(const QString &address);
    void stop() { device.stop(); }

    // Waits until `count` log lines start with `prefix`; false on timeout.
    bool waitForLog(const QString &prefix, int count = 1, std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Waits until this much audio has arrived.
    bool waitForAudio(double seconds, std::chrono::milliseconds timeout = std::chrono::seconds(30));

    QStringList log() const;
    int logCount(const QString &prefix) const;
    std::size_t blockCount() const;
    double seconds() const;
    // RMS of all samples, both channels, full scale 1.0; of the blocks
    // from `first` on.
    double rms(std::size_t first = 0) const;
    // The title marks: block index and title, in order.
    std::vector<std::pair<std::size_t, QString>> titles() const;
    std::vector<WaveFormat> formats() const;
    // Sample bytes of each block.
    std::vector<std::uint32_t> sizes() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<CaptureBlockPtr> m_blocks;
    QStringList m_log;

public:
    // Last: destroyed (stopped) before the fields its callbacks fill.
    StreamCaptureDevice device;
};

// A 440 Hz tone at half scale (RMS 0.354) on both channels, encoded by
// ffmpeg with `codecArgs` into dir/name; the file's bytes.
QByteArray encodeTone(const QString &dir, const QString &name, const QStringList &codecArgs, double seconds,
                      int rate = 44100, const QStringList &extraArgs = {});

} // namespace skywell::test
