#include "core/autostart.h"

#include "core/writeprobe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace skywell
{

namespace
{

const QString kEntryName = QStringLiteral("autostart/skywell.desktop");

// A path inside a quoted Exec argument: ", `, $ and \ escaped, and "%"
// doubled because the launcher reads field codes.
QString quotedExecArgument(const QString &path)
{
    QString out;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            out += QLatin1Char('%');
        out += c;
    }
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace

AutostartEntry::AutostartEntry(QString userRoot, QString machineRoot, QString executable)
    : m_userRoot(std::move(userRoot)), m_machineRoot(std::move(machineRoot)), m_executable(std::move(executable))
{
}

QString AutostartEntry::userEntryPath() const
{
    return QDir(m_userRoot).filePath(kEntryName);
}

QString AutostartEntry::machineEntryPath() const
{
    return QDir(m_machineRoot).filePath(kEntryName);
}

QString AutostartEntry::entryText() const
{
    QString exec = quotedExecArgument(m_executable) + QStringLiteral(" -quiet");
    exec.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("[Desktop Entry]\nType=Application\nName=Skywell\nComment=Records internet radio shows\n"
                          "Exec=") +
           exec + QStringLiteral("\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
}

bool AutostartEntry::canApply(bool on, QString *problem) const
{
    const QString path = userEntryPath();
    const QFileInfo entry(path);
    if (!on && !entry.exists())
        return true;
    // Writing or removing needs a writable folder; a missing one is created
    // inside the nearest folder that exists.
    QFileInfo folder(entry.absolutePath());
    while (!folder.exists() && folder.absoluteFilePath() != QStringLiteral("/"))
        folder = QFileInfo(folder.absolutePath());
    if (folder.isDir() && folder.isWritable() && (!entry.exists() || !entry.isDir()))
        return true;
    if (problem)
        *problem = whyCannotWrite(path);
    return false;
}

bool AutostartEntry::apply(bool on, QString *problem) const
{
    // The machine-wide entry belongs to whoever installed it; a user who may
    // not remove it is not stopped by it.
    QFile::remove(machineEntryPath());

    const QString path = userEntryPath();
    if (!on) {
        if (!QFileInfo::exists(path) || QFile::remove(path))
            return true;
        if (problem)
            *problem = whyCannotWrite(path);
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(entryText().toUtf8()) >= 0 && file.commit())
        return true;
    if (problem)
        *problem = file.errorString().isEmpty() ? whyCannotWrite(path) : file.errorString();
    return false;
}

} // namespace skywell
