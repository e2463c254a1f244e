#include "core/registry.h"

#include "core/folders.h"
#include "core/prompter.h"
#include "core/writeprobe.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace skywell
{

Registry::Registry(QString userRoot, QString machineRoot, Prompter *prompter)
    : m_userRoot(std::move(userRoot)), m_machineRoot(std::move(machineRoot)), m_prompter(prompter)
{
}

QString Registry::defaultUserRoot()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    // Without a home, $SKYWELL_HOME stands in for it (start-up refuses to
    // run with neither), never the root of the file system.
    const QString home = homeFolder();
    if (home.isEmpty())
        return withTrailingSeparator(programFolderFromEnvironment()) + QStringLiteral(".config");
    return home + QStringLiteral("/.config");
}

QString Registry::defaultMachineRoot()
{
    const QString overridden = qEnvironmentVariable("SKYWELL_MACHINE_CONFIG");
    return overridden.isEmpty() ? QStringLiteral("/etc/xdg") : overridden;
}

QString Registry::iniFileForKey(const QString &root, const QString &keyPath, QString *group)
{
    QStringList parts = keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (!parts.isEmpty() && parts.first().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    if (parts.size() >= 2 && parts.first() == QLatin1String("Skywell"))
        parts.removeFirst();
    if (parts.isEmpty())
        parts << QStringLiteral("Skywell");
    const QString file = root + QStringLiteral("/Skywell/") + parts.takeFirst() + QStringLiteral(".ini");
    if (group)
        *group = parts.join(QLatin1Char('/'));
    return file;
}

namespace
{
// Opens the INI file of a key with its group entered.
struct KeyFile {
    KeyFile(const QString &root, const QString &keyPath)
        : settings(Registry::iniFileForKey(root, keyPath, &group), QSettings::IniFormat)
    {
        if (!group.isEmpty())
            settings.beginGroup(group);
    }
    QString group;
    QSettings settings;
};
} // namespace

QString Registry::readString(const QString &root, const QString &name, const QString &keyPath) const
{
    KeyFile key(root, keyPath);
    return key.settings.value(name).toString().left(kMaxStringLength);
}

QString Registry::regReadString(const QString &name, const QString &keyPath) const
{
    return readString(m_userRoot, name, keyPath);
}

std::int32_t Registry::regReadInt(const QString &name, const QString &keyPath) const
{
    return readIntValue(name, keyPath).value_or(0);
}

std::optional<QString> Registry::readStringValue(const QString &name, const QString &keyPath) const
{
    KeyFile key(m_userRoot, keyPath);
    const QVariant value = key.settings.value(name);
    if (!value.isValid())
        return std::nullopt;
    return value.toString().left(kMaxStringLength);
}

std::optional<std::int32_t> Registry::readIntValue(const QString &name, const QString &keyPath) const
{
    KeyFile key(m_userRoot, keyPath);
    bool ok = false;
    const std::int32_t value = key.settings.value(name).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

bool Registry::writeValues(const Values &values, const QString &keyPath)
{
    KeyFile key(m_userRoot, keyPath);
    for (const auto &[name, value] : values)
        key.settings.setValue(name, value);
    key.settings.sync();
    if (key.settings.status() == QSettings::NoError)
        return true;
    reportWriteFailure(key.settings.fileName());
    return false;
}

void Registry::reportWriteFailure(const QString &file)
{
    if (!m_prompter)
        return;
    // One message says what and where; the same folder failing again for
    // the next values says nothing new.
    {
        std::lock_guard lock(m_reportedMutex);
        const QString folder = QFileInfo(file).absolutePath();
        if (m_reportedFolders.contains(folder))
            return;
        m_reportedFolders.insert(folder);
    }
    m_prompter->information(kRegistryErrorText.arg(file, whyCannotWrite(file)));
}

void Registry::regWriteString(const QString &name, const QString &text, const QString &keyPath)
{
    writeValues({{name, text}}, keyPath);
}

void Registry::regWriteInt(const QString &name, std::int32_t value, const QString &keyPath)
{
    writeValues({{name, value}}, keyPath);
}

QString Registry::regReadMachineString(const QString &name, const QString &keyPath) const
{
    return readString(m_machineRoot, name, keyPath);
}

void Registry::deleteValue(const QString &root, const QString &name, const QString &keyPath)
{
    KeyFile key(root, keyPath);
    if (!key.settings.contains(name))
        return;
    key.settings.remove(name);
    key.settings.sync();
}

void Registry::regDeleteValue(const QString &name, const QString &keyPath)
{
    deleteValue(m_userRoot, name, keyPath);
}

void Registry::regDeleteMachineValue(const QString &name, const QString &keyPath)
{
    deleteValue(m_machineRoot, name, keyPath);
}

} // namespace skywell
