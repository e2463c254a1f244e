#include "ui/urlfinderbrowserprocess.h"

#include "ui/urlfinderlink.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

namespace skywell
{

namespace
{
// How long a browser asked to end may take before it is killed.
constexpr int kEndGraceMs = 5000;
} // namespace

UrlFinderBrowserProcess::UrlFinderBrowserProcess(QString program, QObject *parent)
    : QObject(parent), m_program(std::move(program))
{
}

UrlFinderBrowserProcess::~UrlFinderBrowserProcess()
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    if (m_process->state() == QProcess::NotRunning) {
        delete m_process;
        return;
    }
    // No waiting here: the caller may be recording. The application owns
    // the process until it has ended.
    QProcess *process = m_process;
    process->setParent(QCoreApplication::instance());
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QTimer::singleShot(kEndGraceMs, process, [process] { process->kill(); });
    process->closeWriteChannel();
}

void UrlFinderBrowserProcess::start(const QString &startPage)
{
    if (m_process && m_process->state() != QProcess::NotRunning)
        return;
    const QFileInfo program(m_program);
    if (!program.isFile() || !program.isExecutable()) {
        setState(State::Missing);
        return;
    }
    delete m_process;
    m_lastFound.clear();
    m_process = new QProcess(this);
    // Its diagnostics go where ours go.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &UrlFinderBrowserProcess::readLines);
    connect(m_process, &QProcess::finished, this, &UrlFinderBrowserProcess::ended);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            setState(State::Missing);
    });
    QStringList arguments;
    if (!startPage.isEmpty())
        arguments << startPage;
    m_process->start(m_program, arguments);
    if (m_process->state() != QProcess::NotRunning)
        setState(State::Running);
}

void UrlFinderBrowserProcess::load(const QString &address)
{
    if (m_state != State::Running) {
        start(address);
        return;
    }
    m_process->write(urlfinderlink::line(urlfinderlink::kLoad, address));
}

void UrlFinderBrowserProcess::back()
{
    if (m_state == State::Running)
        m_process->write(urlfinderlink::line(urlfinderlink::kBack));
}

void UrlFinderBrowserProcess::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void UrlFinderBrowserProcess::readLines()
{
    while (m_process->canReadLine()) {
        const urlfinderlink::Line line = urlfinderlink::parse(m_process->readLine());
        if (line.word == urlfinderlink::kAddress) {
            Q_EMIT addressChanged(line.text);
        } else if (line.word == urlfinderlink::kFound) {
            m_lastFound = line.text;
        } else if (line.word == urlfinderlink::kAdd) {
            Q_EMIT streamChosen(line.text);
        }
    }
}

void UrlFinderBrowserProcess::ended(int exitCode, QProcess::ExitStatus status)
{
    setState(status == QProcess::NormalExit && exitCode == 0 ? State::Closed : State::EndedBadly);
}

} // namespace skywell
