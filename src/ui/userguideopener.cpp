#include "ui/userguideopener.h"

#include "core/prompter.h"
#include "core/userguide.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace skywell
{

UserGuideOpener::UserGuideOpener(Prompter &prompter, QString executableFolder, QObject *parent)
    : QObject(parent), m_prompter(prompter), m_executableFolder(std::move(executableFolder))
{
}

void UserGuideOpener::open(const QString &anchor)
{
    const QString guide = findUserGuide(m_executableFolder);
    if (guide.isEmpty()) {
        m_prompter.information(kNoUserGuideText.arg(userGuideCandidates(m_executableFolder).join(u'\n')));
        Q_EMIT opened(false);
        return;
    }
    QUrl url = userGuideUrl(guide, anchor);
    if (!anchor.isEmpty()) {
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        const QString page = writeSectionPage(guide, anchor, cache + QStringLiteral("/skywell/guide"));
        if (!page.isEmpty())
            url = QUrl::fromLocalFile(page);
    }
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) {
        // Qt's own search (a portal, $BROWSER, known browsers).
        const bool started = QDesktopServices::openUrl(url);
        if (!started)
            report(QStringLiteral("xdg-open is not installed"), guide);
        Q_EMIT opened(started);
        return;
    }
    // xdg-open's exit status tells whether a browser took the address; it
    // is watched, never waited for.
    auto *process = new QProcess(this);
    process->setProgram(xdgOpen);
    process->setArguments({url.toString(QUrl::FullyEncoded)});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(process, &QProcess::errorOccurred, this, [this, process, guide](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        report(process->errorString(), guide);
        Q_EMIT opened(false);
    });
    connect(process, &QProcess::finished, this, [this, process, guide](int exitCode, QProcess::ExitStatus status) {
        process->deleteLater();
        const bool started = status == QProcess::NormalExit && exitCode == 0;
        if (!started) {
            report(exitCode == 3 ? QStringLiteral("no web browser is set up on this desktop")
                                 : QStringLiteral("xdg-open ended with status %1").arg(exitCode),
                   guide);
        }
        Q_EMIT opened(started);
    });
    process->start();
}

void UserGuideOpener::report(const QString &reason, const QString &guide)
{
    m_prompter.information(kNoBrowserText.arg(reason, guide));
}

} // namespace skywell
