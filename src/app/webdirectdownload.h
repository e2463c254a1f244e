#pragma once

#include "recording/recordingports.h"
#include "tuning/download.h"

#include <functional>
#include <memory>

namespace skywell
{

class Prompter;
struct Settings;

// A Show's direct download through the web download: the transfer runs on
// its worker thread while the main loop goes on; the result comes back on
// the main thread.
class WebDirectDownload final : public DirectDownload
{
public:
    WebDirectDownload(const Settings &settings, Prompter &prompter, std::function<bool()> isOnline);
    ~WebDirectDownload() override;

    void start(const QString &url, const QString &path,
               std::function<void(const DirectDownloadResult &)> done) override;
    void stop() override;
    bool running() const override;
    bool liveStream() const override;

private:
    void report();

    const Settings &m_settings;
    Prompter &m_prompter;
    std::function<bool()> m_isOnline;
    std::unique_ptr<Download> m_download;
    std::function<void(const DirectDownloadResult &)> m_done;
};

// The words for how a download ended, for the Show's last status.
QString downloadEndText(const DownloadResult &result);

} // namespace skywell
