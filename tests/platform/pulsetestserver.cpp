#include "platform/pulsetestserver.h"

#include <QProcess>

namespace skywell::test
{

bool pulseServerAvailable(QString *why)
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        *why = QStringLiteral("PULSE_SERVER is not set: run the tests through ./test.sh, which starts the "
                              "PulseAudio test server (scripts/test-services/pulseaudio.sh)");
        return false;
    }
    if (pactl({QStringLiteral("info")}).isNull()) {
        *why = QStringLiteral("the PulseAudio test server at %1 does not answer")
                   .arg(qEnvironmentVariable("PULSE_SERVER"));
        return false;
    }
    return true;
}

QString pactl(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    // Success with nothing printed is an empty string, not a null one.
    return output.isNull() ? QStringLiteral("") : output;
}

ScopedNullSink::ScopedNullSink(const QString &name) : m_name(name)
{
    m_module =
        pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + name,
               QStringLiteral("sink_properties=device.description=") + name})
            .trimmed();
}

ScopedNullSink::~ScopedNullSink()
{
    if (loaded())
        pactl({QStringLiteral("unload-module"), m_module});
}

ScopedDefaultSink::ScopedDefaultSink(const QString &name)
    : m_previous(pactl({QStringLiteral("get-default-sink")}).trimmed())
{
    pactl({QStringLiteral("set-default-sink"), name});
}

ScopedDefaultSink::~ScopedDefaultSink()
{
    if (!m_previous.isEmpty())
        pactl({QStringLiteral("set-default-sink"), m_previous});
}

} // namespace skywell::test

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>
#include <csignal>
#include <cstdlib>

namespace skywell::test
{

PrivatePulseServer::PrivatePulseServer() : m_dirTemplate("/tmp/swpa-XXXXXX")
{
    // A short path: the socket's name must fit in 108 bytes.
    if (::mkdtemp(m_dirTemplate.data()))
        m_dir = QString::fromLocal8Bit(m_dirTemplate);
}

PrivatePulseServer::~PrivatePulseServer()
{
    stop();
    if (!m_dir.isEmpty())
        QDir(m_dir).removeRecursively();
}

QString PrivatePulseServer::address() const
{
    return QStringLiteral("unix:") + m_dir + QStringLiteral("/pulse/native");
}

bool PrivatePulseServer::start()
{
    if (m_dir.isEmpty())
        return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir);
    env.insert(QStringLiteral("HOME"), m_dir);
    env.remove(QStringLiteral("PULSE_SERVER"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral("pulseaudio"),
                  {QStringLiteral("-D"), QStringLiteral("-n"), QStringLiteral("--system=false"),
                   QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disallow-exit"),
                   QStringLiteral("--log-target=file:") + m_dir + QStringLiteral("/log.txt"),
                   QStringLiteral("--load=module-null-sink sink_name=own"),
                   QStringLiteral("--load=module-native-protocol-unix")});
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return false;
    for (int i = 0; i < 100; ++i) {
        QProcess info;
        QProcessEnvironment clientEnv = QProcessEnvironment::systemEnvironment();
        clientEnv.insert(QStringLiteral("PULSE_SERVER"), address());
        info.setProcessEnvironment(clientEnv);
        info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
        if (info.waitForFinished(5000) && info.exitCode() == 0)
            return true;
        QThread::msleep(100);
    }
    return false;
}

qint64 PrivatePulseServer::pid() const
{
    QFile pidFile(m_dir + QStringLiteral("/pulse/pid"));
    if (!pidFile.open(QIODevice::ReadOnly))
        return 0;
    return pidFile.readAll().trimmed().toLongLong();
}

bool PrivatePulseServer::freeze()
{
    const qint64 p = pid();
    return p > 0 && ::kill(pid_t(p), SIGSTOP) == 0;
}

bool PrivatePulseServer::thaw()
{
    const qint64 p = pid();
    return p > 0 && ::kill(pid_t(p), SIGCONT) == 0;
}

void PrivatePulseServer::stop()
{
    const qint64 pid = this->pid();
    if (pid <= 0)
        return;
    ::kill(pid_t(pid), SIGKILL);
    // A killed daemon may linger unreaped; its socket going is what counts.
    const QString socket = m_dir + QStringLiteral("/pulse/native");
    for (int i = 0; i < 50 && QFile::exists(socket); ++i) {
        QProcess info;
        QProcessEnvironment clientEnv = QProcessEnvironment::systemEnvironment();
        clientEnv.insert(QStringLiteral("PULSE_SERVER"), address());
        info.setProcessEnvironment(clientEnv);
        info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
        if (info.waitForFinished(5000) && info.exitCode() != 0)
            break;
        QThread::msleep(100);
    }
    QFile::remove(socket);
    QFile::remove(m_dir + QStringLiteral("/pulse/pid"));
}

} // namespace skywell::test
