#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace skywell
{

// One recording source line of a mixer's recording destination.
struct MixerLine {
    QString name;
    int channels = 2;
    // The line the speakers' signal comes back on (an analog line on a
    // sound card, a monitor on the sound server).
    bool analog = false;
    // What the user is shown (the sound server's description); empty: the
    // name.
    QString description = {};
};

// A mixer device and the source lines of its recording destination.
struct MixerDeviceInfo {
    QString productName;
    QList<MixerLine> sources;
};

// Every mixer device; error is nonzero (a back-end code) when the mixers
// could not be reached at all.
struct MixerScan {
    std::uint32_t error = 0;
    QList<MixerDeviceInfo> devices;
};

// The input selector of the first mixer: single-select (exactly one input
// records) or multiple-select, its items and their current state.
struct MixerSelector {
    bool multiple = false;
    QStringList items;
    QList<bool> values;
};

struct VolumeRange {
    std::uint32_t minimum = 0;
    std::uint32_t maximum = 65535;
};

// What the mixer logic needs of the system's audio mixer.
class MixerBackend
{
public:
    virtual ~MixerBackend() = default;

    virtual MixerScan scan() = 0;
    // The product name of the mixer that serves the capture device called
    // card, empty when there is none.
    virtual QString mixerOfCaptureDevice(const QString &card) = 0;
    // The first mixer's input selector; nothing when there is none.
    virtual std::optional<MixerSelector> selector() = 0;
    virtual bool writeSelector(const QList<bool> &values) = 0;
    // The volume range of the source line called name; nothing when the
    // line has no volume control.
    virtual std::optional<VolumeRange> sourceVolumeRange(const QString &name) = 0;
    // Sets every channel of the source line called name to value.
    virtual bool setSourceVolume(const QString &name, std::uint32_t value) = 0;
    // The volume of each channel of the source line called name; nothing
    // when it cannot be read.
    virtual std::optional<QList<std::uint32_t>> sourceVolumes(const QString &name) = 0;
    virtual bool setSourceVolumes(const QString &name, const QList<std::uint32_t> &volumes) = 0;
    // The mute switch of the first mixer's speakers.
    virtual bool setSpeakerMute(bool on) = 0;
};

} // namespace skywell
