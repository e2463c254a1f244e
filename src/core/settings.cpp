#include "core/settings.h"

#include "core/defaultfolders.h"
#include "core/folders.h"
#include "core/settingsstore.h"

namespace skywell
{

Settings defaultSettings(const QString &programFolder)
{
    Settings s;
    // The desktop's music folder for recordings, the user's cache for the
    // temporary files: never one folder, so that a crash leaves no
    // half-written files among the recordings.
    const FolderEnvironment environment = folderEnvironment(programFolder);
    s.mp3Folder = defaultRecordingsFolder(environment);
    s.tempFolder = defaultTempFolder(environment);
    // Starting with the desktop session is asked for, not assumed.
    s.startOnBoot = false;
    s.soundCard = QStringLiteral("Default Device");
    s.fileNameFormat = QStringLiteral("%%s %b %#d");
    return s;
}

namespace
{
QString readText(const SettingsStore &settingsStore, const QString &name, const QString &fallback)
{
    return settingsStore.readStringValue(name, SettingsGroup::Options).value_or(fallback);
}

std::int32_t readNumber(const SettingsStore &settingsStore, const QString &name, std::int32_t fallback)
{
    return settingsStore.readIntValue(name, SettingsGroup::Options).value_or(fallback);
}

// Stored as a number: 0 is false, any other true.
bool readFlag(const SettingsStore &settingsStore, const QString &name, bool fallback)
{
    return readNumber(settingsStore, name, fallback ? 1 : 0) != 0;
}
} // namespace

bool loadSettings(Settings &settings, const SettingsStore &settingsStore, const QString &programFolder)
{
    namespace N = SettingNames;
    const Settings d = defaultSettings(programFolder);
    settings.mp3Folder = withTrailingSeparator(readText(settingsStore, N::mp3Folder, d.mp3Folder));
    settings.tempFolder = withTrailingSeparator(readText(settingsStore, N::tempFolder, d.tempFolder));
    settings.soundCard = readText(settingsStore, N::soundCard, d.soundCard);
    settings.fileNameFormat = readText(settingsStore, N::fileNameFormat, d.fileNameFormat);
    settings.proxyAddress = readText(settingsStore, N::proxyAddress, d.proxyAddress);
    settings.proxyPort = readText(settingsStore, N::proxyPort, d.proxyPort);
    settings.connectLeadSeconds = readNumber(settingsStore, N::connectLeadSeconds, d.connectLeadSeconds);
    settings.retuneSeconds = readNumber(settingsStore, N::retuneSeconds, d.retuneSeconds);
    settings.useDialup = readFlag(settingsStore, N::useDialup, d.useDialup);
    settings.startOnBoot = readFlag(settingsStore, N::startOnBoot, d.startOnBoot);
    settings.tuneInBrowser = readFlag(settingsStore, N::tuneInBrowser, d.tuneInBrowser);
    settings.optimizeVolume = readFlag(settingsStore, N::optimizeVolume, d.optimizeVolume);
    settings.useProxy = readFlag(settingsStore, N::useProxy, d.useProxy);
    settings.firstTime = readFlag(settingsStore, N::firstTime, d.firstTime);
    if (!settings.firstTime)
        return true;
    settings.firstTime = false;
    return false;
}

bool saveSettings(const Settings &settings, SettingsStore &settingsStore)
{
    namespace N = SettingNames;
    // One write: either all the values are saved or the one report says
    // why none could be.
    return settingsStore.writeValues({{N::mp3Folder, settings.mp3Folder},
                                      {N::tempFolder, settings.tempFolder},
                                      {N::soundCard, settings.soundCard},
                                      {N::fileNameFormat, settings.fileNameFormat},
                                      {N::proxyAddress, settings.proxyAddress},
                                      {N::proxyPort, settings.proxyPort},
                                      {N::connectLeadSeconds, settings.connectLeadSeconds},
                                      {N::retuneSeconds, settings.retuneSeconds},
                                      {N::useDialup, int(settings.useDialup)},
                                      {N::startOnBoot, int(settings.startOnBoot)},
                                      {N::tuneInBrowser, int(settings.tuneInBrowser)},
                                      {N::optimizeVolume, int(settings.optimizeVolume)},
                                      {N::useProxy, int(settings.useProxy)},
                                      {N::firstTime, int(settings.firstTime)}},
                                     SettingsGroup::Options);
}

} // namespace skywell
