#include "platform/pulsesoundplayer.h"

#include "platform/pulseconnection.h"
#include "recording/wavfile.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <memory>

namespace skywell
{

namespace
{
struct StreamUnref {
    void operator()(pa_stream *s) const
    {
        // Only queues the request: a stalled server does not hold us.
        if (pa_stream_get_state(s) == PA_STREAM_READY)
            pa_stream_disconnect(s);
        pa_stream_unref(s);
    }
};

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

QString pulseError(int code)
{
    return QString::fromUtf8(pa_strerror(code ? code : PA_ERR_UNKNOWN));
}

bool streamGood(pa_stream *stream)
{
    return PA_STREAM_IS_GOOD(pa_stream_get_state(stream));
}
} // namespace

bool PulseSoundPlayer::playToEnd(const QString &path, QString *error)
{
    QString readError;
    const std::optional<WavData> wav = readWavFile(path, &readError);
    if (!wav)
        return fail(error, readError);
    const WaveFormat &format = wav->format;
    pa_sample_spec spec{};
    if (format.bitsPerSample == 16)
        spec.format = PA_SAMPLE_S16LE;
    else if (format.bitsPerSample == 8)
        spec.format = PA_SAMPLE_U8;
    else
        return fail(error, QStringLiteral("%1-bit samples cannot be played").arg(format.bitsPerSample));
    spec.rate = format.samplesPerSec;
    spec.channels = std::uint8_t(std::min<unsigned>(format.channels, 255));
    if (format.channels > PA_CHANNELS_MAX || !pa_sample_spec_valid(&spec))
        return fail(error, QStringLiteral("the sample format cannot be played"));

    PulseConnection connection(m_timeout);
    if (!connection.connect())
        return fail(error, pulseError(connection.error()));
    std::unique_ptr<pa_stream, StreamUnref> stream(pa_stream_new(connection.context(), "Test sound", &spec, nullptr));
    if (!stream)
        return fail(error, pulseError(pa_context_errno(connection.context())));
    const QByteArray sink = m_sink.toUtf8();
    if (pa_stream_connect_playback(stream.get(), m_sink.isEmpty() ? nullptr : sink.constData(), nullptr,
                                   pa_stream_flags_t(0), nullptr, nullptr) < 0)
        return fail(error, pulseError(pa_context_errno(connection.context())));
    const bool ready = connection.waitUntil([&] { return pa_stream_get_state(stream.get()) != PA_STREAM_CREATING; });
    if (!ready || pa_stream_get_state(stream.get()) != PA_STREAM_READY)
        return fail(error, pulseError(ready ? pa_context_errno(connection.context()) : connection.error()));

    // Whole frames only: a truncated file may end in the middle of one.
    const std::size_t frameBytes = pa_frame_size(&spec);
    const std::size_t total = std::size_t(wav->samples.size()) / frameBytes * frameBytes;
    std::size_t written = 0;
    while (written < total) {
        std::size_t writable = 0;
        // The server asks for more as it plays; each wait has the limit.
        const bool asked = connection.waitUntil([&] {
            writable = pa_stream_writable_size(stream.get());
            return !streamGood(stream.get()) || (writable > 0 && writable != std::size_t(-1));
        });
        if (!asked || !streamGood(stream.get()) || writable == std::size_t(-1))
            return fail(error, pulseError(asked ? pa_context_errno(connection.context()) : connection.error()));
        const std::size_t bytes = std::min(writable, total - written) / frameBytes * frameBytes;
        if (bytes == 0)
            continue;
        if (pa_stream_write(stream.get(), wav->samples.constData() + written, bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return fail(error, pulseError(pa_context_errno(connection.context())));
        written += bytes;
    }

    // Returns once the server has played everything written.
    int drained = -1;
    pa_operation *drain = pa_stream_drain(
        stream.get(), [](pa_stream *, int success, void *result) { *static_cast<int *>(result) = success; }, &drained);
    if (!drain)
        return fail(error, pulseError(pa_context_errno(connection.context())));
    const bool done = connection.waitUntil([&] { return drained >= 0 || !streamGood(stream.get()); });
    if (pa_operation_get_state(drain) == PA_OPERATION_RUNNING)
        pa_operation_cancel(drain);
    pa_operation_unref(drain);
    if (!done || drained != 1)
        return fail(error, pulseError(done ? pa_context_errno(connection.context()) : connection.error()));
    return true;
}

} // namespace skywell
