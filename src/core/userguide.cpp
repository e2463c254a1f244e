#include "core/userguide.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace skywell
{

QStringList userGuideAnchors()
{
    namespace S = GuideSection;
    return {S::mainWindow, S::firstStart, S::nothingRecorded, S::quickRecord, S::recordings, S::urlFinder,
            S::sourceTest, S::pickShow, S::about, S::fileNames,
            // The Show editor opens at "tuning" and each page sets its own.
            QStringLiteral("tuning"), QStringLiteral("schedule"), QStringLiteral("output"), QStringLiteral("recording"),
            // The settings sheet opens at "configuring", then its pages.
            QStringLiteral("configuring"), QStringLiteral("settings_folders"), QStringLiteral("settings_tuning"),
            QStringLiteral("settings_connections"), QStringLiteral("settings_soundmixer"),
            QStringLiteral("settings_other")};
}

QStringList userGuideCandidates(const QString &executableFolder)
{
    QStringList candidates;
    if (!executableFolder.isEmpty())
        candidates << QDir::cleanPath(executableFolder + QStringLiteral("/../share/doc/skywell/") + kUserGuideFileName);
#ifdef SKYWELL_SOURCE_DOC_DIR
    candidates << QDir::cleanPath(QStringLiteral(SKYWELL_SOURCE_DOC_DIR "/") + kUserGuideFileName);
#endif
    return candidates;
}

QString findUserGuide(const QString &executableFolder)
{
    for (const QString &candidate : userGuideCandidates(executableFolder)) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return QString();
}

QUrl userGuideUrl(const QString &guideFile, const QString &anchor)
{
    QUrl url = QUrl::fromLocalFile(guideFile);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

QString writeSectionPage(const QString &guideFile, const QString &anchor, const QString &folder)
{
    QString name;
    for (const QChar c : anchor) {
        if (c.isLetterOrNumber() || c == u'_')
            name += c;
    }
    if (name.isEmpty() || name != anchor || !QDir().mkpath(folder))
        return QString();
    const QString target = userGuideUrl(guideFile, anchor).toString(QUrl::FullyEncoded).toHtmlEscaped();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".html"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                              "<meta http-equiv=\"refresh\" content=\"0; url=%1\">"
                              "<title>Skywell User Guide</title></head>\n"
                              "<body><p><a href=\"%1\">Skywell User Guide</a></p></body></html>\n")
                   .arg(target)
                   .toUtf8());
    return file.commit() ? path : QString();
}

} // namespace skywell
