#include "shows/showstore.h"

#include "core/activitylog.h"
#include "core/prompter.h"
#include "shows/showfile.h"

#include <QFile>

#include <sys/stat.h>

namespace skywell
{

ShowStore::ShowStore(QString programFolder, ActivityLog &log, Prompter &prompter)
    : m_programFolder(std::move(programFolder)), m_log(log), m_prompter(prompter)
{
}

QString ShowStore::showFilePath() const
{
    return m_programFolder + kShowFileName;
}

void ShowStore::load(ShowList &shows)
{
    QString problem;
    if (loadShowFile(shows, showFilePath(), &problem) != ShowFileLoad::Refused)
        return;
    m_unreadable = true;
    m_log.logLine(QStringLiteral("Cannot read the show list"), showFilePath() + QStringLiteral(": ") + problem);
    m_prompter.error(kShowListUnreadableText.arg(showFilePath(), problem));
}

QString ShowStore::pickBesidePath() const
{
    // A name nothing uses yet, not even a dangling link: an earlier run's
    // list saved beside the unreadable one is kept too.
    for (int n = 1;; ++n) {
        const QString path = showFilePath() + QLatin1Char('.') + QString::number(n);
        struct stat info {
        };
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
            return path;
    }
}

bool ShowStore::save(const ShowList &shows)
{
    const bool firstBeside = m_unreadable && m_besidePath.isEmpty();
    if (firstBeside)
        m_besidePath = pickBesidePath();
    const QString path = m_unreadable ? m_besidePath : showFilePath();
    QString problem;
    if (!saveShowFile(shows, path, &problem)) {
        m_log.logLine(QStringLiteral("Cannot save the show list"), path + QStringLiteral(": ") + problem);
        if (!m_failing)
            m_prompter.error(kShowListNotSavedText.arg(path, problem));
        m_failing = true;
        if (firstBeside)
            m_besidePath.clear();
        return false;
    }
    if (firstBeside) {
        m_log.logLine(QStringLiteral("Show list saved beside the unreadable one"), path);
        m_prompter.information(kShowListSavedBesideText.arg(showFilePath(), path));
    } else if (m_failing) {
        m_log.logLine(QStringLiteral("Show list saved again"), path);
    }
    m_failing = false;
    return true;
}

} // namespace skywell
