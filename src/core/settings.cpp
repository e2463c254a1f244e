#include "core/settings.h"

#include "core/defaultfolders.h"
#include "core/folders.h"
#include "core/registry.h"

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
    s.startOnBoot = 0;
    s.soundCard = QStringLiteral("Default Device");
    s.fileNameFormat = QStringLiteral("%%s %b %#d");
    return s;
}

namespace
{
QString readText(const Registry &registry, const QString &name, const QString &fallback)
{
    return registry.readStringValue(name, kProfileKey).value_or(fallback);
}

std::int32_t readNumber(const Registry &registry, const QString &name, std::int32_t fallback)
{
    return registry.readIntValue(name, kProfileKey).value_or(fallback);
}
} // namespace

bool loadSettings(Settings &settings, const Registry &registry, const QString &programFolder)
{
    namespace N = SettingNames;
    const Settings d = defaultSettings(programFolder);
    settings.mp3Folder = withTrailingSeparator(readText(registry, N::mp3Folder, d.mp3Folder));
    settings.tempFolder = withTrailingSeparator(readText(registry, N::tempFolder, d.tempFolder));
    settings.soundCard = readText(registry, N::soundCard, d.soundCard);
    settings.fileNameFormat = readText(registry, N::fileNameFormat, d.fileNameFormat);
    settings.proxyAddress = readText(registry, N::proxyAddress, d.proxyAddress);
    settings.proxyPort = readText(registry, N::proxyPort, d.proxyPort);
    settings.connectLeadSeconds = readNumber(registry, N::connectLeadSeconds, d.connectLeadSeconds);
    settings.retuneSeconds = readNumber(registry, N::retuneSeconds, d.retuneSeconds);
    settings.useDialup = readNumber(registry, N::useDialup, d.useDialup);
    settings.startOnBoot = readNumber(registry, N::startOnBoot, d.startOnBoot);
    settings.tuneInBrowser = readNumber(registry, N::tuneInBrowser, d.tuneInBrowser);
    settings.optimizeVolume = readNumber(registry, N::optimizeVolume, d.optimizeVolume);
    settings.useProxy = readNumber(registry, N::useProxy, d.useProxy);
    settings.firstTime = readNumber(registry, N::firstTime, d.firstTime);
    if (settings.firstTime == 0)
        return true;
    settings.firstTime = 0;
    return false;
}

bool saveSettings(const Settings &settings, Registry &registry)
{
    namespace N = SettingNames;
    // One write: either all the values are saved or the one report says
    // why none could be.
    return registry.writeValues({{N::mp3Folder, settings.mp3Folder},
                                 {N::tempFolder, settings.tempFolder},
                                 {N::soundCard, settings.soundCard},
                                 {N::fileNameFormat, settings.fileNameFormat},
                                 {N::proxyAddress, settings.proxyAddress},
                                 {N::proxyPort, settings.proxyPort},
                                 {N::connectLeadSeconds, settings.connectLeadSeconds},
                                 {N::retuneSeconds, settings.retuneSeconds},
                                 {N::useDialup, settings.useDialup},
                                 {N::startOnBoot, settings.startOnBoot},
                                 {N::tuneInBrowser, settings.tuneInBrowser},
                                 {N::optimizeVolume, settings.optimizeVolume},
                                 {N::useProxy, settings.useProxy},
                                 {N::firstTime, settings.firstTime}},
                                kProfileKey);
}

} // namespace skywell
