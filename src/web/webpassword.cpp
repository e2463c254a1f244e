#include "web/webpassword.h"

#include <QMessageAuthenticationCode>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

namespace skywell
{

namespace
{

constexpr int kIterations = 20000;
const QString kScheme = QStringLiteral("pbkdf2-sha256");

QByteArray derive(const QString &password, const QByteArray &salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, iterations, 32);
}

bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

QString WebPassword::hash(const QString &password)
{
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()), salt.size() / 4);
    return QStringList{kScheme, QString::number(kIterations), QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(derive(password, salt, kIterations).toBase64())}
        .join(QLatin1Char('$'));
}

bool WebPassword::isHashed(const QString &stored)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    return parts.size() == 4 && parts[0] == kScheme && parts[1].toInt() > 0;
}

bool WebPassword::verify(const QString &password, const QString &stored)
{
    if (!isHashed(stored))
        return false;
    const QStringList parts = stored.split(QLatin1Char('$'));
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray key = QByteArray::fromBase64(parts[3].toLatin1());
    return sameBytes(derive(password, salt, parts[1].toInt()), key);
}

QString WebPassword::token(const QString &stored, const QString &what)
{
    const QByteArray mac = QMessageAuthenticationCode::hash(what.toUtf8(), stored.toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(mac.left(16).toHex());
}

bool WebPassword::tokenMatches(const QString &stored, const QString &what, const QString &given)
{
    return !stored.isEmpty() && sameBytes(token(stored, what).toLatin1(), given.toLatin1());
}

} // namespace skywell
