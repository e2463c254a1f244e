#include "web/httpdaemon.h"

#include <QUrl>

#include <arpa/inet.h>
#include <cstdarg>
#include <cstdio>
#include <microhttpd.h>
#include <netinet/in.h>
#include <unistd.h>

namespace skywell
{

namespace
{

// The request as it arrives, kept between the server's calls.
struct Pending {
    WebRequest request;
    bool tooLarge = false;
};

MHD_Result collect(void *cls, MHD_ValueKind kind, const char *key, const char *value)
{
    auto *request = static_cast<WebRequest *>(cls);
    const QByteArray name(key ? key : "");
    const QByteArray text(value ? value : "");
    if (kind == MHD_HEADER_KIND)
        request->headers.append({name.toLower(), text});
    else if (kind == MHD_GET_ARGUMENT_KIND)
        request->query.append({QString::fromUtf8(name), QString::fromUtf8(text)});
    return MHD_YES;
}

QHostAddress peerOf(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    QHostAddress address;
    if (info && info->client_addr)
        address.setAddress(info->client_addr);
    return address;
}

void readBasicAuth(WebRequest &request)
{
    const QByteArray value = request.header("authorization");
    if (!value.startsWith("Basic "))
        return;
    const QByteArray decoded = QByteArray::fromBase64(value.mid(6).trimmed());
    const qsizetype colon = decoded.indexOf(':');
    if (colon < 0)
        return;
    request.hasBasic = true;
    request.basicUser = QString::fromUtf8(decoded.left(colon));
    request.basicPassword = QString::fromUtf8(decoded.mid(colon + 1));
}

MHD_Result queue(MHD_Connection *connection, WebResponse answer)
{
    MHD_Response *response = nullptr;
    if (answer.fileDescriptor >= 0) // the server closes the descriptor
        response = MHD_create_response_from_fd_at_offset64(
            static_cast<uint64_t>(answer.fileLength), answer.fileDescriptor, static_cast<uint64_t>(answer.fileOffset));
    else
        response = MHD_create_response_from_buffer(static_cast<size_t>(answer.body.size()), answer.body.data(),
                                                   MHD_RESPMEM_MUST_COPY);
    if (!response) {
        if (answer.fileDescriptor >= 0)
            ::close(answer.fileDescriptor);
        return MHD_NO;
    }
    if (!answer.contentType.isEmpty())
        MHD_add_response_header(response, "Content-Type", answer.contentType.constData());
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    MHD_add_response_header(response, "Cache-Control", "no-store");
    for (const auto &[name, value] : answer.headers)
        MHD_add_response_header(response, name.constData(), value.constData());
    const MHD_Result result = MHD_queue_response(connection, static_cast<unsigned>(answer.status), response);
    MHD_destroy_response(response);
    return result;
}

MHD_Result refuse(HttpDaemon &daemon, MHD_Connection *connection, const WebRequest &request, int status,
                  const QString &reason)
{
    daemon.handler().refused(request, status, reason);
    return queue(connection, WebResponse::error(status, reason));
}

MHD_Result onRequest(void *cls, MHD_Connection *connection, const char *url, const char *method, const char *,
                     const char *uploadData, size_t *uploadSize, void **state)
{
    auto &daemon = *static_cast<HttpDaemon *>(cls);
    auto *pending = static_cast<Pending *>(*state);
    if (!pending) {
        pending = new Pending;
        *state = pending;
        WebRequest &request = pending->request;
        request.method = method;
        request.path = QString::fromUtf8(url);
        request.peer = peerOf(connection);
        MHD_get_connection_values(connection, MHD_HEADER_KIND, collect, &request);
        MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, collect, &request);
        readBasicAuth(request);
        if (request.headers.size() > HttpDaemon::kMaxHeaders)
            return refuse(daemon, connection, request, MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE,
                          QStringLiteral("too many header lines"));
        bool known = false;
        const qint64 length = request.header("content-length").toLongLong(&known);
        if (known && length > HttpDaemon::kMaxBodyBytes)
            return refuse(daemon, connection, request, MHD_HTTP_CONTENT_TOO_LARGE, QStringLiteral("body too large"));
        return MHD_YES;
    }
    if (*uploadSize > 0) {
        if (pending->request.body.size() + static_cast<qint64>(*uploadSize) > HttpDaemon::kMaxBodyBytes) {
            // A body without a length that grows too large: the connection
            // is closed without reading the rest.
            if (!pending->tooLarge)
                daemon.handler().refused(pending->request, MHD_HTTP_CONTENT_TOO_LARGE,
                                         QStringLiteral("body too large"));
            pending->tooLarge = true;
            return MHD_NO;
        }
        pending->request.body.append(uploadData, static_cast<qsizetype>(*uploadSize));
        *uploadSize = 0;
        return MHD_YES;
    }
    return queue(connection, daemon.handler().handle(pending->request));
}

void onCompleted(void *, MHD_Connection *, void **state, MHD_RequestTerminationCode)
{
    delete static_cast<Pending *>(*state);
    *state = nullptr;
}

void onServerMessage(void *cls, const char *format, va_list arguments)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    static_cast<HttpDaemon *>(cls)->handler().serverMessage(QString::fromLocal8Bit(text).trimmed());
}

} // namespace

QString HttpDaemon::start(const WebAddress &address)
{
    stop();
    sockaddr_storage storage{};
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ERROR_LOG;
    bool ok = false;
    const QByteArray host = address.host.toString().toLatin1();
    if (address.host.protocol() == QAbstractSocket::IPv6Protocol) {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(address.port);
        ok = inet_pton(AF_INET6, host.constData(), &in6->sin6_addr) == 1;
        flags |= MHD_USE_IPv6;
    } else {
        auto *in = reinterpret_cast<sockaddr_in *>(&storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(address.port);
        ok = inet_pton(AF_INET, host.constData(), &in->sin_addr) == 1;
    }
    if (!ok)
        return QStringLiteral("%1 is not an address to listen on").arg(address.text());
    m_daemon = MHD_start_daemon(flags, address.port, nullptr, nullptr, &onRequest, this, MHD_OPTION_SOCK_ADDR, &storage,
                                MHD_OPTION_NOTIFY_COMPLETED, &onCompleted, nullptr, MHD_OPTION_CONNECTION_LIMIT,
                                kMaxConnections, MHD_OPTION_CONNECTION_TIMEOUT, kIdleSeconds,
                                MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<size_t>(32 * 1024),
                                MHD_OPTION_EXTERNAL_LOGGER, &onServerMessage, this, MHD_OPTION_END);
    if (!m_daemon)
        return QStringLiteral("cannot listen on %1").arg(address.text());
    return {};
}

void HttpDaemon::stop()
{
    if (m_daemon)
        MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
}

quint16 HttpDaemon::port() const
{
    const MHD_DaemonInfo *info = m_daemon ? MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT) : nullptr;
    return info ? info->port : 0;
}

} // namespace skywell
