#include "platform/pulsemixer.h"

#include "platform/pulseconnection.h"
#include "platform/pulsedevices.h"

namespace skywell
{

PulseMixer::PulseMixer(PulseSourceChoice &choice) : m_choice(choice)
{
}

MixerScan PulseMixer::scan()
{
    MixerScan result;
    PulseConnection connection;
    std::optional<QList<PulseCard>> cards;
    std::optional<QList<PulseSink>> sinks;
    std::optional<QList<PulseSource>> sources;
    if (connection.connect()) {
        cards = connection.cards();
        sinks = connection.sinks();
        sources = connection.sources();
    }
    if (!cards || !sinks || !sources) {
        result.error = std::uint32_t(connection.error() ? connection.error() : 1);
        return result;
    }
    for (const PulseDevice &device : groupByDevice(*cards, *sinks, *sources)) {
        MixerDeviceInfo info{device.productName, {}};
        for (const PulseSource &source : device.sources)
            info.sources.append({source.name, source.channels, isMonitor(source), source.description});
        result.devices.append(info);
    }
    return result;
}

QString PulseMixer::mixerOfCaptureDevice(const QString &card)
{
    for (const MixerDeviceInfo &device : scan().devices)
        if (device.productName == card)
            return card;
    return {};
}

std::optional<MixerSelector> PulseMixer::selector()
{
    PulseConnection connection;
    if (!connection.connect())
        return std::nullopt;
    const auto sources = connection.sources();
    if (!sources)
        return std::nullopt;
    MixerSelector selector;
    const QString chosen = m_choice.get();
    for (const PulseSource &source : *sources) {
        selector.items.append(source.name);
        selector.values.append(source.name == chosen);
    }
    m_selectorItems = selector.items;
    return selector;
}

bool PulseMixer::writeSelector(const QList<bool> &values)
{
    const qsizetype index = values.indexOf(true);
    if (index < 0 || index >= m_selectorItems.size())
        return false;
    m_choice.set(m_selectorItems.at(index));
    return true;
}

std::optional<VolumeRange> PulseMixer::sourceVolumeRange(const QString &)
{
    return VolumeRange{PulseConnection::kVolumeMin, PulseConnection::kVolumeMax};
}

namespace
{
std::optional<PulseSource> findSource(PulseConnection &connection, const QString &name)
{
    if (!connection.connect())
        return std::nullopt;
    const auto sources = connection.sources();
    if (!sources)
        return std::nullopt;
    for (const PulseSource &source : *sources)
        if (source.name == name)
            return source;
    return std::nullopt;
}
} // namespace

bool PulseMixer::setSourceVolume(const QString &name, std::uint32_t value)
{
    PulseConnection connection;
    const std::optional<PulseSource> source = findSource(connection, name);
    if (!source)
        return false;
    return connection.setSourceVolumes(name, QList<std::uint32_t>(qMax(1, source->channels), value));
}

std::optional<QList<std::uint32_t>> PulseMixer::sourceVolumes(const QString &name)
{
    PulseConnection connection;
    const std::optional<PulseSource> source = findSource(connection, name);
    if (!source || source->volumes.isEmpty())
        return std::nullopt;
    return source->volumes;
}

bool PulseMixer::setSourceVolumes(const QString &name, const QList<std::uint32_t> &volumes)
{
    PulseConnection connection;
    return connection.connect() && connection.setSourceVolumes(name, volumes);
}

bool PulseMixer::setSpeakerMute(bool on)
{
    PulseConnection connection;
    if (!connection.connect())
        return false;
    const auto info = connection.serverInfo();
    if (!info || info->defaultSink.isEmpty())
        return false;
    return connection.setSinkMute(info->defaultSink, on);
}

} // namespace skywell
