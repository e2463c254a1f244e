#pragma once

#include "postprocess/musiclibrary.h"

#include <QStringList>

namespace skywell
{

// A music library in memory for tests of the code that hands recordings
// over: it says whether it is installed and opens as told, and keeps the
// added paths.
class MemoryMusicLibrary final : public MusicLibrary
{
public:
    bool isMusicLibraryInstalled() override { return installed; }
    bool openMusicLibrary() override
    {
        ++opens;
        isOpen = canOpen;
        return isOpen;
    }
    void addToMusicLibrary(const QString &path) override
    {
        if (isOpen)
            added << path;
    }
    void closeMusicLibrary() override
    {
        ++closes;
        isOpen = false;
    }

    bool installed = true;
    bool canOpen = true;
    bool isOpen = false;
    int opens = 0;
    int closes = 0;
    QStringList added;
};

} // namespace skywell
