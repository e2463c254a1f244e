#include "cdwritesettings.h"

#include "core/folders.h"
#include "core/settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace skywell::cdwrite
{

namespace
{
const QString kDevice = QStringLiteral("Device");
const QString kWriteImage = QStringLiteral("WriteImage");
const QString kImageFolder = QStringLiteral("ImageFolder");
} // namespace

CdWriteSettings loadCdWriteSettings(const SettingsStore &settingsStore)
{
    CdWriteSettings settings;
    settings.device = settingsStore.readString(kDevice, SettingsGroup::CdWrite);
    settings.writeImage = settingsStore.readBool(kWriteImage, SettingsGroup::CdWrite);
    settings.imageFolder = settingsStore.readString(kImageFolder, SettingsGroup::CdWrite);
    if (settings.imageFolder.isEmpty())
        settings.imageFolder = programFolderFromEnvironment() + QStringLiteral("CD Images/");
    settings.imageFolder = withTrailingSeparator(settings.imageFolder);
    return settings;
}

void saveCdWriteSettings(const CdWriteSettings &settings, SettingsStore &settingsStore)
{
    settingsStore.writeString(kDevice, settings.device, SettingsGroup::CdWrite);
    settingsStore.writeBool(kWriteImage, settings.writeImage, SettingsGroup::CdWrite);
    settingsStore.writeString(kImageFolder, settings.imageFolder, SettingsGroup::CdWrite);
}

void writeResult(SettingsStore &settingsStore, const QString &text)
{
    settingsStore.writeString(QStringLiteral("ErrorMsg"), text.left(SettingsStore::kMaxStringLength),
                              SettingsGroup::CdWrite);
}

QStringList findDrives()
{
    QStringList drives;
    const QDir dev(QStringLiteral("/dev"));
    for (const QString &name : dev.entryList({QStringLiteral("sr*")}, QDir::System | QDir::Files, QDir::Name))
        drives << dev.filePath(name);
    const QString cdrom = QStringLiteral("/dev/cdrom");
    if (drives.isEmpty() && QFileInfo::exists(cdrom))
        drives << cdrom;
    return drives;
}

} // namespace skywell::cdwrite
