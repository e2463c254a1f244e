#include "app/controlpoint.h"

#include "app/apprun.h"
#include "app/recordingservice.h"
#include "control/controlwire.h"
#include "core/singleinstance.h"

namespace skywell
{

ControlPoint::ControlPoint(AppRun &run, SettingsStore &settingsStore, SingleInstance &instance) : m_instance(instance)
{
    AppCore &core = run.core();
    RecordingService *recordings = run.recordings();
    m_control = std::make_unique<InstanceControl>(
        ControlTarget{core.shows(), core.scheduler(), core.showStore(), settingsStore, core.settings(), m_clock},
        recordings ? &recordings->roster() : nullptr);
}

ControlPoint::~ControlPoint()
{
    m_instance.setControlHandler({});
}

ControlReply ControlPoint::handle(const ControlRequest &request)
{
    const bool reads = request.command == QLatin1String("list") || request.command == QLatin1String("status") ||
                       request.command == QLatin1String("recordings");
    if (!reads && m_busy && m_busy())
        return {ControlStatus::NothingRunning, kWindowBusyText, {}};
    return m_control->handle(request);
}

void ControlPoint::open()
{
    m_instance.setControlHandler([this](const QByteArray &json) { return answerControlJson(*this, json); });
}

} // namespace skywell
