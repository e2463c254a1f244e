#include "core/settingsstore.h"

#include "core/folders.h"
#include "core/prompter.h"
#include "core/writeprobe.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace skywell
{

SettingsStore::SettingsStore(QString userRoot, QString machineRoot, Prompter *prompter)
    : m_userRoot(std::move(userRoot)), m_machineRoot(std::move(machineRoot)), m_prompter(prompter)
{
}

QString SettingsStore::defaultUserRoot()
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

QString SettingsStore::defaultMachineRoot()
{
    const QString overridden = qEnvironmentVariable("SKYWELL_MACHINE_CONFIG");
    return overridden.isEmpty() ? QStringLiteral("/etc/xdg") : overridden;
}

QString SettingsStore::iniFile(const QString &root, SettingsGroup group, QString *section)
{
    // The file names and the section are those earlier versions wrote;
    // existing settings are read from them unchanged.
    QString name;
    QString inside;
    switch (group) {
    case SettingsGroup::Program:
        name = QStringLiteral("Skywell5");
        break;
    case SettingsGroup::Options:
        name = QStringLiteral("skywell");
        inside = QStringLiteral("Skywell 5");
        break;
    case SettingsGroup::CdWrite:
        name = QStringLiteral("CDWriteConfig");
        break;
    }
    if (section)
        *section = inside;
    return root + QStringLiteral("/Skywell/") + name + QStringLiteral(".ini");
}

namespace
{
// Opens the INI file of a group with its section entered.
struct GroupFile {
    GroupFile(const QString &root, SettingsGroup group)
        : settings(SettingsStore::iniFile(root, group, &section), QSettings::IniFormat)
    {
        if (!section.isEmpty())
            settings.beginGroup(section);
    }
    QString section;
    QSettings settings;
};
} // namespace

QString SettingsStore::readStringAt(const QString &root, const QString &name, SettingsGroup group) const
{
    GroupFile file(root, group);
    return file.settings.value(name).toString().left(kMaxStringLength);
}

QString SettingsStore::readString(const QString &name, SettingsGroup group) const
{
    return readStringAt(m_userRoot, name, group);
}

std::int32_t SettingsStore::readInt(const QString &name, SettingsGroup group) const
{
    return readIntValue(name, group).value_or(0);
}

bool SettingsStore::readBool(const QString &name, SettingsGroup group) const
{
    return readInt(name, group) != 0;
}

std::optional<QString> SettingsStore::readStringValue(const QString &name, SettingsGroup group) const
{
    GroupFile file(m_userRoot, group);
    const QVariant value = file.settings.value(name);
    if (!value.isValid())
        return std::nullopt;
    return value.toString().left(kMaxStringLength);
}

std::optional<std::int32_t> SettingsStore::readIntValue(const QString &name, SettingsGroup group) const
{
    GroupFile file(m_userRoot, group);
    bool ok = false;
    const std::int32_t value = file.settings.value(name).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

bool SettingsStore::writeValues(const Values &values, SettingsGroup group)
{
    GroupFile file(m_userRoot, group);
    for (const auto &[name, value] : values)
        file.settings.setValue(name, value);
    file.settings.sync();
    if (file.settings.status() == QSettings::NoError)
        return true;
    reportWriteFailure(file.settings.fileName());
    return false;
}

void SettingsStore::reportWriteFailure(const QString &file)
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
    m_prompter->information(kSettingsErrorText.arg(file, whyCannotWrite(file)));
}

void SettingsStore::writeString(const QString &name, const QString &text, SettingsGroup group)
{
    writeValues({{name, text}}, group);
}

void SettingsStore::writeInt(const QString &name, std::int32_t value, SettingsGroup group)
{
    writeValues({{name, value}}, group);
}

void SettingsStore::writeBool(const QString &name, bool value, SettingsGroup group)
{
    // As a number: the files hold 1 and 0, never "true" and "false".
    writeInt(name, value ? 1 : 0, group);
}

QString SettingsStore::readMachineString(const QString &name, SettingsGroup group) const
{
    return readStringAt(m_machineRoot, name, group);
}

void SettingsStore::removeValueAt(const QString &root, const QString &name, SettingsGroup group)
{
    GroupFile file(root, group);
    if (!file.settings.contains(name))
        return;
    file.settings.remove(name);
    file.settings.sync();
}

void SettingsStore::removeValue(const QString &name, SettingsGroup group)
{
    removeValueAt(m_userRoot, name, group);
}

void SettingsStore::removeMachineValue(const QString &name, SettingsGroup group)
{
    removeValueAt(m_machineRoot, name, group);
}

} // namespace skywell
