#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace skywell::test
{

// A real HTTP server on 127.0.0.1 for the download tests, one thread per
// connection. Each path has a handler that writes whatever bytes it likes,
// so it can also play a hostile server (endless headers, a body that
// never ends, a lying Content-Length) or a proxy (requests for absolute
// addresses reach the handler of their path).
class DownloadTestServer
{
public:
    struct Request {
        QByteArray method;
        QByteArray target; // as sent: "/path?query" or, to a proxy, "http://host/path"
        QByteArray path;   // without host and query
        QByteArray head;   // the request line and header lines
        // The value of a header line, "" when missing.
        QByteArray header(const QByteArray &name) const;
    };

    class Connection
    {
    public:
        // False once the client has gone or the server stops.
        bool send(const QByteArray &bytes);
        // Waits; false when the server stops meanwhile.
        bool pause(int ms);

    private:
        friend class DownloadTestServer;
        Connection(DownloadTestServer &server, int fd) : m_server(server), m_fd(fd) {}
        DownloadTestServer &m_server;
        int m_fd;
    };

    using Handler = std::function<void(Connection &, const Request &)>;

    DownloadTestServer();
    ~DownloadTestServer();
    DownloadTestServer(const DownloadTestServer &) = delete;
    DownloadTestServer &operator=(const DownloadTestServer &) = delete;

    quint16 port() const { return m_port; }
    QString url(const QString &path) const;

    void route(const QByteArray &path, Handler handler);
    // A complete answer with a Content-Length.
    void serve(const QByteArray &path, const QByteArray &body, int status = 200,
               const QByteArray &contentType = "application/octet-stream");

    QList<Request> requests() const;

    static QByteArray statusLine(int status);

private:
    void acceptLoop();
    void serveConnection(int fd);

    int m_listenFd = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_stopSignal;
    QMap<QByteArray, Handler> m_routes;
    QList<Request> m_requests;
    std::vector<int> m_openFds;
    std::vector<std::thread> m_threads;
    std::thread m_acceptThread;
};

} // namespace skywell::test
