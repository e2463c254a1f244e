#pragma once

#include <QList>
#include <QStringList>

#include <functional>

namespace skywell
{

class DesktopWindows;
struct DesktopWindow;

// The title words of player windows, in the order they are tested: media
// players, station player pages in a browser, and the tuner tool.
const QStringList &playerTitleWords();

// The class of one player recognised by its window class alone.
inline const QString kPlayerWindowClass = QStringLiteral("SurferNetworkPlayerClass");

// True when a title contains one of the words (case-sensitive).
bool isPlayerTitle(const QString &title);

// True for a window of the tuner tool, whatever its title has become (it
// adds the stream's title): its class names the program, or one of the
// given processes (the tuners Skywell started) drew it.
bool isTunerWindow(const DesktopWindow &window, const QList<qint64> &tunerProcesses = {});

// Closes player windows: up to six passes, each closing the last window
// (in enumeration order) whose title holds a title word and stopping after
// a pass that found none; then asks a window of the player class to close
// without waiting. Returns the number of windows closed by title. Windows
// for which spare holds (the players of another recording) are left open.
int closePlayerWindows(DesktopWindows &windows, const std::function<bool(const DesktopWindow &)> &spare = {});

} // namespace skywell
