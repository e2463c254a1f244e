#pragma once

#include "mixer/mixerbackend.h"

namespace skywell
{

class PulseSourceChoice;

// The mixer on the sound server: a mixer device per card (or per sink
// without a card), its sources (monitors included; a monitor is the line
// that records the speakers) as the recording lines; the input selector is
// the source the capture reads (one at a time); the speakers are the
// default sink. Volumes run from silent to twice 100 %, so that the
// middle of the range is 100 %.
class PulseMixer final : public MixerBackend
{
public:
    explicit PulseMixer(PulseSourceChoice &choice);

    MixerScan scan() override;
    QString mixerOfCaptureDevice(const QString &card) override;
    std::optional<MixerSelector> selector() override;
    bool writeSelector(const QList<bool> &values) override;
    std::optional<VolumeRange> sourceVolumeRange(const QString &name) override;
    bool setSourceVolume(const QString &name, std::uint32_t value) override;
    std::optional<QList<std::uint32_t>> sourceVolumes(const QString &name) override;
    bool setSourceVolumes(const QString &name, const QList<std::uint32_t> &volumes) override;
    bool setSpeakerMute(bool on) override;

private:
    PulseSourceChoice &m_choice;
    QStringList m_selectorItems;
};

} // namespace skywell
