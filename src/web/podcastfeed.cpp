#include "web/podcastfeed.h"

#include <QLocale>
#include <QXmlStreamWriter>

namespace skywell
{

namespace
{

// XML 1.0 allows no control characters but tab and line ends.
QString xmlText(const QString &text)
{
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text)
        if (c.unicode() >= 0x20 || c == QLatin1Char('\t') || c == QLatin1Char('\n'))
            clean += c;
    return clean;
}

QString rfc822(const QDateTime &date)
{
    return QLocale::c().toString(date.toUTC(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")) + QStringLiteral(" +0000");
}

QString duration(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QByteArray podcastFeed(const QString &title, const QString &link, const QList<FeedItem> &items)
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("rss"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    writer.writeNamespace(QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd"), QStringLiteral("itunes"));
    writer.writeStartElement(QStringLiteral("channel"));
    writer.writeTextElement(QStringLiteral("title"), xmlText(title));
    writer.writeTextElement(QStringLiteral("link"), link);
    writer.writeTextElement(QStringLiteral("description"), QStringLiteral("Recorded by Skywell: ") + xmlText(title));
    for (const FeedItem &item : items) {
        writer.writeStartElement(QStringLiteral("item"));
        const QString when = item.date.isValid() ? item.date.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
        writer.writeTextElement(QStringLiteral("title"), xmlText(item.show) + QStringLiteral(", ") + when);
        if (item.date.isValid())
            writer.writeTextElement(QStringLiteral("pubDate"), rfc822(item.date));
        writer.writeStartElement(QStringLiteral("guid"));
        writer.writeAttribute(QStringLiteral("isPermaLink"), QStringLiteral("false"));
        writer.writeCharacters(xmlText(item.file));
        writer.writeEndElement();
        writer.writeEmptyElement(QStringLiteral("enclosure"));
        writer.writeAttribute(QStringLiteral("url"), item.url);
        writer.writeAttribute(QStringLiteral("length"), QString::number(item.bytes));
        writer.writeAttribute(QStringLiteral("type"), QString::fromLatin1(item.mimeType));
        writer.writeTextElement(QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd"),
                                QStringLiteral("duration"), duration(item.seconds));
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

} // namespace skywell
