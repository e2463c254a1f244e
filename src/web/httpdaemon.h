#pragma once

#include "web/webaddress.h"
#include "web/webexchange.h"

#include <QString>

struct MHD_Daemon;

namespace skywell
{

// What the HTTP server calls, on its own thread.
class HttpHandler
{
public:
    virtual ~HttpHandler() = default;
    virtual WebResponse handle(const WebRequest &request) = 0;
    // A request the server refused before it reached handle(): too large,
    // too many headers.
    virtual void refused(const WebRequest &request, int status, const QString &reason) = 0;
    // A message of the server library itself (a refused connection, ...).
    virtual void serverMessage(const QString &message) = 0;
};

// An HTTP/1.1 server on libmicrohttpd: one thread of its own polls every
// connection (epoll), so idle clients cost no thread; files are sent from
// their descriptor with byte ranges. Bodies, header counts and connections
// are limited.
class HttpDaemon final
{
public:
    static constexpr qsizetype kMaxBodyBytes = 64 * 1024;
    static constexpr int kMaxHeaders = 64;
    static constexpr unsigned kMaxConnections = 400;
    static constexpr unsigned kIdleSeconds = 30;

    explicit HttpDaemon(HttpHandler &handler) : m_handler(handler) {}
    ~HttpDaemon() { stop(); }
    HttpDaemon(const HttpDaemon &) = delete;
    HttpDaemon &operator=(const HttpDaemon &) = delete;

    // Starts listening; on failure returns why. Port 0 takes a free one.
    QString start(const WebAddress &address);
    // Waits for the server's thread to end; safe to call twice.
    void stop();
    quint16 port() const;

    HttpHandler &handler() { return m_handler; }

private:
    HttpHandler &m_handler;
    MHD_Daemon *m_daemon = nullptr;
};

} // namespace skywell
