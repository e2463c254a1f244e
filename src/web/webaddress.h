#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

namespace skywell
{

// Where the web page is served: from "--web [ADDRESS:]PORT" or the setting
// "WebAddress". Only a port means 127.0.0.1; an IPv6 address is written
// in brackets ("[::1]:8080").
struct WebAddress {
    QHostAddress host;
    quint16 port = 0;

    bool isLoopback() const { return host.isLoopback(); }
    QString text() const;
};

// Empty when the text is no port or address and port.
std::optional<WebAddress> parseWebAddress(const QString &text);

// Why the server may not start there, or empty when it may: a malformed
// address, or an address other than loopback without a password.
QString webStartRefusal(const QString &text, bool hasPassword);

} // namespace skywell
