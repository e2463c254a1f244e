#pragma once

#include <QByteArray>
#include <QString>

namespace skywell
{

// The web page's password as the setting "WebPassword" keeps it:
// "pbkdf2-sha256$ITERATIONS$SALT$KEY" (salt and key in base64), never the
// password itself.
namespace WebPassword
{
QString hash(const QString &password);
// True when stored is in the hashed form above.
bool isHashed(const QString &stored);
// Compares in constant time; false for a malformed stored value.
bool verify(const QString &password, const QString &stored);
// A token that opens one thing (a feed, a recording) without the password:
// derived from the stored hash, so it changes with the password.
QString token(const QString &stored, const QString &what);
bool tokenMatches(const QString &stored, const QString &what, const QString &given);
} // namespace WebPassword

} // namespace skywell
