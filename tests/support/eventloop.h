#pragma once

#include <functional>

namespace skywell::test
{

// Runs the Qt event loop until done() holds or ms milliseconds pass;
// returns done().
bool spinUntil(const std::function<bool()> &done, int ms = 3000);

// Runs the Qt event loop for ms milliseconds.
void pause(int ms);

} // namespace skywell::test
