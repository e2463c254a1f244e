#include "mixer/mixer.h"

#include "core/activitylog.h"
#include "core/settings.h"
#include "core/settingsstore.h"

#include <algorithm>

namespace skywell
{

namespace
{
// Tried in this order when the wanted source is not in the list, after
// "BestRecordSource" and the last analog stereo line.
const char *const kPreferredNames[] = {"Stereo Mix",  "Wave Out Mix", "Mix-record", "All",
                                       "What U Hear", "Stereo Out",   "Wave",       "Aux"};

QString hex8(std::uint32_t code)
{
    return QStringLiteral("%1").arg(code, 8, 16, QLatin1Char('0')).toUpper();
}
} // namespace

Mixer::Mixer(MixerBackend &backend, ActivityLog &log, const SettingsStore &settingsStore, const Settings &settings)
    : m_backend(backend), m_log(log), m_settingsStore(settingsStore), m_settings(settings)
{
}

void Mixer::logOpenFailure(std::uint32_t error)
{
    m_log.logLine(QStringLiteral("MCI ERROR: Can't open Mixer Device when listing devices -- ") + hex8(error));
}

bool Mixer::listRecordingSources(const QString &card)
{
    m_names.clear();
    m_labels.clear();
    m_stereo.clear();
    const QString mixerName = card == kDefaultDevice ? QString() : m_backend.mixerOfCaptureDevice(card);
    m_log.logLine(QStringLiteral("Listing devices on "), mixerName);
    const MixerScan scan = m_backend.scan();
    if (scan.error != 0) {
        logOpenFailure(scan.error);
        return true;
    }
    for (const MixerDeviceInfo &device : scan.devices) {
        m_log.logLine(QStringLiteral("Checking "), device.productName);
        if (card != kDefaultDevice && card != device.productName)
            continue;
        for (const MixerLine &line : device.sources) {
            if (!m_names.contains(line.name)) {
                m_names.append(line.name);
                m_labels.append(line.description.isEmpty() ? line.name : line.description);
                m_stereo.append(line.channels >= 2);
            }
            if (line.analog && line.channels == 2)
                m_bestAnalogStereo = line.name;
            if (m_names.size() >= kMaxSources)
                return true;
        }
    }
    return true;
}

void Mixer::logMixerData()
{
    m_log.logLine(QStringLiteral("Selected Sound Card: "), m_settings.soundCard);
    const MixerScan scan = m_backend.scan();
    if (scan.error != 0) {
        logOpenFailure(scan.error);
        return;
    }
    for (const MixerDeviceInfo &device : scan.devices) {
        m_log.logLine(QStringLiteral("Mixer Data for"), device.productName);
        for (const MixerLine &line : device.sources) {
            const bool likelyGood = line.analog && line.channels == 2;
            m_log.logLine(likelyGood ? QStringLiteral("likely good source: ") : QStringLiteral("other source: "),
                          line.name);
        }
    }
}

SourceCombo Mixer::fillSourceCombo(const QString &wanted, bool offerDirectDownload)
{
    SourceCombo combo;
    listRecordingSources(m_settings.soundCard);
    // Recording straight from the stream needs no sound card: it comes
    // first and is there even when the sound server offers nothing.
    combo.items = QStringList{kInternetStream} + m_names;
    if (offerDirectDownload)
        combo.items.append(kDirectDownload);
    // Two sources described alike are told apart by their names.
    combo.labels = QStringList{kInternetStream};
    for (qsizetype i = 0; i < m_labels.size(); ++i)
        combo.labels.append(m_labels.count(m_labels[i]) > 1 && m_labels[i] != m_names[i]
                                ? QStringLiteral("%1 (%2)").arg(m_labels[i], m_names[i])
                                : m_labels[i]);
    if (offerDirectDownload)
        combo.labels.append(kDirectDownload);

    QStringList candidates{wanted,
                           m_settingsStore.readString(QStringLiteral("BestRecordSource"), SettingsGroup::Program),
                           m_bestAnalogStereo};
    for (const char *name : kPreferredNames)
        candidates.append(QString::fromLatin1(name));
    for (const QString &candidate : candidates) {
        if (candidate.isEmpty())
            continue;
        for (int i = 0; i < combo.items.size(); ++i) {
            if (combo.items.at(i).compare(candidate, Qt::CaseInsensitive) == 0) {
                combo.selected = i;
                return combo;
            }
        }
    }
    // Nothing preferred: the first sound-card source, as before the stream
    // was offered.
    combo.selected = m_names.isEmpty() ? 0 : 1;
    return combo;
}

QString Mixer::comboSourceAt(int index) const
{
    if (index == 0)
        return kInternetStream;
    return sourceNameAt(index - 1);
}

QString Mixer::sourceNameAt(int index) const
{
    if (index >= 0 && index < m_names.size())
        return m_names.at(index);
    if (index == m_names.size())
        return kDirectDownload;
    return {};
}

bool Mixer::selectRecordingSource(const QString &name)
{
    if (name == kDirectDownload)
        return false;
    std::optional<MixerSelector> selector = m_backend.selector();
    if (!selector || selector->items.isEmpty())
        return false;
    const qsizetype match = selector->items.indexOf(name); // case counts here
    if (match < 0)
        return true;
    QList<bool> values = selector->values;
    values.resize(selector->items.size(), false);
    // A single-select input records one line; a multiple-select one adds
    // the chosen line to what was selected before.
    if (!selector->multiple)
        values.fill(false);
    values[match] = true;
    m_backend.writeSelector(values);
    return true;
}

void Mixer::optimizeSourceVolume(const QString &name)
{
    const MixerScan scan = m_backend.scan();
    if (scan.error != 0)
        return;
    const QString card = m_settings.soundCard;
    for (const MixerDeviceInfo &device : scan.devices) {
        if (card != kDefaultDevice && card != device.productName)
            continue;
        for (const MixerLine &line : device.sources) {
            if (line.name != name)
                continue;
            const std::optional<VolumeRange> range = m_backend.sourceVolumeRange(name);
            if (!range)
                return;
            const std::uint32_t middle =
                std::uint32_t((std::uint64_t(range->minimum) + std::uint64_t(range->maximum)) / 2);
            rememberVolume(name, middle);
            if (!m_backend.setSourceVolume(name, middle))
                return;
        }
    }
}

void Mixer::rememberVolume(const QString &name, std::uint32_t set)
{
    for (const ChangedVolume &changed : std::as_const(m_changedVolumes))
        if (changed.name == name)
            return; // a later track of the same recording: keep the first
    if (const std::optional<QList<std::uint32_t>> before = m_backend.sourceVolumes(name))
        m_changedVolumes.append({name, *before, set});
}

void Mixer::restoreSourceVolumes()
{
    for (const ChangedVolume &changed : std::as_const(m_changedVolumes)) {
        const std::optional<QList<std::uint32_t>> now = m_backend.sourceVolumes(changed.name);
        // Servers that keep volumes as floating point may give back a
        // hair's breadth off what was set.
        const auto isOurs = [&changed](std::uint32_t v) {
            return (v > changed.set ? v - changed.set : changed.set - v) <= changed.set / 100;
        };
        const bool stillOurs = now && std::all_of(now->begin(), now->end(), isOurs);
        if (stillOurs)
            m_backend.setSourceVolumes(changed.name, changed.before);
    }
    m_changedVolumes.clear();
}

bool Mixer::muteSpeakers(bool on)
{
    return m_backend.setSpeakerMute(on);
}

} // namespace skywell
