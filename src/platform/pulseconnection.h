#pragma once

#include <QList>
#include <QString>
#include <atomic>
#include <chrono>
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
    QString monitorSource;
};

struct PulseModule {
    std::uint32_t index = 0;
    QString name;
    QString argument;
};

// A playback stream.
struct PulseSinkInput {
    std::uint32_t index = 0;
    std::uint32_t sink = UINT32_MAX;
    qint64 processId = 0; // of the program that plays it; 0 when unknown
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
// call waits at most the time given at construction; a failure leaves the
// error code. The connection's own main loop runs only inside its calls,
// on the calling thread; another thread may cancel() it.
class PulseConnection final
{
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};

    explicit PulseConnection(std::chrono::milliseconds timeout = kDefaultTimeout);
    ~PulseConnection();
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    bool connect();
    // The libpulse error code of the last failure (PA_ERR_*), 0 when none.
    int error() const { return m_error; }

    // From any thread: ends the wait in progress at once and makes every
    // later call fail (PA_ERR_KILLED), whatever the server does.
    void cancel();
    bool cancelled() const { return m_cancelled; }
    // Still connected: neither cancelled nor dropped by the server.
    bool good() const;

    // For streams on this connection (PulseRecordStream).
    pa_context *context() const { return m_context; }
    // Runs the main loop until done() holds; false when the time ran out,
    // the connection failed or was cancelled.
    bool waitUntil(const std::function<bool()> &done);
    // Runs the main loop once, waiting at most the given time for an
    // event; false when the connection failed or was cancelled.
    bool runOnce(std::chrono::milliseconds wait);

    // Sends a request that a working server answers at once (the main loop
    // must run for the answer to arrive); pingAnswered() tells whether it
    // has. A new ping replaces the one before.
    bool ping();
    bool pingAnswered() const;

    std::optional<PulseServerInfo> serverInfo();
    std::optional<QList<PulseSource>> sources();
    std::optional<QList<PulseSink>> sinks();
    std::optional<QList<PulseCard>> cards();

    // Sets each channel of the source (0 = silent, kVolumeUnity = 100 %).
    bool setSourceVolumes(const QString &name, const QList<std::uint32_t> &volumes);
    bool setSinkMute(const QString &name, bool mute);

    // Modules and playback streams.
    std::optional<QList<PulseModule>> modules();
    // The new module's index.
    std::optional<std::uint32_t> loadModule(const QString &name, const QString &argument);
    bool unloadModule(std::uint32_t index);
    std::optional<QList<PulseSinkInput>> sinkInputs();
    bool moveSinkInput(std::uint32_t input, const QString &sink);
    // The last failure in words.
    QString errorText() const;

    // The volume range a source line offers the mixer: silent to twice
    // unity, so that the middle of the range is 100 %, the level at which
    // a monitor records exactly what its sink plays.
    static constexpr std::uint32_t kVolumeUnity = 65536; // PA_VOLUME_NORM
    static constexpr std::uint32_t kVolumeMin = 0;
    static constexpr std::uint32_t kVolumeMax = 2 * kVolumeUnity;

private:
    template <typename Info>
    using ListStart = pa_operation *(*)(pa_context *, void (*)(pa_context *, const Info *, int, void *), void *);

    bool finish(pa_operation *operation, const bool &failed);
    // Runs one of libpulse's list queries, converting each entry it reports.
    template <typename Item, typename Info>
    std::optional<QList<Item>> queryList(ListStart<Info> start, Item (*convert)(const Info &));
    void dropPing();

    const std::chrono::milliseconds m_timeout;
    pa_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_operation *m_ping = nullptr;
    std::atomic<bool> m_cancelled = false;
    int m_error = 0;
};

} // namespace skywell
