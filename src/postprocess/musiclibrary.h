#pragma once

#include "core/settings.h"

#include <QString>

namespace skywell
{

// The user's music library that finished recordings are handed to. One
// hand-off opens the library, adds files, and closes it again.
class MusicLibrary
{
public:
    virtual ~MusicLibrary() = default;
    // True when a library is configured and answers; the show editor and
    // Quick Record offer the "add to library" option only then.
    virtual bool isMusicLibraryInstalled() = 0;
    // False when the library cannot be reached (the caller logs it).
    virtual bool openMusicLibrary() = 0;
    // Makes the file part of the library. What the library does with it is
    // not waited for.
    virtual void addToMusicLibrary(const QString &path) = 0;
    virtual void closeMusicLibrary() = 0;
};

// Where the music library is configured, under the Program settings group.
namespace MusicLibraryNames = MusicLibrarySettingNames;

} // namespace skywell
