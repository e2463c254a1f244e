#include "platform/pulsesoundplayer.h"

#include "recording/wavfile.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <memory>

namespace skywell
{

namespace
{
struct SimpleFree {
    void operator()(pa_simple *s) const { pa_simple_free(s); }
};

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

QString pulseError(int code)
{
    return QString::fromUtf8(pa_strerror(code));
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
        return fail(error, QStringLiteral("%1-bit samples are not supported").arg(format.bitsPerSample));
    spec.rate = format.samplesPerSec;
    spec.channels = std::uint8_t(format.channels);
    if (!pa_sample_spec_valid(&spec) || format.channels > PA_CHANNELS_MAX)
        return fail(error, QStringLiteral("unsupported sample format"));

    const QByteArray sink = m_sink.toUtf8();
    int code = 0;
    std::unique_ptr<pa_simple, SimpleFree> stream(pa_simple_new(nullptr, "Skywell", PA_STREAM_PLAYBACK,
                                                                m_sink.isEmpty() ? nullptr : sink.constData(),
                                                                "Test sound", &spec, nullptr, nullptr, &code));
    if (!stream)
        return fail(error, pulseError(code));
    // Whole frames only: a truncated file may end in the middle of one.
    const qsizetype frameBytes = qsizetype(spec.channels) * (format.bitsPerSample / 8);
    const qsizetype bytes = wav->samples.size() / frameBytes * frameBytes;
    if (bytes > 0 && pa_simple_write(stream.get(), wav->samples.constData(), std::size_t(bytes), &code) < 0)
        return fail(error, pulseError(code));
    // Returns once the server has played everything written.
    if (pa_simple_drain(stream.get(), &code) < 0)
        return fail(error, pulseError(code));
    return true;
}

} // namespace skywell
