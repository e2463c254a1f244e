#include "postprocess/recordingsbrowserrules.h"

#include "core/regularfile.h"
#include "postprocess/recordingdetails.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <dirent.h>

namespace skywell
{

namespace
{

// Compressed track files: an audio CD needs them decoded first.
const QLatin1String kCompressedExtensions[] = {QLatin1String(".mp3"), QLatin1String(".aac"), QLatin1String(".ogg"),
                                               QLatin1String(".opus")};

} // namespace

bool recordingListed(const QString &fileName, const QString &filter)
{
    const bool audio = fileName.contains(QLatin1String(".wav")) ||
                       std::any_of(std::begin(kCompressedExtensions), std::end(kCompressedExtensions),
                                   [&fileName](QLatin1String extension) { return fileName.contains(extension); });
    return audio && (filter == kAllRecordings || fileName.contains(filter));
}

RecordingScan scanRecordings(const QString &folder, const QString &filter)
{
    RecordingScan scan;
    const QDir dir(folder);
    // Tried rather than asked: the listing itself reports no errors.
    DIR *opened = ::opendir(QFile::encodeName(folder).constData());
    if (!opened) {
        scan.problem = QStringLiteral("The recordings folder %1 cannot be read: %2.")
                           .arg(QDir::toNativeSeparators(folder), systemErrorText(errno));
        return scan;
    }
    ::closedir(opened);
    // Regular files only: a named pipe would never answer the read.
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::NoSort);
    for (const QFileInfo &info : files) {
        if (!recordingListed(info.fileName(), filter))
            continue;
        RecordingEntry entry{info.fileName(), info.lastModified(), -1, {}, {}};
        const RecordingDetails details = readRecordingDetails(info.filePath());
        entry.seconds = details.seconds;
        entry.problem = details.problem;
        entry.title = details.title.isEmpty() ? info.completeBaseName() : details.title;
        if (entry.title.isEmpty())
            entry.title = info.fileName();
        scan.entries << entry;
    }
    std::sort(scan.entries.begin(), scan.entries.end(), [](const RecordingEntry &a, const RecordingEntry &b) {
        if (a.modified != b.modified)
            return a.modified > b.modified;
        return a.name < b.name;
    });
    return scan;
}

QString recordingLengthText(const RecordingEntry &entry)
{
    if (!entry.problem.isEmpty())
        return QStringLiteral("unreadable");
    if (entry.seconds < 0)
        return {};
    const qint64 total = qRound64(entry.seconds);
    const QString seconds = QStringLiteral("%1").arg(total % 60, 2, 10, QLatin1Char('0'));
    if (total < 3600)
        return QStringLiteral("%1:%2").arg(total / 60).arg(seconds);
    return QStringLiteral("%1:%2:%3").arg(total / 3600).arg((total / 60) % 60, 2, 10, QLatin1Char('0')).arg(seconds);
}

QString moveToTrash(const QString &path)
{
    // Without a Trash folder in the data home, QFile would make "files"
    // and "info" in the working folder and call that the Trash.
    const QString trash =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
    if (!QFileInfo(trash).isDir()) {
        if (!QDir().mkpath(trash))
            return QStringLiteral("there is no Trash: the folder %1 cannot be made").arg(trash);
        QFile::setPermissions(trash, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QFile file(path);
    if (!file.moveToTrash())
        return file.errorString();
    return {};
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
    return std::any_of(std::begin(kCompressedExtensions), std::end(kCompressedExtensions),
                       [&fileName](QLatin1String extension) { return fileName.endsWith(extension); });
}

QString audioCdWavPath(const QString &trackPath)
{
    const QString stem =
        needsDecodingForAudioCd(trackPath) ? trackPath.left(trackPath.lastIndexOf(QLatin1Char('.'))) : trackPath;
    QString path = stem + QStringLiteral(".wav");
    for (int copy = 2; QFileInfo::exists(path); ++copy)
        path = QStringLiteral("%1 (%2).wav").arg(stem).arg(copy);
    return path;
}

} // namespace skywell
