#include "platform/pulsedevices.h"

namespace skywell
{

QList<PulseDevice> groupByDevice(const QList<PulseCard> &cards, const QList<PulseSink> &sinks,
                                 const QList<PulseSource> &sources)
{
    auto cardName = [&cards](std::uint32_t index) -> QString {
        for (const PulseCard &card : cards)
            if (card.index == index)
                return card.description;
        return {};
    };
    auto sinkOf = [&sinks](std::uint32_t index) -> const PulseSink * {
        for (const PulseSink &sink : sinks)
            if (sink.index == index)
                return &sink;
        return nullptr;
    };

    QList<PulseDevice> devices;
    for (const PulseSource &source : sources) {
        QString name;
        if (source.card != UINT32_MAX)
            name = cardName(source.card);
        if (name.isEmpty() && isMonitor(source)) {
            if (const PulseSink *sink = sinkOf(source.monitorOfSink))
                name = sink->card != UINT32_MAX ? cardName(sink->card) : QString();
            if (name.isEmpty() && sinkOf(source.monitorOfSink))
                name = sinkOf(source.monitorOfSink)->description;
        }
        if (name.isEmpty())
            name = source.description;
        auto it = std::find_if(devices.begin(), devices.end(),
                               [&name](const PulseDevice &d) { return d.productName == name; });
        if (it == devices.end()) {
            devices.append({name, {}});
            it = devices.end() - 1;
        }
        it->sources.append(source);
    }
    return devices;
}

const PulseSource *chooseCaptureSource(const QString &chosen, const QString &deviceName, const QString &defaultSink,
                                       const QList<PulseCard> &cards, const QList<PulseSink> &sinks,
                                       const QList<PulseSource> &sources)
{
    auto named = [&sources](const QString &name) -> const PulseSource * {
        for (const PulseSource &source : sources)
            if (source.name == name)
                return &source;
        return nullptr;
    };
    if (const PulseSource *source = chosen.isEmpty() ? nullptr : named(chosen))
        return source;
    if (deviceName != QLatin1String("Default Device")) {
        for (const PulseDevice &device : groupByDevice(cards, sinks, sources))
            if (device.productName == deviceName)
                for (const PulseSource &source : device.sources)
                    if (isMonitor(source))
                        return named(source.name);
    }
    std::uint32_t defaultSinkIndex = UINT32_MAX;
    for (const PulseSink &sink : sinks)
        if (sink.name == defaultSink)
            defaultSinkIndex = sink.index;
    const PulseSource *firstMonitor = nullptr;
    for (const PulseSource &source : sources) {
        if (!isMonitor(source))
            continue;
        if (defaultSinkIndex != UINT32_MAX && source.monitorOfSink == defaultSinkIndex)
            return &source;
        if (!firstMonitor)
            firstMonitor = &source;
    }
    return firstMonitor;
}

} // namespace skywell
