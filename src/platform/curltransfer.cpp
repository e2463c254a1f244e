#include "platform/curltransfer.h"

#include "platform/curllibrary.h"

#include <memory>

namespace skywell
{

namespace
{

struct EasyDeleter {
    void operator()(CURL *h) const { curl().curl_easy_cleanup(h); }
};
struct MultiDeleter {
    void operator()(CURLM *h) const { curl().curl_multi_cleanup(h); }
};
struct ListDeleter {
    void operator()(curl_slist *l) const { curl().curl_slist_free_all(l); }
};

// What the callbacks see of one run.
struct RunState {
    CURL *easy = nullptr;
    const TransferSink *sink = nullptr;
    const TransferResponseSink *response = nullptr;
    bool responseSent = false;
    bool icy = false; // the latest answer carries icy-* lines
    const std::atomic<bool> *abort = nullptr;
    std::size_t headerBytes = 0;
    bool sinkRefused = false;
    bool headersTooLong = false;
};

std::size_t onBody(char *data, std::size_t size, std::size_t count, void *user)
{
    auto *state = static_cast<RunState *>(user);
    const std::size_t bytes = size * count;
    if (state->abort->load())
        return 0;
    if (!state->responseSent) {
        state->responseSent = true;
        if (*state->response) {
            TransferResponse response;
            curl_off_t length = -1;
            if (curl().curl_easy_getinfo(state->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK)
                response.contentLength = length;
            const char *type = nullptr;
            if (curl().curl_easy_getinfo(state->easy, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
                response.contentType = QByteArray(type).split(';').first().trimmed().toLower();
            response.icy = state->icy;
            (*state->response)(response);
        }
    }
    if (!(*state->sink)(data, bytes)) {
        state->sinkRefused = true;
        return 0; // any other count than bytes ends the transfer
    }
    return bytes;
}

std::size_t onHeader(char *data, std::size_t size, std::size_t count, void *user)
{
    auto *state = static_cast<RunState *>(user);
    const std::size_t bytes = size * count;
    // A status line begins the next answer (after a redirect).
    if (bytes >= 5 && (qstrnicmp(data, "HTTP/", 5) == 0 || qstrnicmp(data, "ICY ", 4) == 0))
        state->icy = false;
    else if (bytes >= 4 && qstrnicmp(data, "icy-", 4) == 0)
        state->icy = true;
    state->headerBytes += bytes;
    if (state->headerBytes > CurlTransfer::kMaxHeaderBytes) {
        state->headersTooLong = true;
        return 0;
    }
    return state->abort->load() ? 0 : bytes;
}

// Errors that mean the server was never reached, so a second attempt may
// help; everything else broke off a transfer that had begun.
bool isOpenFailure(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return true;
    default:
        return false;
    }
}

} // namespace

TransferOutcome CurlTransfer::run(const TransferRequest &request, const TransferSink &sink,
                                  const TransferResponseSink &response)
{
    QString loadError;
    if (!loadCurl(loadError))
        return {TransferEnd::OpenFailed, 0, loadError};
    const Curl &api = curl();
    if (m_abort.load())
        return {TransferEnd::Aborted, 0, QString()};

    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const QByteArray &line : request.headers) {
        curl_slist *next = api.curl_slist_append(headers.get(), line.constData());
        if (!next)
            return {TransferEnd::OpenFailed, 0, QStringLiteral("out of memory")};
        (void)headers.release();
        headers.reset(next);
    }
    std::unique_ptr<CURL, EasyDeleter> easy(api.curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(api.curl_multi_init());
    if (!easy || !multi)
        return {TransferEnd::OpenFailed, 0, QStringLiteral("libcurl could not start a transfer")};

    RunState state;
    state.easy = easy.get();
    state.sink = &sink;
    state.response = &response;
    state.abort = &m_abort;
    char errorText[CURL_ERROR_SIZE] = {};
    CURL *h = easy.get();
    api.curl_easy_setopt(h, CURLOPT_URL, request.url.constData());
    api.curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    api.curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    api.curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    api.curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    api.curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    api.curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    api.curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    api.curl_easy_setopt(h, CURLOPT_BUFFERSIZE, long(kDownloadBlockBytes));
    api.curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onBody);
    api.curl_easy_setopt(h, CURLOPT_WRITEDATA, &state);
    api.curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, onHeader);
    api.curl_easy_setopt(h, CURLOPT_HEADERDATA, &state);
    if (!request.userAgent.isEmpty())
        api.curl_easy_setopt(h, CURLOPT_USERAGENT, request.userAgent.constData());
    if (!request.proxy.isEmpty())
        api.curl_easy_setopt(h, CURLOPT_PROXY, request.proxy.constData());
    if (headers)
        api.curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    if (request.minBytesPerSecond > 0 && request.slowSeconds > 0) {
        api.curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, request.minBytesPerSecond);
        api.curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, request.slowSeconds);
    }

    if (api.curl_multi_add_handle(multi.get(), h) != CURLM_OK)
        return {TransferEnd::OpenFailed, 0, QStringLiteral("libcurl could not start a transfer")};
    {
        std::lock_guard lock(m_mutex);
        m_multi = multi.get();
    }
    int running = 1;
    while (running && !m_abort.load()) {
        if (api.curl_multi_perform(multi.get(), &running) != CURLM_OK)
            break;
        if (running && !m_abort.load() && api.curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr) != CURLM_OK)
            break;
    }
    {
        std::lock_guard lock(m_mutex);
        m_multi = nullptr;
    }

    bool done = false;
    CURLcode code = CURLE_OK;
    int left = 0;
    while (CURLMsg *msg = api.curl_multi_info_read(multi.get(), &left)) {
        if (msg->msg == CURLMSG_DONE) {
            done = true;
            code = msg->data.result;
        }
    }
    long status = 0;
    api.curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    api.curl_multi_remove_handle(multi.get(), h);

    TransferOutcome outcome;
    outcome.httpStatus = status;
    if (m_abort.load() || state.sinkRefused) {
        outcome.end = TransferEnd::Aborted;
        return outcome;
    }
    if (!done) {
        outcome.detail = QStringLiteral("the transfer could not go on");
        return outcome;
    }
    if (code == CURLE_OK) {
        outcome.end = TransferEnd::Complete;
        return outcome;
    }
    outcome.detail = QString::fromUtf8(errorText[0] ? errorText : api.curl_easy_strerror(code));
    if (state.headersTooLong)
        outcome.detail = QStringLiteral("response headers too long");
    if (code == CURLE_HTTP_RETURNED_ERROR)
        outcome.end = TransferEnd::HttpError;
    else if (code == CURLE_OPERATION_TIMEDOUT)
        outcome.end = TransferEnd::TooSlow;
    else if (isOpenFailure(code) && status == 0)
        outcome.end = TransferEnd::OpenFailed;
    else
        outcome.end = TransferEnd::Failed;
    return outcome;
}

void CurlTransfer::abort()
{
    m_abort.store(true);
    std::lock_guard lock(m_mutex);
    if (m_multi)
        curl().curl_multi_wakeup(static_cast<CURLM *>(m_multi));
}

std::unique_ptr<HttpTransfer> makeCurlTransfer()
{
    return std::make_unique<CurlTransfer>();
}

} // namespace skywell
