#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>

namespace skywell
{

// One HTTP GET as the download worker asks for it.
struct TransferRequest {
    QByteArray url;
    // "http://host:port"; empty: the system's configuration (the
    // http_proxy, https_proxy and no_proxy variables).
    QByteArray proxy;
    QByteArray userAgent;
    // Extra request header lines without their line end.
    QList<QByteArray> headers;
    // The transfer gives up when it brings fewer than minBytesPerSecond
    // for slowSeconds in a row (a trickle holds it no longer than
    // silence would). 0: no minimum.
    long minBytesPerSecond = 0;
    long slowSeconds = 0;
};

// What the answer's headers say about the body, known before its first
// block.
struct TransferResponse {
    qint64 contentLength = -1; // -1: not given
    QByteArray contentType;    // lower case, without parameters
    bool icy = false;          // icy-* header lines (a radio station)
};

enum class TransferEnd {
    Complete,   // the server sent the whole body
    Aborted,    // abort() was called, or the sink refused a block
    HttpError,  // the server answered with a status of 400 or above
    OpenFailed, // no answer: no connection, unknown host, refused
    Failed,     // the transfer broke off after it began (short body, reset, bad headers, redirect loop)
    TooSlow,    // fewer than the minimum bytes per second for too long
};

struct TransferOutcome {
    TransferEnd end = TransferEnd::Failed;
    long httpStatus = 0;
    // The back end's own words on a failure, for the debug output.
    QString detail;
};

// Receives each block of the body as it arrives (at most kDownloadBlockBytes).
// Returns false to end the transfer.
using TransferSink = std::function<bool(const char *data, std::size_t bytes)>;
// Called once per run on the worker thread when the final answer's
// headers are in (before the body's first block).
using TransferResponseSink = std::function<void(const TransferResponse &)>;

// One HTTP transfer, run on the download worker thread. Implemented on
// libcurl in src/platform/curltransfer.
class HttpTransfer
{
public:
    virtual ~HttpTransfer() = default;

    // Runs the request to its end on the calling thread, handing the body
    // to sink block by block, and says how it ended. Called once.
    virtual TransferOutcome run(const TransferRequest &request, const TransferSink &sink,
                                const TransferResponseSink &response = {}) = 0;

    // Callable from any thread, also before or after run(): makes run()
    // return soon with Aborted. Frees nothing; run() cleans up itself.
    virtual void abort() = 0;
};

using HttpTransferFactory = std::function<std::unique_ptr<HttpTransfer>()>;

// The size of one read from the network.
inline constexpr std::size_t kDownloadBlockBytes = 10240;

} // namespace skywell
