#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>
#include <ctime>

namespace skywell::test
{

// Sets an environment variable for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value) : m_name(name)
    {
        const char *old = std::getenv(name);
        m_had = old != nullptr;
        if (m_had)
            m_old = old;
        ::setenv(name, value.constData(), 1);
        if (m_name == QByteArray("TZ"))
            ::tzset();
    }
    ~ScopedEnv()
    {
        if (m_had)
            ::setenv(m_name.constData(), m_old.constData(), 1);
        else
            ::unsetenv(m_name.constData());
        if (m_name == QByteArray("TZ"))
            ::tzset();
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    QByteArray m_name;
    QByteArray m_old;
    bool m_had = false;
};

// A temporary folder whose path ends in "/", like the program folder.
class TempFolder
{
public:
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    QString file(const QString &name) const { return path() + name; }

private:
    QTemporaryDir m_dir;
};

QByteArray readAll(const QString &path);

} // namespace skywell::test
