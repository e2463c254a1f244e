#include "app/webdirectdownload.h"

#include "core/settings.h"
#include "core/version.h"
#include "platform/curltransfer.h"

#include <QTimer>
#include <QUrl>

namespace skywell
{

QString downloadEndText(const DownloadResult &result)
{
    QString text;
    switch (result.end) {
    case DownloadEnd::Complete:
    case DownloadEnd::Stopped:
        return QString();
    case DownloadEnd::Stalled:
        text = QStringLiteral("the server stopped sending");
        break;
    case DownloadEnd::TooLarge:
        text = QStringLiteral("the file was too large");
        break;
    case DownloadEnd::HttpError:
        text = QStringLiteral("the server answered HTTP %1").arg(result.httpStatus);
        break;
    case DownloadEnd::OpenFailed:
        text = QStringLiteral("the address could not be opened");
        break;
    case DownloadEnd::TransferFailed:
        text = QStringLiteral("the transfer broke off");
        break;
    case DownloadEnd::WriteFailed:
        text = QStringLiteral("the file could not be written");
        break;
    case DownloadEnd::CannotCreateFile:
        text = QStringLiteral("the file could not be created");
        break;
    case DownloadEnd::Offline:
        text = QStringLiteral("there was no network connection");
        break;
    }
    if (!result.detail.isEmpty())
        text += QStringLiteral(" (") + result.detail + QLatin1Char(')');
    return text;
}

WebDirectDownload::WebDirectDownload(const Settings &settings, Prompter &prompter, std::function<bool()> isOnline)
    : m_settings(settings), m_prompter(prompter), m_isOnline(std::move(isOnline))
{
}

WebDirectDownload::~WebDirectDownload() = default;

void WebDirectDownload::start(const QString &url, const QString &path,
                              std::function<void(const DirectDownloadResult &)> done)
{
    m_done = std::move(done);
    // The proxy as the settings say now; every download takes them.
    DownloadSetup setup{makeCurlTransfer, &m_prompter, m_isOnline, proxyText(m_settings)};
    m_download = std::make_unique<Download>(setup);
    QObject::connect(m_download.get(), &Download::finished, m_download.get(), [this] {
        // Reported from the main loop, after the download's own signal.
        QTimer::singleShot(0, m_download.get(), [this] { report(); });
    });
    DownloadRequest request;
    request.path = path;
    request.address = url;
    request.userAgent = QByteArrayLiteral("Skywell/") + QByteArray(kVersionText);
    // An address without an audio file's name: the answer's type names it.
    request.extensionFromType =
        !QUrl(url).path().endsWith(QLatin1Char('.') + downloadExtension(url), Qt::CaseInsensitive);
    if (!m_download->start(request))
        QTimer::singleShot(0, m_download.get(), [this] { report(); });
}

void WebDirectDownload::report()
{
    if (!m_done)
        return;
    const DownloadResult result = m_download->result();
    auto done = std::move(m_done);
    m_done = nullptr;
    done({result.bytes, result.complete(), downloadEndText(result), result.path, result.liveStream});
}

void WebDirectDownload::stop()
{
    if (m_download && m_download->isRunning())
        m_download->stop();
}

bool WebDirectDownload::running() const
{
    return m_download && m_download->isRunning();
}

bool WebDirectDownload::liveStream() const
{
    return m_download && m_download->liveStream();
}

} // namespace skywell
