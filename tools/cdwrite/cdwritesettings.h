#pragma once

#include <QString>

namespace skywell
{
class SettingsStore;
}

namespace skywell::cdwrite
{

// The helper's own set-up, kept under the CdWrite settings group.
struct CdWriteSettings {
    // The drive to burn with; empty means the first drive found.
    QString device;
    // Write an image file into imageFolder instead of burning a disc.
    bool writeImage = false;
    QString imageFolder;
};

CdWriteSettings loadCdWriteSettings(const SettingsStore &settingsStore);
void saveCdWriteSettings(const CdWriteSettings &settings, SettingsStore &settingsStore);

// Leaves the result for Skywell: "Success" or the text of the problem.
void writeResult(SettingsStore &settingsStore, const QString &text);

// The CD drives of this computer (/dev/sr0, /dev/cdrom ...).
QStringList findDrives();

} // namespace skywell::cdwrite
