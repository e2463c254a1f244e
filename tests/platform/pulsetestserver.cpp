#include "platform/pulsetestserver.h"

#include <QProcess>

namespace skywell::test {

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
    return QString::fromUtf8(process.readAllStandardOutput());
}

ScopedNullSink::ScopedNullSink(const QString &name) : m_name(name)
{
    m_module = pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                      QStringLiteral("sink_name=") + name,
                      QStringLiteral("sink_properties=device.description=") + name})
                   .trimmed();
}

ScopedNullSink::~ScopedNullSink()
{
    if (loaded())
        pactl({QStringLiteral("unload-module"), m_module});
}

} // namespace skywell::test
