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

    // Sets every channel of the source to the given volume
    // (0 = silent, 65536 = 100 %).
    bool setSourceVolume(const QString &name, int channels, std::uint32_t volume);
    bool setSinkMute(const QString &name, bool mute);

    // The volume range a source line offers: silent to 100 %.
    static constexpr std::uint32_t kVolumeMin = 0;
    static constexpr std::uint32_t kVolumeMax = 65536;

private:
    bool iterateUntil(const std::function<bool()> &done);
    bool finish(pa_operation *operation, const bool &failed);

    pa_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    int m_error = 0;
};

} // namespace skywell
