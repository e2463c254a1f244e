#pragma once

#include "tuning/downloadtransfer.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace skywell
{

class Prompter;
struct Settings;

// The download's step-by-step lines ("Creating ...", "Start Read Loop",
// "RL1" ... "RL-Exit", the server's failure text). Off unless enabled,
// e.g. QT_LOGGING_RULES="skywell.download.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcDownload)

struct DownloadRequest {
    QString path;    // created or truncated
    QString address; // http or https
    QString user;    // with a user, the request carries a Basic authorization
    QString password;
    QByteArray userAgent = QByteArrayLiteral("Skywell");
    // Ends the download as TooLarge past this many bytes; 0 = no limit
    // (a live stream runs until stop()).
    qint64 maxBytes = 0;
    // The file takes the extension the answer's Content-Type names (see
    // audioExtensionForType), when it names one and that name is free.
    bool extensionFromType = false;
};

enum class DownloadEnd {
    Complete,         // the server sent the whole body
    Stopped,          // stop() ended it; the bytes so far are on disk
    Stalled,          // no new block for stallLimit + 1 supervision intervals, or below the
                      // minimum rate for too long; bytes so far kept
    TooLarge,         // more than maxBytes came
    HttpError,        // status 400 or above: no file is left
    OpenFailed,       // the address could not be opened twice in a row; no file is left
    TransferFailed,   // broke off (short body, reset, endless headers, redirect loop); bytes so far
                      // kept, no file when there were none
    WriteFailed,      // the file could not be written ("Error Writing Web File")
    CannotCreateFile, // "Cannot create file"
    Offline,          // no network: no file is touched
};

struct DownloadResult {
    qint64 bytes = 0; // bytes written to the file
    DownloadEnd end = DownloadEnd::OpenFailed;
    long httpStatus = 0;
    QString detail;          // the transfer's own words on a failure
    QString path;            // the file written (its extension may come from the answer)
    bool liveStream = false; // see Download::liveStream()

    bool complete() const { return end == DownloadEnd::Complete; }
    // Ended as the caller wanted: complete, or stopped by the caller.
    bool ok() const { return end == DownloadEnd::Complete || end == DownloadEnd::Stopped; }
};

// What every download of the program shares.
struct DownloadSetup {
    HttpTransferFactory transfers;  // required
    Prompter *prompter = nullptr;   // shows the messages; none: silent
    std::function<bool()> isOnline; // none: always online
    QByteArray proxy;               // proxyText() of the settings; empty: the system's configuration
    // A transfer that brings no new block for more than stallLimit
    // intervals in a row is given up (70 to 80 seconds by default).
    int stallIntervalMs = 10000;
    int stallLimit = 6;
    // A transfer that brings fewer than minBytesPerSecond for slowSeconds
    // in a row is given up too: a trickle of a byte now and then is no
    // progress. 0: no minimum.
    long minBytesPerSecond = 512;
    long slowSeconds = 60;
};

// "http://address:port", "http://address" without a port, or empty when
// the settings use no proxy.
QByteArray proxyText(const Settings &settings);

// The request header lines for the credentials: none without a user,
// else "Accept: */*" and "Authorization: Basic " with the Base64 form of
// "user:password".
QList<QByteArray> credentialHeaders(const QString &user, const QString &password);

// One download of an address into a file on a worker thread, supervised
// on the thread that owns the object. Use it either way:
//  - start() and wait for finished(), calling stop() to end it early
//    (a live stream never ends on its own);
//  - start() then wait(), which blocks (downloadToFile does this).
// The body goes straight to disk in blocks, so memory stays constant.
class Download final : public QObject
{
    Q_OBJECT
public:
    explicit Download(DownloadSetup setup, QObject *parent = nullptr);
    // Stops a running transfer and waits for its worker; emits nothing.
    ~Download() override;
    Download(const Download &) = delete;
    Download &operator=(const Download &) = delete;

    // Creates the file and starts the worker. False when the download
    // ended at once (offline, or the file cannot be created: message
    // "Cannot create file"); result() says which, and finished() does not
    // follow. One start per object.
    bool start(const DownloadRequest &request);

    // Asks the transfer to end; finished() follows with the bytes so far.
    void stop();

    bool isRunning() const { return m_running; }
    qint64 bytesSoFar() const { return m_bytes.load(); }
    // The answer is a radio station's live stream: icy-* headers, an
    // audio type and no length. Such a body never ends by itself; any
    // other runs to its end.
    bool liveStream() const { return m_liveStream.load(); }

    // Blocks until the transfer ends, supervising it meanwhile, and
    // returns the result (at once when it has ended already).
    DownloadResult wait();

    DownloadResult result() const { return m_result; }

Q_SIGNALS:
    // Once per started download, on the owner's thread: the bytes in the
    // file, and whether it ended complete or by stop().
    void finished(qint64 bytes, bool ok);

private:
    void runWorker();
    void takeResponse(const TransferResponse &response);
    bool writeBlock(const char *data, std::size_t bytes);
    void superviseOnce();
    void finishRun();

    DownloadSetup m_setup;
    DownloadRequest m_request;
    std::unique_ptr<HttpTransfer> m_transfer;
    std::thread m_worker;
    int m_fd = -1;
    bool m_running = false;
    DownloadResult m_result;

    // Written by the worker, read by the owner.
    std::atomic<qint64> m_bytes{0};
    std::atomic<qint64> m_blocks{0};
    std::atomic<bool> m_writeFailed{false};
    std::atomic<bool> m_tooLarge{false};
    std::atomic<bool> m_liveStream{false};
    QString m_path;            // the file's name now; changed only by the worker before the first block
    TransferOutcome m_outcome; // read only after the worker ended
    std::mutex m_doneMutex;
    std::condition_variable m_doneSignal;
    bool m_workerDone = false;

    // Owner side: supervision and why the owner ended the transfer.
    QTimer m_supervisor;
    qint64 m_lastBlocks = 0;
    int m_idleIntervals = 0;
    bool m_stopped = false;
    bool m_stalled = false;
};

// The file extension (without dot) for an audio Content-Type, or empty
// when the type names none Skywell knows.
QString audioExtensionForType(const QByteArray &contentType);
// True for the extensions of the audio files a Show may download.
bool isAudioExtension(const QString &extension);
// A download's file extension: the known audio extension of the
// address's last path segment (query and fragment left out), else the
// one the Content-Type names, else "mp3".
QString downloadExtension(const QString &address, const QByteArray &contentType = QByteArray());

// Downloads an address into a file and returns when it has ended (the
// blocking form of Download).
DownloadResult downloadToFile(const DownloadSetup &setup, const DownloadRequest &request);

inline const QString kCannotCreateFileCaption = QStringLiteral("Cannot create file");
inline const QString kErrorWritingWebFileCaption = QStringLiteral("Error Writing Web File");

} // namespace skywell
