#include "cdwritesettings.h"

#include "core/folders.h"
#include "core/registry.h"

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

CdWriteSettings loadCdWriteSettings(const Registry &registry)
{
    CdWriteSettings settings;
    settings.device = registry.regReadString(kDevice, kCdWriteKey);
    settings.writeImage = registry.regReadInt(kWriteImage, kCdWriteKey) != 0;
    settings.imageFolder = registry.regReadString(kImageFolder, kCdWriteKey);
    if (settings.imageFolder.isEmpty())
        settings.imageFolder = programFolderFromEnvironment() + QStringLiteral("CD Images/");
    settings.imageFolder = withTrailingSeparator(settings.imageFolder);
    return settings;
}

void saveCdWriteSettings(const CdWriteSettings &settings, Registry &registry)
{
    registry.regWriteString(kDevice, settings.device, kCdWriteKey);
    registry.regWriteInt(kWriteImage, settings.writeImage ? 1 : 0, kCdWriteKey);
    registry.regWriteString(kImageFolder, settings.imageFolder, kCdWriteKey);
}

void writeResult(Registry &registry, const QString &text)
{
    registry.regWriteString(QStringLiteral("ErrorMsg"), text.left(Registry::kMaxStringLength), kCdWriteKey);
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
