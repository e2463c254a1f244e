#pragma once

#include "platform/x11windowfollow.h"
#include "ui/tunercontrol.h"

class QWidget;

namespace skywell
{

class Tuning;

// The tuner on the desktop: Tune to Show through tuning, and the tuner's
// windows (known by class, or by the process Skywell started, since the
// tuner adds the stream's title to its own) closed, minimised and shown
// with the main window. The tuner opens beside the main window.
class DesktopTuner final : public TunerControl
{
public:
    // tuning may be null (no tuning back end): the windows are still
    // followed.
    explicit DesktopTuner(Tuning *tuning);

    // Places the tuner's window under the main window's normal rectangle,
    // or minimised while the window is hidden in the tray or minimised.
    void openBeside(const QWidget &window);

    void tune(const Show &show) override;
    void closeWindows() override;
    void followMainWindow(bool shown) override;

private:
    X11WindowFollow::Match tunerWindows() const;

    Tuning *m_tuning;
    X11WindowFollow m_follow;
};

} // namespace skywell
