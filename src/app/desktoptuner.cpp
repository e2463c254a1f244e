#include "app/desktoptuner.h"

#include "platform/x11windows.h"
#include "tuning/playerwindows.h"
#include "tuning/startedplayers.h"
#include "tuning/tuning.h"

#include <QWidget>

namespace skywell
{

DesktopTuner::DesktopTuner(Tuning *tuning) : m_tuning(tuning), m_follow(tunerWindows())
{
}

X11WindowFollow::Match DesktopTuner::tunerWindows() const
{
    return [tuning = m_tuning](const DesktopWindow &window) {
        return isTunerWindow(window, tuning ? tuning->startedPlayers().runningPlayerIds() : QList<qint64>());
    };
}

void DesktopTuner::openBeside(const QWidget &window)
{
    if (!m_tuning)
        return;
    // An unattended recording never puts a window in front of the user's
    // work.
    m_tuning->setPlacementSource([&window] {
        const QRect normal = window.normalGeometry().isValid() ? window.normalGeometry() : window.frameGeometry();
        TunerPlacement placement;
        placement.left = normal.left();
        placement.right = normal.right() + 1;
        placement.bottom = normal.bottom() + 1;
        placement.minimized = window.isMinimized() || !window.isVisible();
        return placement;
    });
}

void DesktopTuner::tune(const Show &show)
{
    if (m_tuning)
        m_tuning->tuneNow(show);
}

void DesktopTuner::closeWindows()
{
    // The tuners Skywell started are ended by the recording itself.
    const X11WindowFollow::Match matches = tunerWindows();
    X11Windows windows;
    for (const DesktopWindow &window : windows.topLevelWindows()) {
        if (matches(window))
            windows.requestClose(window.id);
    }
}

void DesktopTuner::followMainWindow(bool shown)
{
    shown ? m_follow.show() : m_follow.minimize();
}

} // namespace skywell
