#include "postprocess/recordingsbrowserrules.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace skywell
{

bool recordingListed(const QString &fileName, const QString &filter)
{
    const bool audio = fileName.contains(QLatin1String(".wav")) || fileName.contains(QLatin1String(".mp3"));
    return audio && (filter == kAllRecordings || fileName.contains(filter));
}

QStringList listRecordings(const QString &folder, const QString &filter)
{
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    QStringList listed;
    listed.reserve(entries.size());
    for (const QString &name : entries) {
        if (recordingListed(name, filter))
            listed << name;
    }
    std::sort(listed.begin(), listed.end(), [](const QString &a, const QString &b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return listed;
}

QString currentlyShowingText(const QString &filter)
{
    if (filter.startsWith(QLatin1Char('.')))
        return QStringLiteral("Currently Showing: ALL SHOWS");
    return QStringLiteral("%1: %2").arg(QStringLiteral("Currently Showing"), filter);
}

bool writePlaylist(const QString &path, const QString &folder, const QStringList &names)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    for (const QString &name : names)
        file.write((folder + name).toUtf8() + "\r\n");
    return file.commit();
}

bool needsDecodingForAudioCd(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".mp3"));
}

QString audioCdWavPath(const QString &mp3Path)
{
    const QString stem = needsDecodingForAudioCd(mp3Path) ? mp3Path.chopped(4) : mp3Path;
    QString path = stem + QStringLiteral(".wav");
    for (int copy = 2; QFileInfo::exists(path); ++copy)
        path = QStringLiteral("%1 (%2).wav").arg(stem).arg(copy);
    return path;
}

} // namespace skywell
