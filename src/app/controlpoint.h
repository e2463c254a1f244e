#pragma once

#include "control/instancecontrol.h"
#include "core/clock.h"

#include <functional>
#include <memory>

namespace skywell
{

class AppRun;
class SettingsStore;
class SingleInstance;

// The running instance's control service, answering the requests that
// come over the instance socket (the command line's) and those of the web
// page while it lives.
class ControlPoint final : public ControlService
{
public:
    ControlPoint(AppRun &run, SettingsStore &settingsStore, SingleInstance &instance);
    ~ControlPoint() override;

    ControlService &service() { return *this; }
    ControlReply handle(const ControlRequest &request) override;
    // Reports each change of the Show list it makes.
    const InstanceControl &instanceControl() const { return *m_control; }
    // While it returns true (the window waits for an answer in a dialog,
    // which may hold a copy of a Show) requests that change something are
    // refused with a word why; reading goes on.
    void setBusy(std::function<bool()> busy) { m_busy = std::move(busy); }
    // From now on requests are answered; call it from the main loop.
    void open();

private:
    SystemClock m_clock;
    SingleInstance &m_instance;
    std::unique_ptr<InstanceControl> m_control;
    std::function<bool()> m_busy;
};

inline const QString kWindowBusyText =
    QStringLiteral("Skywell is waiting for an answer in its window. Please try again once it is closed.");

} // namespace skywell
