#pragma once

#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <mutex>
#include <optional>

namespace skywell
{

class Prompter;

// Small named values kept per user (and read machine-wide), addressed by a
// key path such as "Software\Skywell5". Each key path is one INI file
// (see iniFileForKey) written through QSettings, which locks and replaces
// the file atomically. A missing value reads as "" or 0.
class Registry final
{
public:
    // userRoot is the per-user configuration folder ($XDG_CONFIG_HOME),
    // machineRoot the machine-wide one (/etc/xdg). prompter may be null.
    Registry(QString userRoot, QString machineRoot, Prompter *prompter = nullptr);

    // The roots a real start uses: $XDG_CONFIG_HOME (else ~/.config, or
    // .config in the program folder when there is no home) and
    // $SKYWELL_MACHINE_CONFIG (else /etc/xdg).
    static QString defaultUserRoot();
    static QString defaultMachineRoot();

    static constexpr int kMaxStringLength = 2048;

    QString regReadString(const QString &name, const QString &keyPath) const;
    std::int32_t regReadInt(const QString &name, const QString &keyPath) const;
    // Writes report nothing: a key that cannot be written shows
    // "Registry Error" with the file and the system's reason, once per
    // folder and run, and the program goes on.
    void regWriteString(const QString &name, const QString &text, const QString &keyPath);
    void regWriteInt(const QString &name, std::int32_t value, const QString &keyPath);
    // Several values of one key in one write; false when they could not
    // be saved (reported as above).
    using Values = QList<QPair<QString, QVariant>>;
    bool writeValues(const Values &values, const QString &keyPath);
    QString regReadMachineString(const QString &name, const QString &keyPath) const;
    void regDeleteValue(const QString &name, const QString &keyPath);
    void regDeleteMachineValue(const QString &name, const QString &keyPath);

    // The per-user value, or nothing when it is missing or (for numbers)
    // not a number.
    std::optional<QString> readStringValue(const QString &name, const QString &keyPath) const;
    std::optional<std::int32_t> readIntValue(const QString &name, const QString &keyPath) const;

    void setPrompter(Prompter *prompter) { m_prompter = prompter; }

    // "Software\Skywell5" -> <root>/Skywell/Skywell5.ini;
    // "Software\Skywell\CDWriteConfig" -> <root>/Skywell/CDWriteConfig.ini;
    // "Software\Skywell\skywell\Skywell 5" -> <root>/Skywell/skywell.ini,
    // group "Skywell 5". Returns the file and sets group.
    static QString iniFileForKey(const QString &root, const QString &keyPath, QString *group);

    QString userRoot() const { return m_userRoot; }

private:
    QString readString(const QString &root, const QString &name, const QString &keyPath) const;
    void deleteValue(const QString &root, const QString &name, const QString &keyPath);
    void reportWriteFailure(const QString &file);

    QString m_userRoot;
    QString m_machineRoot;
    Prompter *m_prompter;
    // Folders whose failure the user has been told about (writes also come
    // from the tuning thread).
    std::mutex m_reportedMutex;
    QSet<QString> m_reportedFolders;
};

// Key paths used throughout the program.
inline const QString kSkywellKey = QStringLiteral("Software\\Skywell5");
inline const QString kCdWriteKey = QStringLiteral("Software\\Skywell\\CDWriteConfig");

inline const QString kRegistryErrorText = QStringLiteral("Settings Error: settings cannot be saved to %1: %2");

} // namespace skywell
