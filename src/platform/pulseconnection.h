#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

struct pa_mainloop;
struct pa_context;
struct pa_operation;

namespace skywell
{

struct PulseSource {
    QString name;
    QString description;
    int channels = 0;
    std::uint32_t rate = 0;
    std::uint32_t card = UINT32_MAX;          // none when UINT32_MAX
    std::uint32_t monitorOfSink = UINT32_MAX; // none when UINT32_MAX
    // What a sink plays: the server says so by "monitor of sink", or by
    // the device class "monitor" (PipeWire).
    bool monitor = false;
    QList<std::uint32_t> volumes; // per channel, PA_VOLUME_NORM = 100 %
};

struct PulseSink {
    std::uint32_t index = 0;
    QString name;
    QString description;
    std::uint32_t card = UINT32_MAX;
};

struct PulseCard {
    std::uint32_t index = 0;
    QString description;
};

struct PulseServerInfo {
    QString defaultSource;
    QString defaultSink;
};

// One short-lived connection to the sound server (PulseAudio, or PipeWire
// through its PulseAudio interface) for synchronous queries and changes.
// The server is found the usual way (PULSE_SERVER, XDG_RUNTIME_DIR). Each
// call waits at most a few seconds; a failure leaves the error code.
class PulseConnection final
{
public:
    PulseConnection();
    ~PulseConnection();
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    bool connect();
    // The libpulse error code of the last failure (PA_ERR_*), 0 when none.
    int error() const { return m_error; }

    std::optional<PulseServerInfo> serverInfo();
    std::optional<QList<PulseSource>> sources();
    std::optional<QList<PulseSink>> sinks();
    std::optional<QList<PulseCard>> cards();

    // Sets each channel of the source (0 = silent, kVolumeUnity = 100 %).
    bool setSourceVolumes(const QString &name, const QList<std::uint32_t> &volumes);
    bool setSinkMute(const QString &name, bool mute);

    // The volume range a source line offers the mixer: silent to twice
    // unity, so that the middle of the range is 100 %, the level at which
    // a monitor records exactly what its sink plays.
    static constexpr std::uint32_t kVolumeUnity = 65536; // PA_VOLUME_NORM
    static constexpr std::uint32_t kVolumeMin = 0;
    static constexpr std::uint32_t kVolumeMax = 2 * kVolumeUnity;

private:
    bool iterateUntil(const std::function<bool()> &done);
    bool finish(pa_operation *operation, const bool &failed);

    pa_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    int m_error = 0;
};

} // namespace skywell
