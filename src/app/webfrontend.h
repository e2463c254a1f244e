#pragma once

#include "tuning/stationdirectory.h"
#include "web/directorystationfinder.h"
#include "web/webserver.h"

#include <memory>

namespace skywell
{

class AppRun;
class ControlService;
class SettingsStore;
struct CommandLine;

// The web page of a running instance, desktop or headless: started from
// "--web" or the setting "WebAddress" once the control service exists, and
// ended before it goes. A refusal (an address beyond this computer without
// a password, a port in use) is logged and printed on standard error; the
// instance runs on without the page.
class WebFrontEnd final
{
public:
    WebFrontEnd(ControlService &control, AppRun &run, SettingsStore &settingsStore, const CommandLine &commandLine);
    ~WebFrontEnd();

    bool serving() const { return m_server != nullptr; }

private:
    std::unique_ptr<StationDirectory> m_directory;
    std::unique_ptr<DirectoryStationFinder> m_finder;
    std::unique_ptr<WebServer> m_server;
};

} // namespace skywell
