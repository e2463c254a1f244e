#include "platform/pulseconnection.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>

namespace skywell
{

namespace
{
QString property(pa_proplist *list, const char *key)
{
    const char *value = list ? pa_proplist_gets(list, key) : nullptr;
    return value ? QString::fromUtf8(value) : QString();
}
} // namespace

PulseConnection::PulseConnection(std::chrono::milliseconds timeout) : m_timeout(timeout)
{
    m_loop = pa_mainloop_new();
    if (m_loop)
        m_context = pa_context_new(pa_mainloop_get_api(m_loop), "Skywell");
}

PulseConnection::~PulseConnection()
{
    dropPing();
    if (m_context) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    if (m_loop)
        pa_mainloop_free(m_loop);
}

void PulseConnection::cancel()
{
    m_cancelled = true;
    // Interrupts a poll in progress on the owning thread.
    if (m_loop)
        pa_mainloop_wakeup(m_loop);
}

bool PulseConnection::good() const
{
    return !m_cancelled && m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

bool PulseConnection::runOnce(std::chrono::milliseconds wait)
{
    if (m_cancelled) {
        m_error = PA_ERR_KILLED;
        return false;
    }
    if (!m_loop) {
        m_error = PA_ERR_INTERNAL;
        return false;
    }
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(wait).count();
    if (pa_mainloop_prepare(m_loop, int(std::max<std::int64_t>(micros, 0))) < 0 || pa_mainloop_poll(m_loop) < 0 ||
        pa_mainloop_dispatch(m_loop) < 0) {
        m_error = PA_ERR_INTERNAL;
        return false;
    }
    if (m_cancelled) {
        m_error = PA_ERR_KILLED;
        return false;
    }
    return true;
}

bool PulseConnection::waitUntil(const std::function<bool()> &done)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + m_timeout;
    while (!done()) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
        if (left <= milliseconds(0)) {
            m_error = PA_ERR_TIMEOUT;
            return false;
        }
        if (!runOnce(std::min(left, milliseconds(100))))
            return false;
    }
    return true;
}

void PulseConnection::dropPing()
{
    if (!m_ping)
        return;
    pa_operation_cancel(m_ping);
    pa_operation_unref(m_ping);
    m_ping = nullptr;
}

bool PulseConnection::ping()
{
    dropPing();
    if (!m_context)
        return false;
    auto ignore = [](pa_context *, const pa_server_info *, void *) {};
    m_ping = pa_context_get_server_info(m_context, ignore, nullptr);
    return m_ping != nullptr;
}

bool PulseConnection::pingAnswered() const
{
    return m_ping && pa_operation_get_state(m_ping) == PA_OPERATION_DONE;
}

bool PulseConnection::connect()
{
    if (!m_context) {
        m_error = PA_ERR_INTERNAL;
        return false;
    }
    if (m_cancelled) {
        m_error = PA_ERR_KILLED;
        return false;
    }
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        m_error = pa_context_errno(m_context);
        return false;
    }
    pa_context_state_t state = PA_CONTEXT_UNCONNECTED;
    const bool settled = waitUntil([&] {
        state = pa_context_get_state(m_context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    });
    if (!settled || state != PA_CONTEXT_READY) {
        if (settled)
            m_error = pa_context_errno(m_context);
        if (m_error == 0)
            m_error = PA_ERR_CONNECTIONREFUSED;
        return false;
    }
    return true;
}

bool PulseConnection::finish(pa_operation *operation, const bool &failed)
{
    if (!operation) {
        m_error = pa_context_errno(m_context);
        return false;
    }
    const bool done = waitUntil([&] {
        return pa_operation_get_state(operation) != PA_OPERATION_RUNNING ||
               !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context));
    });
    const bool ok = done && pa_operation_get_state(operation) == PA_OPERATION_DONE && !failed;
    if (!ok && m_error == 0)
        m_error = pa_context_errno(m_context) ? pa_context_errno(m_context) : PA_ERR_UNKNOWN;
    pa_operation_unref(operation);
    return ok;
}

std::optional<PulseServerInfo> PulseConnection::serverInfo()
{
    PulseServerInfo info;
    bool failed = false;
    auto callback = [](pa_context *, const pa_server_info *i, void *data) {
        auto *out = static_cast<PulseServerInfo *>(data);
        out->defaultSource = QString::fromUtf8(i->default_source_name ? i->default_source_name : "");
        out->defaultSink = QString::fromUtf8(i->default_sink_name ? i->default_sink_name : "");
    };
    if (!finish(pa_context_get_server_info(m_context, callback, &info), failed))
        return std::nullopt;
    return info;
}

namespace
{
template <typename Item, typename Info> struct ListState {
    Item (*convert)(const Info &);
    QList<Item> items;
    bool failed = false;
};

template <typename Item, typename Info> void collectEntry(pa_context *, const Info *i, int eol, void *data)
{
    auto *s = static_cast<ListState<Item, Info> *>(data);
    if (eol < 0)
        s->failed = true;
    if (eol || !i)
        return;
    s->items.append(s->convert(*i));
}

PulseSource toSource(const pa_source_info &i)
{
    PulseSource source;
    source.name = QString::fromUtf8(i.name);
    source.description = QString::fromUtf8(i.description ? i.description : i.name);
    source.channels = i.sample_spec.channels;
    source.rate = i.sample_spec.rate;
    source.card = i.card;
    source.monitorOfSink = i.monitor_of_sink;
    source.monitor =
        i.monitor_of_sink != PA_INVALID_INDEX || property(i.proplist, PA_PROP_DEVICE_CLASS) == QLatin1String("monitor");
    for (unsigned c = 0; c < i.volume.channels; ++c)
        source.volumes.append(i.volume.values[c]);
    return source;
}

PulseSink toSink(const pa_sink_info &i)
{
    PulseSink sink;
    sink.index = i.index;
    sink.name = QString::fromUtf8(i.name);
    sink.description = QString::fromUtf8(i.description ? i.description : i.name);
    sink.card = i.card;
    sink.monitorSource = QString::fromUtf8(i.monitor_source_name ? i.monitor_source_name : "");
    return sink;
}

PulseCard toCard(const pa_card_info &i)
{
    PulseCard card;
    card.index = i.index;
    card.description = property(i.proplist, PA_PROP_DEVICE_DESCRIPTION);
    if (card.description.isEmpty())
        card.description = QString::fromUtf8(i.name);
    return card;
}

PulseModule toModule(const pa_module_info &i)
{
    return {i.index, QString::fromUtf8(i.name ? i.name : ""), QString::fromUtf8(i.argument ? i.argument : "")};
}

PulseSinkInput toSinkInput(const pa_sink_input_info &i)
{
    PulseSinkInput input;
    input.index = i.index;
    input.sink = i.sink;
    input.processId = property(i.proplist, PA_PROP_APPLICATION_PROCESS_ID).toLongLong();
    return input;
}
} // namespace

template <typename Item, typename Info>
std::optional<QList<Item>> PulseConnection::queryList(ListStart<Info> start, Item (*convert)(const Info &))
{
    ListState<Item, Info> state{convert, {}, false};
    if (!finish(start(m_context, collectEntry<Item, Info>, &state), state.failed))
        return std::nullopt;
    return state.items;
}

std::optional<QList<PulseSource>> PulseConnection::sources()
{
    return queryList(pa_context_get_source_info_list, toSource);
}

std::optional<QList<PulseSink>> PulseConnection::sinks()
{
    return queryList(pa_context_get_sink_info_list, toSink);
}

std::optional<QList<PulseCard>> PulseConnection::cards()
{
    return queryList(pa_context_get_card_info_list, toCard);
}

namespace
{
void noteSuccess(pa_context *, int success, void *data)
{
    *static_cast<bool *>(data) = !success;
}
} // namespace

bool PulseConnection::setSourceVolumes(const QString &name, const QList<std::uint32_t> &volumes)
{
    if (volumes.isEmpty() || volumes.size() > PA_CHANNELS_MAX) {
        m_error = PA_ERR_INVALID;
        return false;
    }
    pa_cvolume cv;
    pa_cvolume_init(&cv);
    cv.channels = std::uint8_t(volumes.size());
    for (qsizetype c = 0; c < volumes.size(); ++c)
        cv.values[c] = pa_volume_t(std::min<std::uint32_t>(volumes[c], PA_VOLUME_MAX));
    bool failed = false;
    const QByteArray n = name.toUtf8();
    return finish(pa_context_set_source_volume_by_name(m_context, n.constData(), &cv, noteSuccess, &failed), failed);
}

bool PulseConnection::setSinkMute(const QString &name, bool mute)
{
    bool failed = false;
    const QByteArray n = name.toUtf8();
    return finish(pa_context_set_sink_mute_by_name(m_context, n.constData(), mute ? 1 : 0, noteSuccess, &failed),
                  failed);
}

std::optional<QList<PulseModule>> PulseConnection::modules()
{
    return queryList(pa_context_get_module_info_list, toModule);
}

std::optional<std::uint32_t> PulseConnection::loadModule(const QString &name, const QString &argument)
{
    std::uint32_t index = PA_INVALID_INDEX;
    bool failed = false;
    auto callback = [](pa_context *, std::uint32_t idx, void *data) { *static_cast<std::uint32_t *>(data) = idx; };
    const QByteArray n = name.toUtf8();
    const QByteArray a = argument.toUtf8();
    if (!finish(pa_context_load_module(m_context, n.constData(), a.constData(), callback, &index), failed))
        return std::nullopt;
    if (index == PA_INVALID_INDEX) {
        m_error = pa_context_errno(m_context) ? pa_context_errno(m_context) : PA_ERR_MODINITFAILED;
        return std::nullopt;
    }
    return index;
}

bool PulseConnection::unloadModule(std::uint32_t index)
{
    bool failed = false;
    return finish(pa_context_unload_module(m_context, index, noteSuccess, &failed), failed);
}

std::optional<QList<PulseSinkInput>> PulseConnection::sinkInputs()
{
    return queryList(pa_context_get_sink_input_info_list, toSinkInput);
}

bool PulseConnection::moveSinkInput(std::uint32_t input, const QString &sink)
{
    bool failed = false;
    const QByteArray n = sink.toUtf8();
    return finish(pa_context_move_sink_input_by_name(m_context, input, n.constData(), noteSuccess, &failed), failed);
}

QString PulseConnection::errorText() const
{
    return QString::fromUtf8(pa_strerror(m_error ? m_error : PA_ERR_UNKNOWN));
}

} // namespace skywell
