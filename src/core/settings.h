#pragma once

#include <QString>
#include <cstdint>

namespace skywell
{

class SettingsStore;

// The global options, loaded at start-up and written when the user accepts
// the settings sheet. Folders always end in "/".
struct Settings {
    QString mp3Folder;
    QString tempFolder;
    QString soundCard;
    QString fileNameFormat;
    QString proxyAddress;
    QString proxyPort;
    std::int32_t connectLeadSeconds = 30;
    std::int32_t retuneSeconds = 60;
    bool useDialup = false;
    bool startOnBoot = false;
    bool tuneInBrowser = false;
    bool optimizeVolume = true;
    bool useProxy = false;
    bool firstTime = true;

    bool operator==(const Settings &) const = default;
};

// Profile value names.
namespace SettingNames
{
inline const QString mp3Folder = QStringLiteral("MP3 Folder");
inline const QString tempFolder = QStringLiteral("Temp Folder");
inline const QString soundCard = QStringLiteral("Sound Card");
inline const QString fileNameFormat = QStringLiteral("Format String");
inline const QString proxyAddress = QStringLiteral("Proxy Address");
inline const QString proxyPort = QStringLiteral("Proxy Port");
inline const QString connectLeadSeconds = QStringLiteral("Connection Time");
inline const QString retuneSeconds = QStringLiteral("Retune Time");
inline const QString useDialup = QStringLiteral("Dialup Connection");
inline const QString startOnBoot = QStringLiteral("Start on Boot");
inline const QString tuneInBrowser = QStringLiteral("Tune In Browser");
inline const QString optimizeVolume = QStringLiteral("Optimize Volume");
inline const QString useProxy = QStringLiteral("Uses Proxy");
inline const QString firstTime = QStringLiteral("First Time");
// The dial-up commands, command lines split like a shell's words and run
// without a shell (e.g. "pon" and "poff"); empty: nothing is run.
inline const QString dialCommand = QStringLiteral("Dial Command");
inline const QString hangUpCommand = QStringLiteral("Hang Up Command");
// The catalogue server's base address (empty: no catalogue updates) and
// the station directory's (empty: the public directory's servers).
inline const QString catalogueAddress = QStringLiteral("Catalogue Address");
inline const QString stationDirectoryAddress = QStringLiteral("Station Directory Address");
// The player that Shows tuned "with a command" run, a command line split
// the same way; the address goes where "%u" stands, else last.
inline const QString playerCommand = QStringLiteral("Player Command");
} // namespace SettingNames

// The music library's server (a Music Player Daemon), among the per-user
// values (SettingsGroup::Program): no host, no library.
namespace MusicLibrarySettingNames
{
inline const QString host = QStringLiteral("MusicLibraryHost");
inline const QString port = QStringLiteral("MusicLibraryPort");
inline const QString password = QStringLiteral("MusicLibraryPassword");
// The library's music folder on this computer, and the folder inside it
// that receives Skywell's recordings.
inline const QString folder = QStringLiteral("MusicLibraryFolder");
inline const QString subfolder = QStringLiteral("MusicLibrarySubfolder");
inline constexpr int defaultPort = 6600;
inline const QString defaultSubfolder = QStringLiteral("Skywell");
} // namespace MusicLibrarySettingNames

// The defaults of a first start: recordings in the desktop's music folder
// (~/Music/Skywell/), temporary files in ~/.cache/skywell/, not started at
// login; the program folder serves only when there is no home.
Settings defaultSettings(const QString &programFolder);

// Fills settings from the profile (missing values take their defaults).
// Returns true when "First Time" was 0; otherwise sets firstTime to 0 in
// memory and returns false, and the caller runs the first-time setup.
bool loadSettings(Settings &settings, const SettingsStore &settingsStore, const QString &programFolder);

// Writes every field, the six texts first, then the eight integers, in one
// write of the profile. False when they could not be saved (the settings store
// has said why).
bool saveSettings(const Settings &settings, SettingsStore &settingsStore);

} // namespace skywell
