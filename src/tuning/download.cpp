#include "tuning/download.h"

#include "core/fdwrite.h"
#include "core/prompter.h"
#include "core/settings.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{

Q_LOGGING_CATEGORY(lcDownload, "skywell.download", QtInfoMsg)

namespace
{

// Creates or truncates the file for writing. A named pipe or device is
// refused rather than waited on.
int createOutputFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        return -1;
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

QByteArray proxyText(const Settings &settings)
{
    if (!settings.useProxy)
        return {};
    QByteArray text = "http://" + settings.proxyAddress.toUtf8();
    if (!settings.proxyPort.isEmpty())
        text += ':' + settings.proxyPort.toUtf8();
    return text;
}

QList<QByteArray> credentialHeaders(const QString &user, const QString &password)
{
    if (user.isEmpty())
        return {};
    const QByteArray pair = user.toUtf8() + ':' + password.toUtf8();
    return {QByteArrayLiteral("Accept: */*"), "Authorization: Basic " + pair.toBase64()};
}

Download::Download(DownloadSetup setup, QObject *parent) : QObject(parent), m_setup(std::move(setup))
{
    m_supervisor.setInterval(m_setup.stallIntervalMs);
    connect(&m_supervisor, &QTimer::timeout, this, &Download::superviseOnce);
}

Download::~Download()
{
    if (m_transfer)
        m_transfer->abort();
    if (m_worker.joinable())
        m_worker.join();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool Download::start(const DownloadRequest &request)
{
    Q_ASSERT(!m_running && !m_worker.joinable());
    m_request = request;
    m_result = DownloadResult();
    if (m_setup.isOnline && !m_setup.isOnline()) {
        m_result.end = DownloadEnd::Offline;
        return false;
    }
    qCDebug(lcDownload).noquote() << "Creating" << request.path;
    m_fd = createOutputFile(request.path);
    if (m_fd < 0) {
        m_result.end = DownloadEnd::CannotCreateFile;
        if (m_setup.prompter)
            m_setup.prompter->error(request.path, kCannotCreateFileCaption);
        return false;
    }
    m_transfer = m_setup.transfers ? m_setup.transfers() : nullptr;
    if (!m_transfer) {
        ::close(m_fd);
        m_fd = -1;
        m_result.end = DownloadEnd::OpenFailed;
        if (m_setup.prompter)
            m_setup.prompter->information(QStringLiteral("Error during InternetOpen"));
        return false;
    }
    m_running = true;
    m_worker = std::thread([this] { runWorker(); });
    m_supervisor.start();
    return true;
}

void Download::runWorker()
{
    TransferRequest request;
    request.url = m_request.address.toUtf8();
    request.proxy = m_setup.proxy;
    request.userAgent = m_request.userAgent;
    request.headers = credentialHeaders(m_request.user, m_request.password);
    const TransferSink sink = [this](const char *data, std::size_t bytes) { return writeBlock(data, bytes); };

    TransferOutcome outcome = m_transfer->run(request, sink);
    if (outcome.end == TransferEnd::OpenFailed) {
        // One more try, as the address may answer the second time.
        qCDebug(lcDownload).noquote() << outcome.detail;
        outcome = m_transfer->run(request, sink);
    }
    if (outcome.end != TransferEnd::Complete && !outcome.detail.isEmpty())
        qCDebug(lcDownload).noquote() << outcome.detail;
    qCDebug(lcDownload) << "RL-Exit";

    std::lock_guard lock(m_doneMutex);
    m_outcome = outcome;
    m_workerDone = true;
    m_doneSignal.notify_all();
    // Wakes the owner's event loop; dropped when the object is gone.
    QMetaObject::invokeMethod(this, &Download::finishRun, Qt::QueuedConnection);
}

bool Download::writeBlock(const char *data, std::size_t bytes)
{
    if (m_blocks.load() == 0 && m_bytes.load() == 0)
        qCDebug(lcDownload) << "Start Read Loop\nRL1";
    qCDebug(lcDownload) << "RL2\nRL3";
    if (m_request.maxBytes > 0 && m_bytes.load() + qint64(bytes) > m_request.maxBytes) {
        m_tooLarge = true;
        return false;
    }
    if (writeFully(m_fd, data, bytes) != 0) {
        // The file keeps whole blocks only, so it holds what the result counts.
        if (::ftruncate(m_fd, m_bytes.load()) != 0)
            qCDebug(lcDownload) << "Cannot cut the file back to its last whole block";
        m_writeFailed = true;
        return false;
    }
    m_bytes += qint64(bytes);
    ++m_blocks;
    return true;
}

void Download::stop()
{
    if (!m_running || m_stalled)
        return;
    m_stopped = true;
    m_transfer->abort();
}

void Download::superviseOnce()
{
    if (!m_running)
        return;
    const qint64 blocks = m_blocks.load();
    if (blocks != m_lastBlocks) {
        m_lastBlocks = blocks;
        m_idleIntervals = 0;
        return;
    }
    if (++m_idleIntervals > m_setup.stallLimit && !m_stalled && !m_stopped) {
        qCDebug(lcDownload) << "No progress: closing the request";
        m_stalled = true;
        m_transfer->abort();
    }
}

DownloadResult Download::wait()
{
    if (!m_running)
        return m_result;
    const auto interval = std::chrono::milliseconds(m_setup.stallIntervalMs);
    std::unique_lock lock(m_doneMutex);
    while (!m_workerDone) {
        if (!m_doneSignal.wait_for(lock, interval, [this] { return m_workerDone; })) {
            lock.unlock();
            superviseOnce();
            lock.lock();
        }
    }
    lock.unlock();
    finishRun();
    return m_result;
}

void Download::finishRun()
{
    if (!m_running)
        return;
    {
        std::lock_guard lock(m_doneMutex);
        if (!m_workerDone)
            return;
    }
    m_worker.join();
    m_supervisor.stop();
    m_running = false;
    ::close(m_fd);
    m_fd = -1;

    m_result.bytes = m_bytes.load();
    m_result.httpStatus = m_outcome.httpStatus;
    m_result.detail = m_outcome.detail;
    if (m_writeFailed) {
        m_result.end = DownloadEnd::WriteFailed;
        if (m_setup.prompter)
            m_setup.prompter->error(m_request.address, kErrorWritingWebFileCaption);
    } else if (m_tooLarge) {
        m_result.end = DownloadEnd::TooLarge;
    } else if (m_outcome.end == TransferEnd::Complete) {
        // Also when stop() came after the last byte.
        m_result.end = DownloadEnd::Complete;
    } else if (m_stalled) {
        m_result.end = DownloadEnd::Stalled;
    } else if (m_stopped) {
        m_result.end = DownloadEnd::Stopped;
    } else {
        switch (m_outcome.end) {
        case TransferEnd::Complete:
            m_result.end = DownloadEnd::Complete;
            break;
        case TransferEnd::HttpError:
            // An error page is not the file that was asked for.
            m_result.end = DownloadEnd::HttpError;
            m_result.bytes = 0;
            QFile::remove(m_request.path);
            break;
        case TransferEnd::OpenFailed:
            m_result.end = DownloadEnd::OpenFailed;
            break;
        case TransferEnd::Aborted:
        case TransferEnd::Failed:
            m_result.end = DownloadEnd::TransferFailed;
            break;
        }
    }
    Q_EMIT finished(m_result.bytes, m_result.ok());
}

DownloadResult downloadToFile(const DownloadSetup &setup, const DownloadRequest &request)
{
    Download download(setup);
    if (!download.start(request))
        return download.result();
    return download.wait();
}

} // namespace skywell
