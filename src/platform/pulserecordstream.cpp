#include "platform/pulserecordstream.h"

#include "platform/pulseconnection.h"

#include <pulse/pulseaudio.h>

namespace skywell
{

PulseRecordStream::PulseRecordStream(PulseConnection &connection) : m_connection(connection)
{
}

PulseRecordStream::~PulseRecordStream()
{
    if (!m_stream)
        return;
    // Only queues the request: a stalled server does not hold us.
    if (pa_stream_get_state(m_stream) == PA_STREAM_READY)
        pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
}

bool PulseRecordStream::connect(const QString &source, std::uint32_t rate, std::uint32_t fragmentBytes)
{
    if (m_stream || !m_connection.good())
        return false;
    const pa_sample_spec spec{PA_SAMPLE_S16LE, rate, 2};
    m_stream = pa_stream_new(m_connection.context(), "Recording", &spec, nullptr);
    if (!m_stream)
        return false;
    pa_buffer_attr attr;
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = attr.prebuf = attr.minreq = std::uint32_t(-1);
    attr.fragsize = fragmentBytes;
    const QByteArray name = source.toUtf8();
    if (pa_stream_connect_record(m_stream, name.constData(), &attr, PA_STREAM_ADJUST_LATENCY) < 0)
        return false;
    pa_stream_state_t state = PA_STREAM_UNCONNECTED;
    const bool settled = m_connection.waitUntil([&] {
        state = pa_stream_get_state(m_stream);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    });
    return settled && state == PA_STREAM_READY;
}

bool PulseRecordStream::read(const Receiver &receive)
{
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY || !m_connection.good())
        return false;
    for (;;) {
        const std::size_t readable = pa_stream_readable_size(m_stream);
        if (readable == std::size_t(-1))
            return false;
        if (readable == 0)
            return true;
        const void *data = nullptr;
        std::size_t bytes = 0;
        if (pa_stream_peek(m_stream, &data, &bytes) < 0)
            return false;
        if (bytes == 0)
            return true;
        receive(static_cast<const std::uint8_t *>(data), bytes);
        pa_stream_drop(m_stream);
    }
}

} // namespace skywell
