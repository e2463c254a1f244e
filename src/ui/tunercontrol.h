#pragma once

namespace skywell
{

struct Show;

// What the main window asks of the tuner (the player Skywell starts for
// Tune to Show and for recordings): the program's desktop tuner, a double
// in tests.
class TunerControl
{
public:
    virtual ~TunerControl() = default;

    // Tune to Show: plays the Show's address with its player letter.
    virtual void tune(const Show &show) = 0;
    // Asks the tuner's windows to close (a manual recording was stopped).
    virtual void closeWindows() = 0;
    // Shows (true) or minimises (false) the tuner's windows with the main
    // window.
    virtual void followMainWindow(bool shown) = 0;
};

} // namespace skywell
