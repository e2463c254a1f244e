#include "web/webaddress.h"

namespace skywell
{

QString WebAddress::text() const
{
    const QString address = host.protocol() == QAbstractSocket::IPv6Protocol
                                ? QLatin1Char('[') + host.toString() + QLatin1Char(']')
                                : host.toString();
    return address + QLatin1Char(':') + QString::number(port);
}

std::optional<WebAddress> parseWebAddress(const QString &text)
{
    const QString trimmed = text.trimmed();
    QString hostText = QStringLiteral("127.0.0.1");
    QString portText = trimmed;
    const qsizetype colon = trimmed.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        hostText = trimmed.left(colon);
        portText = trimmed.mid(colon + 1);
        if (hostText.startsWith(QLatin1Char('[')) && hostText.endsWith(QLatin1Char(']')))
            hostText = hostText.mid(1, hostText.size() - 2);
        else if (hostText.contains(QLatin1Char(':')))
            return std::nullopt; // IPv6 needs its brackets
        if (hostText.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
            hostText = QStringLiteral("127.0.0.1");
    }
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    WebAddress address;
    if (!ok || port > 65535 || !address.host.setAddress(hostText))
        return std::nullopt;
    address.port = static_cast<quint16>(port);
    return address;
}

QString webStartRefusal(const QString &text, bool hasPassword)
{
    const auto address = parseWebAddress(text);
    if (!address)
        return QStringLiteral("The web page was not started: \"%1\" is not PORT or ADDRESS:PORT.").arg(text);
    if (!address->isLoopback() && !hasPassword)
        return QStringLiteral("The web page was not started: serving it on %1, beyond this computer, needs a "
                              "password (setting \"WebPassword\").")
            .arg(address->text());
    return {};
}

} // namespace skywell
