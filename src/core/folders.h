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

// The user's home folder from $HOME; empty when it is unset, empty,
// relative or "/" (a process without a home, whose files would otherwise
// land in the root of the file system).
QString homeFolder();

// Why this start cannot know where its files go: empty when $SKYWELL_HOME
// is set or there is a home folder, else the message to refuse with.
QString missingHomeMessage();

} // namespace skywell
