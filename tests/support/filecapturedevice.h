#pragma once

#include "recording/soundcardcapture.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace skywell
{

// A capture device that plays a WAV file as captured blocks, either at the
// pace of real time or as fast as the receiver takes them, in place of a
// sound card. Blocks stop at the end of the file; the device then stays
// silent until stopped.
class FileCaptureDevice final : public SoundCardCapture
{
public:
    enum class Pace { RealTime, AsFastAsPossible };

    FileCaptureDevice(QString wavPath, Pace pace, int blockMilliseconds = 100);
    ~FileCaptureDevice() override;

    // One device, named after the file.
    QStringList deviceNames() override;
    bool start(const QString &deviceName, BlockSink sink) override;
    void stop() override;

    // Waits until every block of the file was delivered (or stop()).
    void waitUntilFinished();
    bool finished() const { return m_finished; }

private:
    void run(BlockSink sink);

    QString m_path;
    Pace m_pace;
    int m_blockMs;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::atomic<bool> m_finished{false};
};

} // namespace skywell
