#pragma once

#include "platform/pulseconnection.h"

#include <QMutex>

namespace skywell
{

// A "sound card" as the recording code sees it on the sound server: a card
// with its sources (monitors of its sinks included), or, for sources that
// belong to no card (a null sink's monitor), the sink or source itself.
// productName is the card's (or sink's) description.
struct PulseDevice {
    QString productName;
    QList<PulseSource> sources;
};

// Groups the server's sources by device, in the order the server lists
// the sources.
QList<PulseDevice> groupByDevice(const QList<PulseCard> &cards, const QList<PulseSink> &sinks,
                                 const QList<PulseSource> &sources);

// A monitor (what a sink plays) counts as the "analog" line that records
// the speakers.
inline bool isMonitor(const PulseSource &source)
{
    return source.monitor;
}

// The source the capture reads: the one chosen through the mixer when it
// exists; otherwise a monitor (what the speakers play) of the named device,
// or for "Default Device" the default sink's monitor, or failing those any
// monitor. Never the server's default source, which becomes a microphone
// as soon as one is plugged in. Null when there is no monitor at all.
const PulseSource *chooseCaptureSource(const QString &chosen, const QString &deviceName, const QString &defaultSink,
                                       const QList<PulseCard> &cards, const QList<PulseSink> &sinks,
                                       const QList<PulseSource> &sources);

// The recording source chosen through the mixer; the capture reads it.
// Shared by the mixer and the capture back end of one program.
class PulseSourceChoice final
{
public:
    void set(const QString &name)
    {
        QMutexLocker lock(&m_mutex);
        m_name = name;
    }
    QString get() const
    {
        QMutexLocker lock(&m_mutex);
        return m_name;
    }

private:
    mutable QMutex m_mutex;
    QString m_name;
};

} // namespace skywell
