#include "platform/streamcapturetestsupport.h"

#include "support/runtool.h"
#include "support/tempenv.h"

#include <cmath>

namespace skywell::test
{

CapturedStream::CapturedStream(StreamCaptureDevice::Pace pace)
    : device(
          [this](const QString &line) {
              std::lock_guard lock(m_mutex);
              m_log.append(line);
              m_changed.notify_all();
          },
          pace)
{
}

bool CapturedStream::start(const QString &address)
{
    return device.start(address, [this](CaptureBlockPtr block) {
        std::lock_guard lock(m_mutex);
        m_blocks.push_back(std::move(block));
        m_changed.notify_all();
    });
}

bool CapturedStream::waitForLog(const QString &prefix, int count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] {
        int found = 0;
        for (const QString &line : m_log)
            found += line.startsWith(prefix) ? 1 : 0;
        return found >= count;
    });
}

bool CapturedStream::waitForAudio(double seconds, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] {
        double total = 0;
        for (const CaptureBlockPtr &b : m_blocks)
            total += double(b->sampleBytes()) / b->format().avgBytesPerSec;
        return total >= seconds;
    });
}

QStringList CapturedStream::log() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

int CapturedStream::logCount(const QString &prefix) const
{
    int found = 0;
    for (const QString &line : log())
        found += line.startsWith(prefix) ? 1 : 0;
    return found;
}

std::size_t CapturedStream::blockCount() const
{
    std::lock_guard lock(m_mutex);
    return m_blocks.size();
}

double CapturedStream::seconds() const
{
    std::lock_guard lock(m_mutex);
    double total = 0;
    for (const CaptureBlockPtr &b : m_blocks)
        total += double(b->sampleBytes()) / b->format().avgBytesPerSec;
    return total;
}

double CapturedStream::rms(std::size_t first) const
{
    std::lock_guard lock(m_mutex);
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t i = first; i < m_blocks.size(); ++i) {
        const CaptureBlock &b = *m_blocks[i];
        const auto *samples = reinterpret_cast<const std::int16_t *>(b.samples());
        for (std::size_t s = 0; s < b.sampleBytes() / 2; ++s) {
            const double v = samples[s] / 32768.0;
            sum += v * v;
        }
        count += b.sampleBytes() / 2;
    }
    return count ? std::sqrt(sum / double(count)) : 0.0;
}

std::vector<std::pair<std::size_t, QString>> CapturedStream::titles() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::pair<std::size_t, QString>> marks;
    for (std::size_t i = 0; i < m_blocks.size(); ++i)
        if (m_blocks[i]->stationTitle())
            marks.emplace_back(i, *m_blocks[i]->stationTitle());
    return marks;
}

std::vector<WaveFormat> CapturedStream::formats() const
{
    std::lock_guard lock(m_mutex);
    std::vector<WaveFormat> result;
    for (const CaptureBlockPtr &b : m_blocks)
        result.push_back(b->format());
    return result;
}

std::vector<std::uint32_t> CapturedStream::sizes() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::uint32_t> result;
    for (const CaptureBlockPtr &b : m_blocks)
        result.push_back(b->sampleBytes());
    return result;
}

QByteArray encodeTone(const QString &dir, const QString &name, const QStringList &codecArgs, double seconds, int rate,
                      const QStringList &extraArgs)
{
    const QString tone = QStringLiteral("0.5*sin(2*PI*440*t)");
    QStringList args{
        QStringLiteral("-nostdin"), QStringLiteral("-v"),
        QStringLiteral("error"),    QStringLiteral("-y"),
        QStringLiteral("-f"),       QStringLiteral("lavfi"),
        QStringLiteral("-i"),       QStringLiteral("aevalsrc=%1|%1:s=%2:d=%3").arg(tone).arg(rate).arg(seconds)};
    args << extraArgs << codecArgs << dir + name;
    QString output;
    if (!runTool(QStringLiteral("ffmpeg"), args, &output)) {
        qWarning("ffmpeg failed: %s", qPrintable(output));
        return {};
    }
    return readAll(dir + name);
}

} // namespace skywell::test
