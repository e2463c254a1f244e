#include "core/settings.h"

#include "core/folders.h"
#include "core/registry.h"

namespace skywell
{

Settings defaultSettings(const QString &programFolder)
{
    Settings s;
    s.mp3Folder = withTrailingSeparator(programFolder + QStringLiteral("Recordings"));
    s.tempFolder = s.mp3Folder;
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

void saveSettings(const Settings &settings, Registry &registry)
{
    namespace N = SettingNames;
    registry.regWriteString(N::mp3Folder, settings.mp3Folder, kProfileKey);
    registry.regWriteString(N::tempFolder, settings.tempFolder, kProfileKey);
    registry.regWriteString(N::soundCard, settings.soundCard, kProfileKey);
    registry.regWriteString(N::fileNameFormat, settings.fileNameFormat, kProfileKey);
    registry.regWriteString(N::proxyAddress, settings.proxyAddress, kProfileKey);
    registry.regWriteString(N::proxyPort, settings.proxyPort, kProfileKey);
    registry.regWriteInt(N::connectLeadSeconds, settings.connectLeadSeconds, kProfileKey);
    registry.regWriteInt(N::retuneSeconds, settings.retuneSeconds, kProfileKey);
    registry.regWriteInt(N::useDialup, settings.useDialup, kProfileKey);
    registry.regWriteInt(N::startOnBoot, settings.startOnBoot, kProfileKey);
    registry.regWriteInt(N::tuneInBrowser, settings.tuneInBrowser, kProfileKey);
    registry.regWriteInt(N::optimizeVolume, settings.optimizeVolume, kProfileKey);
    registry.regWriteInt(N::useProxy, settings.useProxy, kProfileKey);
    registry.regWriteInt(N::firstTime, settings.firstTime, kProfileKey);
}

} // namespace skywell
