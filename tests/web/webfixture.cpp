#include "web/webfixture.h"

#include "web/webaddress.h"
#include "web/webpassword.h"

#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>

namespace skywell::test
{

WebFixture::WebFixture()
{
    QFile secret(outside.file(QStringLiteral("secret.mp3")));
    secret.open(QIODevice::WriteOnly);
    secret.write("SECRET");
    secret.close();
    QFile::link(secret.fileName(), recordings.file(QStringLiteral("link.mp3")));
    control.replies.insert(
        QStringLiteral("status"),
        ControlReply{ControlStatus::Done, {}, QJsonObject{{QStringLiteral("running"), QJsonArray()}}});
}

void WebFixture::start(const QString &password)
{
    m_server = std::make_unique<WebServer>(control, log);
    m_server->setRecordingsFolder(recordings.path());
    if (!password.isEmpty())
        m_server->setPasswordHash(WebPassword::hash(password));
    WebAddress address;
    address.host = QHostAddress::LocalHost;
    m_server->start(address);
}

QByteArray WebFixture::sessionHeaders()
{
    const HttpAnswer answer = send(httpGet("/api/session"));
    const QByteArray cookie = answer.header("set-cookie").split(';').first();
    const QByteArray csrf = QJsonDocument::fromJson(answer.body)[QLatin1String("csrf")].toString().toLatin1();
    return "Cookie: " + cookie + "\r\nX-Skywell-CSRF: " + csrf + "\r\n";
}

int WebFixture::refusalsLogged() const
{
    return static_cast<int>(readAll(log.filePath()).count("Web request refused"));
}

QStringList WebFixture::commandsReceived() const
{
    QStringList commands;
    for (const ControlRequest &request : control.requests)
        commands << request.command;
    return commands;
}

QByteArray WebFixture::writeRecording(const QString &name, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
    QFile file(recordings.file(name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return bytes;
}

} // namespace skywell::test
