#pragma once

#include "mixer/mixerbackend.h"

#include <QMap>

namespace skywell
{

// An in-memory mixer for tests: devices, selector, volumes and the speaker
// mute are plain fields that tests set up and inspect.
class MemoryMixer final : public MixerBackend
{
public:
    MixerScan scanResult;
    QMap<QString, QString> captureDeviceMixers; // capture device -> mixer name
    std::optional<MixerSelector> selectorState;
    bool failWriteSelector = false;
    VolumeRange volumeRange;
    QStringList linesWithoutVolume;
    QMap<QString, QList<std::uint32_t>> volumes; // per channel
    bool failSetVolume = false;
    std::optional<bool> speakerMute; // nothing: no speaker mute control
    int scans = 0;

    MixerScan scan() override
    {
        ++scans;
        return scanResult;
    }
    QString mixerOfCaptureDevice(const QString &card) override { return captureDeviceMixers.value(card); }
    std::optional<MixerSelector> selector() override { return selectorState; }
    bool writeSelector(const QList<bool> &values) override
    {
        if (failWriteSelector || !selectorState)
            return false;
        selectorState->values = values;
        return true;
    }
    std::optional<VolumeRange> sourceVolumeRange(const QString &name) override
    {
        if (linesWithoutVolume.contains(name))
            return std::nullopt;
        return volumeRange;
    }
    bool setSourceVolume(const QString &name, std::uint32_t value) override
    {
        if (failSetVolume)
            return false;
        volumes[name] = QList<std::uint32_t>(2, value);
        return true;
    }
    std::optional<QList<std::uint32_t>> sourceVolumes(const QString &name) override
    {
        if (!volumes.contains(name))
            return std::nullopt;
        return volumes.value(name);
    }
    bool setSourceVolumes(const QString &name, const QList<std::uint32_t> &values) override
    {
        if (failSetVolume)
            return false;
        volumes[name] = values;
        return true;
    }
    bool setSpeakerMute(bool on) override
    {
        if (!speakerMute)
            return false;
        speakerMute = on;
        return true;
    }
};

} // namespace skywell
