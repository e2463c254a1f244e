#include "control/recordingsjson.h"

#include "control/showjson.h"
#include "postprocess/recordingsbrowserrules.h"
#include "shows/outputnaming.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

namespace skywell
{

namespace
{

// A file is named after its Show as the file naming cleans the name; the
// longest name that begins the file's wins ("News" and "News Extra").
QString showOfFile(const QString &fileName, const QStringList &showNames)
{
    QString best;
    qsizetype bestLength = -1;
    for (const QString &name : showNames) {
        const QString cleaned = replaceForbiddenCharacters(name);
        if (cleaned.size() > bestLength && fileName.startsWith(cleaned + QLatin1Char(' '))) {
            best = name;
            bestLength = cleaned.size();
        }
    }
    return best;
}

} // namespace

QString recordingMimeType(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("mp3"))
        return QStringLiteral("audio/mpeg");
    if (suffix == QLatin1String("wav"))
        return QStringLiteral("audio/wav");
    if (suffix == QLatin1String("aac"))
        return QStringLiteral("audio/aac");
    if (suffix == QLatin1String("ogg") || suffix == QLatin1String("opus"))
        return QStringLiteral("audio/ogg");
    return QStringLiteral("application/octet-stream");
}

QJsonArray recordingsJson(const QString &folder, const QStringList &showNames, QString &problem)
{
    const RecordingScan scan = scanRecordings(folder, kAllRecordings);
    problem = scan.problem;
    QJsonArray list;
    for (const RecordingEntry &entry : scan.entries) {
        QJsonObject json{{QStringLiteral("file"), entry.name},
                         {QStringLiteral("show"), showOfFile(entry.name, showNames)},
                         {QStringLiteral("date"), isoLocalTime(entry.modified.toSecsSinceEpoch())},
                         {QStringLiteral("bytes"), QFileInfo(QDir(folder).filePath(entry.name)).size()},
                         {QStringLiteral("mime"), recordingMimeType(entry.name)}};
        if (entry.seconds >= 0)
            json.insert(QStringLiteral("seconds"), entry.seconds);
        list.append(json);
    }
    return list;
}

} // namespace skywell
