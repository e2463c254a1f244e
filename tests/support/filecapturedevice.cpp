#include "support/filecapturedevice.h"

#include "recording/wavfile.h"

#include <QFileInfo>
#include <chrono>

namespace skywell
{

FileCaptureDevice::FileCaptureDevice(QString wavPath, Pace pace, int blockMilliseconds)
    : m_path(std::move(wavPath)), m_pace(pace), m_blockMs(qMax(1, blockMilliseconds))
{
}

FileCaptureDevice::~FileCaptureDevice()
{
    stop();
}

QStringList FileCaptureDevice::deviceNames()
{
    return {QFileInfo(m_path).fileName()};
}

bool FileCaptureDevice::start(const QString &, BlockSink sink)
{
    stop();
    if (!QFileInfo::exists(m_path))
        return false;
    m_stop = false;
    m_finished = false;
    m_thread = std::thread([this, sink = std::move(sink)] { run(sink); });
    return true;
}

void FileCaptureDevice::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void FileCaptureDevice::waitUntilFinished()
{
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_stop || m_finished; });
}

void FileCaptureDevice::run(BlockSink sink)
{
    const std::optional<WavData> wav = readWavFile(m_path);
    if (wav && wav->format.blockAlign > 0) {
        const WaveFormat format = wav->format;
        const qsizetype frames = qMax<qsizetype>(1, qsizetype(format.samplesPerSec) * m_blockMs / 1000);
        const qsizetype blockBytes = frames * format.blockAlign;
        const auto begin = std::chrono::steady_clock::now();
        for (qsizetype at = 0; at < wav->samples.size(); at += blockBytes) {
            const auto bytes = std::uint32_t(qMin(blockBytes, wav->samples.size() - at));
            if (m_pace == Pace::RealTime) {
                // Each block is handed over when its last sample "was played".
                const auto due = begin + std::chrono::microseconds((at + bytes) * 1'000'000LL / format.avgBytesPerSec);
                std::unique_lock lock(m_mutex);
                if (m_wake.wait_until(lock, due, [this] { return m_stop; }))
                    return;
            } else {
                std::lock_guard lock(m_mutex);
                if (m_stop)
                    return;
            }
            sink(std::make_unique<CaptureBlock>(format, wav->samples.constData() + at, bytes));
        }
    }
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_wake.notify_all();
}

} // namespace skywell
