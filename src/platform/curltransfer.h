#pragma once

#include "tuning/downloadtransfer.h"

#include <atomic>
#include <mutex>

namespace skywell
{

// HTTP GET on libcurl's multi interface, so that abort() from another
// thread wakes the transfer at once instead of at its next timeout. The
// curl handles live and die inside run(), on the worker thread alone.
// Follows up to 10 redirects, speaks http and https only, reads the body
// in blocks of kDownloadBlockBytes, gives up on response headers longer
// than kMaxHeaderBytes and, when asked, on a transfer below a minimum rate.
class CurlTransfer final : public HttpTransfer
{
public:
    static constexpr std::size_t kMaxHeaderBytes = 256 * 1024;

    CurlTransfer() = default;
    ~CurlTransfer() override = default;

    // May run again after it returned; once aborted, every run returns
    // Aborted at once.
    TransferOutcome run(const TransferRequest &request, const TransferSink &sink,
                        const TransferResponseSink &response) override;
    void abort() override;

private:
    std::atomic<bool> m_abort{false};
    std::mutex m_mutex;      // guards m_multi against abort() while run() ends
    void *m_multi = nullptr; // the CURLM of the running transfer
};

std::unique_ptr<HttpTransfer> makeCurlTransfer();

} // namespace skywell
