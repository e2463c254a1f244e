#pragma once

#include <QString>

namespace skywell
{

// The text with a "/" at its end (unchanged when it has one; "" stays "").
QString withTrailingSeparator(const QString &folder);

// True when the path names an existing folder this process may enter.
// Does not touch the current directory (other threads rely on it).
bool folderExists(const QString &path);

// Creates the folder and its parents when missing; true when it exists after.
bool createFolder(const QString &path);

// The program folder: $SKYWELL_HOME when set, else $XDG_DATA_HOME/Skywell/
// (default ~/.local/share/Skywell/), always ending in "/". Not created here.
QString programFolderFromEnvironment();

} // namespace skywell
