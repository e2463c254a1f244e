#include "tuning/download.h"

#include "core/fdwrite.h"
#include "core/prompter.h"
#include "core/settings.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

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
    m_path = request.path;
    m_result = DownloadResult();
    m_result.path = request.path;
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
    request.minBytesPerSecond = m_setup.minBytesPerSecond;
    request.slowSeconds = m_setup.slowSeconds;
    const TransferSink sink = [this](const char *data, std::size_t bytes) { return writeBlock(data, bytes); };
    const TransferResponseSink response = [this](const TransferResponse &answer) { takeResponse(answer); };

    TransferOutcome outcome = m_transfer->run(request, sink, response);
    if (outcome.end == TransferEnd::OpenFailed) {
        // One more try, as the address may answer the second time.
        qCDebug(lcDownload).noquote() << outcome.detail;
        outcome = m_transfer->run(request, sink, response);
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

void Download::takeResponse(const TransferResponse &response)
{
    const bool audioType = response.contentType.startsWith("audio/") || response.contentType == "application/ogg";
    m_liveStream = response.icy && response.contentLength < 0 && audioType;
    if (!m_request.extensionFromType || m_bytes.load() > 0)
        return;
    const QString extension = audioExtensionForType(response.contentType);
    const QFileInfo info(m_path);
    if (extension.isEmpty() || info.suffix() == extension)
        return;
    const QString renamed = info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('.') + extension;
    // link() never replaces a file that is there already.
    const QByteArray from = QFile::encodeName(m_path);
    const QByteArray to = QFile::encodeName(renamed);
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        m_path = renamed;
    }
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
    m_result.path = m_path;
    m_result.liveStream = m_liveStream.load();
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
            QFile::remove(m_path);
            break;
        case TransferEnd::OpenFailed:
            m_result.end = DownloadEnd::OpenFailed;
            break;
        case TransferEnd::TooSlow:
            m_result.end = DownloadEnd::Stalled;
            m_result.detail = QStringLiteral("fewer than %1 bytes a second for %2 seconds")
                                  .arg(m_setup.minBytesPerSecond)
                                  .arg(m_setup.slowSeconds);
            break;
        case TransferEnd::Aborted:
        case TransferEnd::Failed:
            m_result.end = DownloadEnd::TransferFailed;
            break;
        }
    }
    // A download that brought nothing leaves no empty file behind.
    if (m_result.bytes == 0 && m_result.end != DownloadEnd::Complete)
        QFile::remove(m_path);
    Q_EMIT finished(m_result.bytes, m_result.ok());
}

QString audioExtensionForType(const QByteArray &contentType)
{
    static const QList<std::pair<QByteArray, QString>> kTypes = {
        {"audio/mpeg", QStringLiteral("mp3")},     {"audio/mp3", QStringLiteral("mp3")},
        {"audio/x-mpeg", QStringLiteral("mp3")},   {"audio/aac", QStringLiteral("aac")},
        {"audio/aacp", QStringLiteral("aac")},     {"audio/x-aac", QStringLiteral("aac")},
        {"audio/mp4", QStringLiteral("m4a")},      {"audio/x-m4a", QStringLiteral("m4a")},
        {"audio/ogg", QStringLiteral("ogg")},      {"application/ogg", QStringLiteral("ogg")},
        {"audio/opus", QStringLiteral("opus")},    {"audio/flac", QStringLiteral("flac")},
        {"audio/x-flac", QStringLiteral("flac")},  {"audio/wav", QStringLiteral("wav")},
        {"audio/x-wav", QStringLiteral("wav")},    {"audio/wave", QStringLiteral("wav")},
        {"audio/x-ms-wma", QStringLiteral("wma")}, {"audio/webm", QStringLiteral("webm")},
    };
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    for (const auto &[name, extension] : kTypes)
        if (type == name)
            return extension;
    return {};
}

bool isAudioExtension(const QString &extension)
{
    static const QStringList kExtensions = {
        QStringLiteral("mp3"),  QStringLiteral("mp2"), QStringLiteral("ogg"),  QStringLiteral("oga"),
        QStringLiteral("opus"), QStringLiteral("aac"), QStringLiteral("m4a"),  QStringLiteral("m4b"),
        QStringLiteral("flac"), QStringLiteral("wav"), QStringLiteral("wma"),  QStringLiteral("webm"),
        QStringLiteral("spx"),  QStringLiteral("aif"), QStringLiteral("aiff"),
    };
    return kExtensions.contains(extension.toLower());
}

QString downloadExtension(const QString &address, const QByteArray &contentType)
{
    const QString path = QUrl(address).path();
    const QString segment = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = segment.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && isAudioExtension(segment.mid(dot + 1)))
        return segment.mid(dot + 1).toLower();
    const QString fromType = audioExtensionForType(contentType);
    return fromType.isEmpty() ? QStringLiteral("mp3") : fromType;
}

DownloadResult downloadToFile(const DownloadSetup &setup, const DownloadRequest &request)
{
    Download download(setup);
    if (!download.start(request))
        return download.result();
    return download.wait();
}

} // namespace skywell
