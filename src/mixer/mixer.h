#pragma once

#include "mixer/mixerbackend.h"
#include "recording/recordingports.h"
#include "shows/recordsources.h"

#include <QString>
#include <QStringList>

namespace skywell
{

class ActivityLog;
class SettingsStore;
struct Settings;

// The items of a "Recording Source" drop-down and the one to select
// (-1: nothing, for an empty list). Dialogs only show them.
struct SourceCombo {
    QStringList items; // the sources' names, as Shows store them
    int selected = -1;
    // What the list shows for each item (the device's description); an
    // item without one shows its name.
    QStringList labels = {};
    QString label(int index) const
    {
        const QString text = labels.value(index);
        return text.isEmpty() ? items.value(index) : text;
    }
};

// Mixer control: the recording sources of the configured sound card, the
// drop-down preselection, source selection, source volume and speaker
// mute. The source table lives as long as this object; every listing
// refills it. All calls come from the user-interface thread.
class Mixer final : public SourceMixer
{
public:
    static constexpr int kMaxSources = 25;

    Mixer(MixerBackend &backend, ActivityLog &log, const SettingsStore &settingsStore, const Settings &settings);

    // Refills the source table from the recording sources of card's mixers
    // ("Default Device": every mixer) and logs the scan.
    bool listRecordingSources(const QString &card);
    // Writes every mixer's recording sources to the activity log.
    void logMixerData();
    // The drop-down: "Internet Stream", the configured sound card's
    // sources, optionally "Direct Download"; preselecting wanted or the
    // best fallback.
    SourceCombo fillSourceCombo(const QString &wanted, bool offerDirectDownload);
    // The table entry, "Direct Download" just past it, else empty.
    QString sourceNameAt(int index) const;
    // The source at an index of the drop-down fillSourceCombo filled.
    QString comboSourceAt(int index) const;
    // Makes name the first mixer's recording input. False when nothing was
    // done ("Direct Download", no mixer, no selector).
    bool selectRecordingSource(const QString &name) override;
    // Sets every line called name of the sound card's recording
    // destinations to the middle of its volume range, remembering the
    // volume it had before the first change.
    void optimizeSourceVolume(const QString &name) override;
    // Puts every line changed by optimizeSourceVolume back to the volume it
    // had, unless someone else changed it since; called when a recording
    // ends, so other programs that record from it find it as they left it.
    void restoreSourceVolumes() override;
    bool muteSpeakers(bool on);

    int sourceCount() const { return int(m_names.size()); }
    bool isStereo(int index) const { return m_stereo.value(index); }
    QString bestAnalogStereo() const { return m_bestAnalogStereo; }

private:
    void logOpenFailure(std::uint32_t error);
    void rememberVolume(const QString &name, std::uint32_t set);

    MixerBackend &m_backend;
    ActivityLog &m_log;
    const SettingsStore &m_settingsStore;
    const Settings &m_settings;
    QStringList m_names;
    QStringList m_labels;
    QList<bool> m_stereo;
    QString m_bestAnalogStereo;
    struct ChangedVolume {
        QString name;
        QList<std::uint32_t> before;
        std::uint32_t set = 0;
    };
    QList<ChangedVolume> m_changedVolumes;
};

inline const QString kDefaultDevice = QStringLiteral("Default Device");

} // namespace skywell
