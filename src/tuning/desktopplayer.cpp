#include "tuning/desktopplayer.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace skywell
{

namespace
{

// The values of one group of a desktop-entry style file (mimeapps.list,
// mimeinfo.cache, .desktop), keys without locale, value escapes undone.
QHash<QString, QString> readGroup(const QString &path, const QString &group)
{
    QHash<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return values;
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inGroup = line == u'[' + group + u']';
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inGroup || line.startsWith(u'#') || equals <= 0)
            continue;
        QString value;
        const QString raw = line.mid(equals + 1).trimmed();
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] != u'\\' || i + 1 == raw.size()) {
                value += raw[i];
                continue;
            }
            const QChar next = raw[++i];
            value += next == u's' ? QChar(u' ') : next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t') : next;
        }
        values.insert(line.left(equals).trimmed(), value);
    }
    return values;
}

QString desktopFile(const QString &id)
{
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        const QString path = dir + u'/' + id;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

// The first listed application of the type that is installed and shown.
QString firstApplication(const QStringList &files, const QString &group, const QString &type)
{
    for (const QString &file : files) {
        for (const QString &id : readGroup(file, group).value(type).split(u';', Qt::SkipEmptyParts)) {
            const QString path = desktopFile(id.trimmed());
            if (!path.isEmpty() && readGroup(path, QStringLiteral("Desktop Entry")).value(QStringLiteral("Hidden")) !=
                                       QStringLiteral("true"))
                return path;
        }
    }
    return {};
}

QString defaultApplication(const QString &type)
{
    QStringList lists;
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << dir + QStringLiteral("/mimeapps.list");
    QStringList caches;
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        lists << dir + QStringLiteral("/mimeapps.list");
        caches << dir + QStringLiteral("/mimeinfo.cache");
    }
    const QString chosen = firstApplication(lists, QStringLiteral("Default Applications"), type);
    return chosen.isEmpty() ? firstApplication(caches, QStringLiteral("MIME Cache"), type) : chosen;
}

// The Exec line's field codes: the file or URL codes take the address; the
// others are dropped or, inside a word, removed.
ProgramCommand fillFieldCodes(const ProgramCommand &exec, const QString &address)
{
    ProgramCommand command{exec.program, {}, {}};
    bool placed = false;
    for (const QString &word : exec.arguments) {
        static const QStringList addressCodes{QStringLiteral("%u"), QStringLiteral("%U"), QStringLiteral("%f"),
                                              QStringLiteral("%F")};
        if (addressCodes.contains(word)) {
            if (!placed)
                command.arguments << address;
            placed = true;
            continue;
        }
        QString filled;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word[i] != u'%' || i + 1 == word.size())
                filled += word[i];
            else if (word[++i] == u'%')
                filled += u'%';
        }
        if (!filled.isEmpty() || !word.startsWith(u'%'))
            command.arguments << filled;
    }
    if (!placed)
        command.arguments << address;
    return command;
}

} // namespace

ProgramCommand desktopPlayerCommand(const QString &address, const QStringList &types)
{
    for (const QString &type : types) {
        const QString path = defaultApplication(type);
        if (path.isEmpty())
            continue;
        const QString exec = readGroup(path, QStringLiteral("Desktop Entry")).value(QStringLiteral("Exec"));
        ProgramCommand command = splitCommandLine(exec);
        if (!command.error.isEmpty()) {
            command.error = QStringLiteral("%1: %2").arg(path, command.error);
            return command;
        }
        return fillFieldCodes(command, address);
    }
    return ProgramCommand{{}, {}, kNoDesktopPlayerText};
}

} // namespace skywell
