#pragma once

#include "control/instancecontrol.h"
#include "core/clock.h"

#include <functional>
#include <memory>

namespace skywell
{

class AppRun;
class Registry;
class SingleInstance;

// The running instance's control service, answering the requests that
// come over the instance socket (the command line's) while it lives.
class ControlPoint final
{
public:
    ControlPoint(AppRun &run, Registry &registry, SingleInstance &instance);
    ~ControlPoint();

    ControlService &service() { return *m_control; }
    void setListChanged(std::function<void()> changed) { m_control->setListChanged(std::move(changed)); }
    // From now on requests are answered; call it from the main loop.
    void open();

private:
    SystemClock m_clock;
    SingleInstance &m_instance;
    std::unique_ptr<InstanceControl> m_control;
};

} // namespace skywell
