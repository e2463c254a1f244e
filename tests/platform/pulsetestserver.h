#pragma once

#include <QString>
#include <QStringList>

namespace skywell::test
{

// The PulseAudio server that test.sh starts (scripts/test-services). Tests
// that need it fail with this message when it is missing.
bool pulseServerAvailable(QString *why);

// Runs pactl with the arguments; returns its standard output, or a null
// string when it failed.
QString pactl(const QStringList &arguments);

// A null sink of the test's own, removed again at the end, so that tests
// running side by side do not hear each other.
class ScopedNullSink
{
public:
    explicit ScopedNullSink(const QString &name);
    ~ScopedNullSink();
    bool loaded() const { return !m_module.isEmpty(); }
    QString name() const { return m_name; }
    QString monitor() const { return m_name + QStringLiteral(".monitor"); }

private:
    QString m_name;
    QString m_module;
};

// Makes a sink the default (the speakers) and puts the previous one back.
class ScopedDefaultSink
{
public:
    explicit ScopedDefaultSink(const QString &name);
    ~ScopedDefaultSink();

private:
    QString m_previous;
};

} // namespace skywell::test

namespace skywell::test
{

// A PulseAudio server of the test's own (with one null sink), which the
// test may stop and start again to see clients cope with a lost server.
class PrivatePulseServer
{
public:
    PrivatePulseServer();
    ~PrivatePulseServer();
    bool start();
    void stop();
    // Stops the server's process with SIGSTOP, as a hung server: its
    // socket still takes connections, nothing answers. thaw() (SIGCONT)
    // lets it go on.
    bool freeze();
    bool thaw();
    QString address() const;

private:
    qint64 pid() const;

    QString m_dir;
    QByteArray m_dirTemplate;
};

} // namespace skywell::test
