#include "platform/pulsecapture.h"

#include "platform/pulseconnection.h"
#include "platform/pulsedevices.h"

#include <pulse/simple.h>

#include <memory>
#include <vector>

namespace skywell
{

namespace
{
struct SimpleDeleter {
    void operator()(pa_simple *s) const { pa_simple_free(s); }
};
using SimpleStream = std::unique_ptr<pa_simple, SimpleDeleter>;
} // namespace

PulseCaptureDevice::PulseCaptureDevice(const PulseSourceChoice &choice) : m_choice(choice)
{
}

PulseCaptureDevice::~PulseCaptureDevice()
{
    stop();
}

QStringList PulseCaptureDevice::deviceNames()
{
    PulseConnection connection;
    if (!connection.connect())
        return {};
    const auto cards = connection.cards();
    const auto sinks = connection.sinks();
    const auto sources = connection.sources();
    if (!cards || !sinks || !sources)
        return {};
    QStringList names;
    for (const PulseDevice &device : groupByDevice(*cards, *sinks, *sources))
        names.append(device.productName);
    return names;
}

bool PulseCaptureDevice::start(const QString &deviceName, BlockSink sink)
{
    stop();
    {
        std::lock_guard lock(m_mutex);
        m_stop = false;
        m_connections = 0;
    }
    m_thread = std::thread([this, deviceName, sink = std::move(sink)] { run(deviceName, sink); });
    return true;
}

void PulseCaptureDevice::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

int PulseCaptureDevice::connectionCount() const
{
    std::lock_guard lock(m_mutex);
    return m_connections;
}

bool PulseCaptureDevice::waitForStop(std::chrono::milliseconds time)
{
    std::unique_lock lock(m_mutex);
    return m_wake.wait_for(lock, time, [this] { return m_stop; });
}

bool PulseCaptureDevice::resolve(const QString &deviceName, Target &target)
{
    PulseConnection connection;
    if (!connection.connect())
        return false;
    const auto info = connection.serverInfo();
    const auto sources = connection.sources();
    const auto sinks = connection.sinks();
    const auto cards = connection.cards();
    if (!info || !sources || !sinks || !cards)
        return false;
    const PulseSource *source =
        chooseCaptureSource(m_choice.get(), deviceName, info->defaultSink, *cards, *sinks, *sources);
    if (!source)
        return false;
    target.source = source->name;
    target.rate = (source->rate == 48000) ? 48000 : 44100;
    return true;
}

void PulseCaptureDevice::run(QString deviceName, BlockSink sink)
{
    const auto retryDelay = std::chrono::milliseconds(1000);
    while (true) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stop)
                return;
        }
        Target target;
        SimpleStream stream;
        if (resolve(deviceName, target)) {
            pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, target.rate, 2};
            const std::uint32_t frameBytes = 4;
            pa_buffer_attr attr;
            attr.maxlength = std::uint32_t(-1);
            attr.tlength = attr.prebuf = attr.minreq = std::uint32_t(-1);
            // Small fragments: the server otherwise holds back up to two
            // seconds, and the end of a recording would be lost.
            attr.fragsize = target.rate * frameBytes * kFragmentMilliseconds / 1000;
            const QByteArray source = target.source.toUtf8();
            int error = 0;
            stream.reset(pa_simple_new(nullptr, "Skywell", PA_STREAM_RECORD, source.constData(), "Recording",
                                       &sampleFormat, nullptr, &attr, &error));
        }
        if (stream) {
            {
                std::lock_guard lock(m_mutex);
                ++m_connections;
            }
            const WaveFormat format = WaveFormat::pcm(target.rate, 2, 16);
            std::vector<std::uint8_t> buffer(target.rate * kBlockMilliseconds / 1000 * format.blockAlign);
            int error = 0;
            while (pa_simple_read(stream.get(), buffer.data(), buffer.size(), &error) == 0) {
                {
                    std::lock_guard lock(m_mutex);
                    if (m_stop)
                        return;
                }
                sink(std::make_unique<AcmBlock>(format, buffer.data(), std::uint32_t(buffer.size())));
            }
            // The server or the source went away: try again below.
        }
        if (waitForStop(retryDelay))
            return;
    }
}

} // namespace skywell
