#pragma once

#include <QByteArray>
#include <QString>

namespace skywell
{

// The line a second start sends over the instance socket, one request per
// connection: "MESSAGE CODE" or, for an import, "MESSAGE CODE PATH" with
// the path percent-encoded, ended by "\n". The receiver answers "OK\n"
// once it has taken the request.
struct InstanceRequestLine {
    int message = 0;
    int code = 0;
    QString importPath;
};

// Longest request line the receiver reads, line end included.
constexpr qint64 kMaxRequestLineBytes = 16 * 1024;
inline constexpr char kRequestTakenReply[] = "OK\n";

// A client managing the instance sends "CONTROL " and its request as
// percent-encoded JSON, ended by "\n"; the receiver answers with one line
// of JSON instead of "OK\n".
inline constexpr char kControlLinePrefix[] = "CONTROL ";

QByteArray encodeRequestLine(const InstanceRequestLine &request);
QByteArray encodeControlLine(const QByteArray &json);
// True when the line (without its "\n") is a control request; json is
// then its decoded text.
bool decodeControlLine(const QByteArray &line, QByteArray &json);
// Parses one line (without its "\n"); false and why when it is not a request.
bool decodeRequestLine(const QByteArray &line, InstanceRequestLine &request, QString &why);

} // namespace skywell
