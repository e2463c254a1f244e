#include "tuning/tuningaddress.h"

#include <QRegularExpression>
#include <QUrl>

#include <glib.h>

namespace skywell
{

namespace
{

bool startsWithScheme(const QString &address, bool slashes)
{
    static const QRegularExpression withSlashes(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    static const QRegularExpression bare(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return (slashes ? withSlashes : bare).match(address).hasMatch();
}

QString commandText(const QString &address)
{
    const QString trimmed = address.trimmed();
    if (trimmed.startsWith(kRunPrefix))
        return trimmed.mid(kRunPrefix.size());
    return trimmed;
}

} // namespace

bool isCommandLineAddress(const QString &address, char origin)
{
    if (origin != 0)
        return false;
    const QString trimmed = address.trimmed();
    if (startsWithScheme(trimmed, true))
        return false;
    return trimmed.startsWith(kRunPrefix) || address.contains(QLatin1String(".exe"));
}

ProgramCommand splitCommandLine(const QString &address)
{
    ProgramCommand command;
    const QByteArray text = commandText(address).toUtf8();
    if (text.trimmed().isEmpty()) {
        command.error = QStringLiteral("the command line names no program");
        return command;
    }
    gint argc = 0;
    gchar **argv = nullptr;
    GError *error = nullptr;
    if (!g_shell_parse_argv(text.constData(), &argc, &argv, &error)) {
        command.error = error ? QString::fromUtf8(error->message) : QStringLiteral("the command line cannot be split");
        if (error)
            g_error_free(error);
        return command;
    }
    for (gint i = 0; i < argc; ++i) {
        const QString word = QString::fromUtf8(argv[i]);
        if (i == 0)
            command.program = word;
        else
            command.arguments << word;
    }
    g_strfreev(argv);
    if (command.program.isEmpty())
        command.error = QStringLiteral("the command line names no program");
    return command;
}

QString playableAddress(const QString &address)
{
    const QString trimmed = address.trimmed();
    if (startsWithScheme(trimmed, false) &&
        !QRegularExpression(QStringLiteral("^[^:/]+:[0-9]")).match(trimmed).hasMatch())
        return trimmed;
    return QStringLiteral("http://") + trimmed;
}

QString addressProblem(const QString &address)
{
    if (address.toUtf8().size() > kMaxTuningAddressBytes)
        return QStringLiteral("the address is longer than %1 characters").arg(kMaxTuningAddressBytes);
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("the address is empty");
    for (const QChar c : trimmed) {
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return QStringLiteral("the address is not a URL (it holds blanks or control characters)");
    }
    const QUrl url(playableAddress(trimmed), QUrl::StrictMode);
    if (!url.isValid())
        return QStringLiteral("the address is not a URL");
    if (url.isLocalFile())
        return url.path().isEmpty() ? QStringLiteral("the address names no file") : QString();
    const QString host = url.host();
    if (host.isEmpty())
        return QStringLiteral("the address is not a URL (it names no server)");
    // Without a scheme a single word is more likely a typing slip than a
    // server on the local network.
    if (!startsWithScheme(trimmed, false) && !host.contains(QLatin1Char('.')) && host != QLatin1String("localhost"))
        return QStringLiteral("the address is not a URL");
    return QString();
}

} // namespace skywell
