#include "platform/pulsecapture.h"

#include "platform/pulseconnection.h"
#include "platform/pulsedevices.h"
#include "platform/pulserecordstream.h"
#include "recording/blockassembler.h"

namespace skywell
{

namespace
{
// Tells a hung server from one that has nothing to send (a suspended
// source): after a quiet spell it asks the server a question, which a
// working server answers at once.
class HangWatch
{
public:
    explicit HangWatch(PulseConnection &connection) : m_connection(connection) {}

    // Called after each turn of the main loop, heard telling whether audio
    // came; false when the server has not answered in time.
    bool answering(bool heard)
    {
        const auto now = Clock::now();
        if (heard || (m_asking && m_connection.pingAnswered())) {
            m_lastHeard = now;
            m_asking = false;
        } else if (!m_asking && now - m_lastHeard >= PulseCaptureDevice::kQuietBeforeAsking) {
            m_asking = m_connection.ping();
            m_askedAt = now;
            return m_asking;
        } else if (m_asking && now - m_askedAt >= PulseCaptureDevice::kServerTimeout) {
            return false;
        }
        return true;
    }

private:
    using Clock = std::chrono::steady_clock;
    PulseConnection &m_connection;
    Clock::time_point m_lastHeard = Clock::now();
    Clock::time_point m_askedAt;
    bool m_asking = false;
};
} // namespace

PulseCaptureDevice::PulseCaptureDevice(const PulseSourceChoice &choice) : m_choice(&choice)
{
}

PulseCaptureDevice::PulseCaptureDevice(QString source) : m_source(std::move(source))
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
        // Whatever the thread waits for on the server ends now.
        if (m_current)
            m_current->cancel();
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

bool PulseCaptureDevice::setCurrent(PulseConnection *connection)
{
    std::lock_guard lock(m_mutex);
    if (connection && m_stop)
        return false;
    m_current = connection;
    return true;
}

bool PulseCaptureDevice::resolve(PulseConnection &connection, const QString &deviceName, Target &target)
{
    const auto info = connection.serverInfo();
    const auto sources = info ? connection.sources() : std::nullopt;
    const auto sinks = sources ? connection.sinks() : std::nullopt;
    const auto cards = sinks ? connection.cards() : std::nullopt;
    if (!cards)
        return false;
    const PulseSource *source = nullptr;
    if (m_choice) {
        source = chooseCaptureSource(m_choice->get(), deviceName, info->defaultSink, *cards, *sinks, *sources);
    } else {
        // Only the named source: any other would mix another recording in.
        for (const PulseSource &each : *sources)
            if (each.name == m_source)
                source = &each;
    }
    if (!source)
        return false;
    target.source = source->name;
    target.rate = (source->rate == 48000) ? 48000 : 44100;
    return true;
}

void PulseCaptureDevice::run(QString deviceName, BlockSink sink)
{
    do
        record(deviceName, sink);
    while (!waitForStop(kRetryDelay));
}

void PulseCaptureDevice::record(const QString &deviceName, const BlockSink &sink)
{
    PulseConnection connection(kServerTimeout);
    if (!setCurrent(&connection))
        return;
    struct Forget {
        PulseCaptureDevice *device;
        ~Forget() { device->setCurrent(nullptr); }
    } forget{this};

    Target target;
    if (!connection.connect() || !resolve(connection, deviceName, target))
        return;
    const WaveFormat format = WaveFormat::pcm(target.rate, 2, 16);
    // Small fragments: the server otherwise holds back up to two seconds,
    // and the end of a recording would be lost.
    PulseRecordStream stream(connection);
    if (!stream.connect(target.source, target.rate, target.rate * format.blockAlign * kFragmentMilliseconds / 1000))
        return;
    {
        std::lock_guard lock(m_mutex);
        ++m_connections;
    }

    BlockAssembler blocks(format, target.rate * kBlockMilliseconds / 1000 * format.blockAlign,
                          [&sink](CaptureBlockPtr block) {
                              sink(std::move(block));
                              return true;
                          });
    HangWatch watch(connection);
    while (connection.runOnce(std::chrono::milliseconds(200))) {
        bool heard = false;
        const bool good = stream.read([&](const std::uint8_t *data, std::size_t bytes) {
            blocks.add(data, bytes);
            heard = true;
        });
        // The source or the server went away, or the server hangs: try
        // again later.
        if (!good || !watch.answering(heard))
            return;
    }
}

} // namespace skywell
