#pragma once

#include <QString>

namespace skywell
{

// What the default folders of a first start are made from.
struct FolderEnvironment {
    // The desktop's music folder (XDG_MUSIC_DIR of user-dirs.dirs, as
    // `xdg-user-dir MUSIC` reports it); empty when unknown.
    QString musicFolder;
    // $XDG_CACHE_HOME; used only when absolute.
    QString cacheHome;
    // The home folder; empty when there is none.
    QString home;
    // The program folder, ending in "/": the last resort without a home.
    QString programFolder;
};

// The environment of this process for the given program folder.
FolderEnvironment folderEnvironment(const QString &programFolder);

// Recordings: <music folder>/Skywell/, else ~/Music/Skywell/, else the
// program folder's Recordings/. Always ends in "/".
QString defaultRecordingsFolder(const FolderEnvironment &environment);

// Temporary files: $XDG_CACHE_HOME/skywell/, else ~/.cache/skywell/, else
// the program folder's Temp/; never the recordings folder. Ends in "/".
QString defaultTempFolder(const FolderEnvironment &environment);

} // namespace skywell
