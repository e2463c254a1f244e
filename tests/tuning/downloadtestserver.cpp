#include "tuning/downloadtestserver.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace skywell::test
{

QByteArray DownloadTestServer::Request::header(const QByteArray &name) const
{
    const QList<QByteArray> lines = head.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

bool DownloadTestServer::Connection::send(const QByteArray &bytes)
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (m_server.m_stopping.load())
            return false;
        const ssize_t n = ::send(m_fd, bytes.constData() + at, size_t(bytes.size() - at), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
    }
    return true;
}

bool DownloadTestServer::Connection::pause(int ms)
{
    std::unique_lock lock(m_server.m_mutex);
    return !m_server.m_stopSignal.wait_for(lock, std::chrono::milliseconds(ms),
                                           [this] { return m_server.m_stopping.load(); });
}

DownloadTestServer::DownloadTestServer()
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    const int yes = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(m_listenFd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(m_listenFd, 16) != 0)
        return;
    socklen_t length = sizeof address;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

DownloadTestServer::~DownloadTestServer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (int fd : m_openFds)
            ::shutdown(fd, SHUT_RDWR);
    }
    m_stopSignal.notify_all();
    ::shutdown(m_listenFd, SHUT_RDWR);
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    ::close(m_listenFd);
    for (std::thread &t : m_threads)
        t.join();
}

QString DownloadTestServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

void DownloadTestServer::route(const QByteArray &path, Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_routes.insert(path, std::move(handler));
}

QByteArray DownloadTestServer::statusLine(int status)
{
    const char *reason = status == 200 ? "OK" : status == 404 ? "Not Found" : status == 302 ? "Found" : "Status";
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
}

void DownloadTestServer::serve(const QByteArray &path, const QByteArray &body, int status,
                               const QByteArray &contentType)
{
    route(path, [body, status, contentType](Connection &c, const Request &) {
        c.send(statusLine(status) + "Content-Type: " + contentType +
               "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n");
        // In pieces, as a network would deliver it.
        for (qsizetype at = 0; at < body.size(); at += 65536)
            if (!c.send(body.mid(at, 65536)))
                return;
    });
}

QList<DownloadTestServer::Request> DownloadTestServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void DownloadTestServer::acceptLoop()
{
    while (!m_stopping.load()) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        std::lock_guard lock(m_mutex);
        if (m_stopping.load()) {
            ::close(fd);
            return;
        }
        m_openFds.push_back(fd);
        m_threads.emplace_back([this, fd] { serveConnection(fd); });
    }
}

void DownloadTestServer::serveConnection(int fd)
{
    QByteArray head;
    char buffer[4096];
    while (!head.contains("\r\n\r\n") && head.size() < 65536) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        head.append(buffer, n);
    }
    Request request;
    request.head = head.left(head.indexOf("\r\n\r\n"));
    const QList<QByteArray> first = request.head.left(request.head.indexOf("\r\n")).split(' ');
    if (first.size() >= 2) {
        request.method = first[0];
        request.target = first[1];
        QByteArray path = request.target;
        if (path.startsWith("http://")) {
            const qsizetype slash = path.indexOf('/', 7);
            path = slash < 0 ? QByteArray("/") : path.mid(slash);
        }
        request.path = path.left(path.indexOf('?') < 0 ? path.size() : path.indexOf('?'));
    }
    Handler handler;
    {
        std::lock_guard lock(m_mutex);
        m_requests.append(request);
        handler = m_routes.value(request.path);
    }
    Connection connection(*this, fd);
    if (handler)
        handler(connection, request);
    else
        connection.send(statusLine(404) + "Content-Length: 9\r\nConnection: close\r\n\r\nnot found");
    {
        std::lock_guard lock(m_mutex);
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
        m_openFds.erase(std::find(m_openFds.begin(), m_openFds.end(), fd));
    }
}

} // namespace skywell::test
