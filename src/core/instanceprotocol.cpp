#include "core/instanceprotocol.h"

#include <QList>

#include <algorithm>

namespace skywell
{

QByteArray encodeRequestLine(const InstanceRequestLine &request)
{
    QByteArray line = QByteArray::number(request.message) + ' ' + QByteArray::number(request.code);
    if (!request.importPath.isEmpty())
        line += ' ' + request.importPath.toUtf8().toPercentEncoding("/");
    return line + '\n';
}

QByteArray encodeControlLine(const QByteArray &json)
{
    return kControlLinePrefix + json.toPercentEncoding() + '\n';
}

bool decodeControlLine(const QByteArray &line, QByteArray &json)
{
    if (!line.startsWith(kControlLinePrefix))
        return false;
    json = QByteArray::fromPercentEncoding(line.mid(qsizetype(sizeof kControlLinePrefix) - 1));
    return true;
}

bool decodeRequestLine(const QByteArray &line, InstanceRequestLine &request, QString &why)
{
    // Printable ASCII only: the file name travels percent-encoded.
    const bool printable = std::all_of(line.begin(), line.end(), [](char c) { return c >= ' ' && c <= '~'; });
    const QList<QByteArray> words = line.split(' ');
    bool okMessage = false;
    bool okCode = false;
    if (printable && (words.size() == 2 || words.size() == 3)) {
        request.message = words[0].toInt(&okMessage);
        request.code = words[1].toInt(&okCode);
    }
    if (!okMessage || !okCode) {
        why = QStringLiteral("not a request (%1 bytes)").arg(line.size());
        return false;
    }
    request.importPath.clear();
    if (words.size() == 3) {
        const QByteArray path = QByteArray::fromPercentEncoding(words[2]);
        request.importPath = QString::fromUtf8(path);
        if (path.isEmpty() || path.contains('\0') || request.importPath.toUtf8() != path) {
            why = QStringLiteral("the file name of the request is not valid");
            return false;
        }
    }
    return true;
}

} // namespace skywell
