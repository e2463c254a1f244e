#include "app/webfrontend.h"

#include "app/apprun.h"
#include "core/commandline.h"
#include "platform/curltransfer.h"
#include "tuning/download.h"
#include "web/webstart.h"

#include <cstdio>

namespace skywell
{

WebFrontEnd::WebFrontEnd(ControlService &control, AppRun &run, SettingsStore &settingsStore,
                         const CommandLine &commandLine)
{
    const Settings &settings = run.core().settings();
    const QString folder = run.core().programFolder();
    // Searched on the web server's thread: no messages from there, the page
    // shows the answer's error itself. Its files stay in the program folder.
    const DownloadSetup setup{makeCurlTransfer, nullptr, {}, proxyText(settings)};
    m_directory = std::make_unique<StationDirectory>(setup, settingsStore, folder, folder);
    m_finder = std::make_unique<DirectoryStationFinder>(*m_directory);
    QString refusal;
    m_server = startWebServer(control, run.log(), settingsStore, commandLine.webAddress, settings.mp3Folder,
                              m_finder.get(), &refusal);
    if (!refusal.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(refusal));
}

WebFrontEnd::~WebFrontEnd()
{
    // Requests in flight end before the directory and the control service go.
    m_server.reset();
}

} // namespace skywell
