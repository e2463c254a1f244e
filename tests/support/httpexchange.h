#pragma once

#include <QByteArray>

namespace skywell::test
{

// An HTTP answer as the client read it off the wire.
struct HttpAnswer {
    int status = 0; // 0: no answer
    QByteArray head;
    QByteArray body;
    QByteArray header(const QByteArray &name) const; // case-insensitive
};

// Sends raw bytes to 127.0.0.1:port on a thread of its own and reads the
// answer to the connection's end, running the Qt event loop meanwhile (a
// server may answer through the main thread). Ask with "Connection: close".
HttpAnswer httpExchange(quint16 port, const QByteArray &request);
// "GET path" with the given extra header lines (each ending in \r\n).
QByteArray httpGet(const QByteArray &path, const QByteArray &headers = {});
QByteArray httpPost(const QByteArray &path, const QByteArray &body, const QByteArray &headers = {});
// A connected socket that sends nothing (the caller closes it); -1 on failure.
int openIdleConnection(quint16 port);

} // namespace skywell::test
