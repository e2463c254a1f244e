#include "tuning/playerwindows.h"

#include "tuning/desktopwindows.h"
#include "tuning/tuningvalues.h"

namespace skywell
{

namespace
{
constexpr int kClosePasses = 6;
}

const QStringList &playerTitleWords()
{
    // Row ten of the list, one station's own pop-up player, is left out:
    // its title also holds "Player Window".
    static const QStringList words = {
        QStringLiteral("RealPlayer"),           QStringLiteral("RealOne"),
        QStringLiteral("Windows Media Player"), QStringLiteral("Winamp"),
        QStringLiteral("Media Player Classic"), QStringLiteral(". - Microsoft"),
        QStringLiteral("streamaudio"),          QStringLiteral("Znif"),
        QStringLiteral("Player Window"),        QStringLiteral("(playing)"),
        QStringLiteral("Skywell Tuner"),
    };
    return words;
}

bool isPlayerTitle(const QString &title)
{
    for (const QString &word : playerTitleWords()) {
        if (title.contains(word, Qt::CaseSensitive))
            return true;
    }
    return false;
}

bool isTunerWindow(const DesktopWindow &window, const QList<qint64> &tunerProcesses)
{
    if (window.processId > 0 && tunerProcesses.contains(window.processId))
        return true;
    return window.instanceName == kTunerProgramName ||
           window.windowClass.compare(kTunerProgramName, Qt::CaseInsensitive) == 0;
}

int closePlayerWindows(DesktopWindows &windows, const std::function<bool(const DesktopWindow &)> &spare)
{
    auto spared = [&spare](const DesktopWindow &window) { return spare && spare(window); };
    int closed = 0;
    for (int pass = 0; pass < kClosePasses; ++pass) {
        // Every match overwrites the one before: the last one is closed.
        std::uint64_t remembered = 0;
        bool found = false;
        for (const DesktopWindow &window : windows.topLevelWindows()) {
            if (isPlayerTitle(window.title.left(255)) && !spared(window)) {
                remembered = window.id;
                found = true;
            }
        }
        if (!found)
            break;
        windows.closeAndWait(remembered);
        ++closed;
    }
    for (const DesktopWindow &window : windows.topLevelWindows()) {
        if (window.windowClass == kPlayerWindowClass && !spared(window)) {
            windows.requestClose(window.id);
            break;
        }
    }
    return closed;
}

} // namespace skywell
