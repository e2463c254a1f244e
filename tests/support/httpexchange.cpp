#include "support/httpexchange.h"

#include "support/eventloop.h"

#include <QList>

#include <arpa/inet.h>
#include <future>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace skywell::test
{

namespace
{

HttpAnswer exchange(quint16 port, const QByteArray &request)
{
    HttpAnswer answer;
    const int fd = openIdleConnection(port);
    if (fd < 0)
        return answer;
    timeval timeout{20, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    // A server may refuse before reading everything: a failed send still
    // leaves its answer to read.
    for (qsizetype sent = 0; sent < request.size();) {
        const ssize_t n =
            ::send(fd, request.constData() + sent, static_cast<size_t>(request.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += n;
    }
    QByteArray raw;
    char buffer[65536];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        raw.append(buffer, n);
    ::close(fd);
    const qsizetype end = raw.indexOf("\r\n\r\n");
    if (!raw.startsWith("HTTP/1.") || end < 0)
        return answer;
    answer.head = raw.left(end);
    answer.body = raw.mid(end + 4);
    answer.status = raw.mid(9, 3).toInt();
    return answer;
}

} // namespace

QByteArray HttpAnswer::header(const QByteArray &name) const
{
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

HttpAnswer httpExchange(quint16 port, const QByteArray &request)
{
    auto answer = std::async(std::launch::async, exchange, port, request);
    spinUntil([&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 60000);
    return answer.get();
}

QByteArray httpGet(const QByteArray &path, const QByteArray &headers)
{
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + headers + "\r\n";
}

QByteArray httpPost(const QByteArray &path, const QByteArray &body, const QByteArray &headers)
{
    return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Type: application/json\r\n" +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\n" + headers + "\r\n" + body;
}

int openIdleConnection(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

} // namespace skywell::test
