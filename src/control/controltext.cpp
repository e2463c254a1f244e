#include "control/controltext.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QStringList>

#include <algorithm>

namespace skywell
{

namespace
{

// Rows under a header, each column as wide as its widest cell.
QString table(const QStringList &header, const QList<QStringList> &rows)
{
    QList<qsizetype> widths;
    for (const QString &cell : header)
        widths.append(cell.size());
    for (const QStringList &row : rows) {
        for (qsizetype i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    }
    QString text;
    const auto line = [&](const QStringList &cells) {
        QString out;
        for (qsizetype i = 0; i < cells.size(); ++i)
            out += i + 1 < cells.size() ? cells[i].leftJustified(widths[i] + 2) : cells[i];
        text += out + QLatin1Char('\n');
    };
    line(header);
    for (const QStringList &row : rows)
        line(row);
    return text;
}

QString field(const QJsonObject &object, const char *name)
{
    const QJsonValue value = object.value(QLatin1String(name));
    if (value.isDouble())
        return QString::number(value.toDouble());
    if (value.isBool())
        return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    return value.toString();
}

// "2026-12-09T21:00:00+01:00" as "2026-12-09 21:00".
QString shortTime(const QString &iso)
{
    return iso.left(16).replace(QLatin1Char('T'), QLatin1Char(' '));
}

QString scheduleText(const QJsonObject &show)
{
    const QString kind = field(show, "schedule");
    QString text = kind;
    if (kind == QLatin1String("once"))
        text = field(show, "once");
    else if (kind == QLatin1String("weekly")) {
        QStringList days;
        for (const QJsonValue &day : show.value(QLatin1String("weekly")).toArray())
            days << day.toString();
        text = days.join(QLatin1Char(','));
    }
    if (kind != QLatin1String("unscheduled"))
        text += QLatin1Char(' ') + field(show, "at");
    return text + QStringLiteral(" (%1 min)").arg(field(show, "length"));
}

} // namespace

QString controlReplyText(const QString &command, const ControlReply &reply)
{
    QString text = reply.message.isEmpty() ? QString() : reply.message + QLatin1Char('\n');
    if (reply.status != ControlStatus::Done)
        return text;
    if (command == QLatin1String("list")) {
        QList<QStringList> rows;
        for (const QJsonValue &value : reply.data.value(QLatin1String("shows")).toArray()) {
            const QJsonObject show = value.toObject();
            const QString next = show.value(QLatin1String("recording")).toBool() ? QStringLiteral("RECORDING")
                                                                                 : shortTime(field(show, "next"));
            rows.append({field(show, "name"), scheduleText(show), next, field(show, "source"), field(show, "output"),
                         field(show, "lastStatus")});
        }
        text += table({QStringLiteral("NAME"), QStringLiteral("SCHEDULE"), QStringLiteral("NEXT"),
                       QStringLiteral("SOURCE"), QStringLiteral("OUTPUT"), QStringLiteral("LAST STATUS")},
                      rows);
    } else if (command == QLatin1String("status")) {
        QList<QStringList> rows;
        for (const QJsonValue &value : reply.data.value(QLatin1String("running")).toArray()) {
            const QJsonObject running = value.toObject();
            rows.append(
                {field(running, "show"), shortTime(field(running, "since")), shortTime(field(running, "until")),
                 field(running, "bytes"),
                 QString::number(int(running.value(QLatin1String("level")).toDouble() * 100)) + QLatin1Char('%')});
        }
        if (rows.isEmpty())
            text += QStringLiteral("Nothing is recording.\n");
        else
            text += table({QStringLiteral("RECORDING"), QStringLiteral("SINCE"), QStringLiteral("UNTIL"),
                           QStringLiteral("BYTES"), QStringLiteral("LEVEL")},
                          rows);
        const QJsonObject next = reply.data.value(QLatin1String("next")).toObject();
        if (!next.isEmpty())
            text += QStringLiteral("Next: %1 at %2\n").arg(field(next, "show"), shortTime(field(next, "at")));
    } else if (command == QLatin1String("recordings")) {
        QList<QStringList> rows;
        for (const QJsonValue &value : reply.data.value(QLatin1String("recordings")).toArray()) {
            const QJsonObject recording = value.toObject();
            const double seconds = recording.value(QLatin1String("seconds")).toDouble(-1);
            const QString length = seconds < 0 ? QString()
                                               : QStringLiteral("%1:%2")
                                                     .arg(qint64(seconds) / 60)
                                                     .arg(qint64(seconds) % 60, 2, 10, QLatin1Char('0'));
            rows.append({field(recording, "file"), field(recording, "show"), shortTime(field(recording, "date")),
                         field(recording, "bytes"), length});
        }
        text += table({QStringLiteral("FILE"), QStringLiteral("SHOW"), QStringLiteral("DATE"), QStringLiteral("BYTES"),
                       QStringLiteral("LENGTH")},
                      rows);
    }
    return text;
}

} // namespace skywell
