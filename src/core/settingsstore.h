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

// The groups settings are kept in. Where each lives on disk (its INI file
// and section) is the store's business.
enum class SettingsGroup {
    // The program's own values: window position, last choices, hints.
    Program,
    // The options of the settings sheet.
    Options,
    // The CD writing helper's set-up and its last result.
    CdWrite,
};

// Small named values kept per user (and read machine-wide), in one INI file
// per group (see iniFile), written through QSettings, which locks and
// replaces the file atomically. A missing value reads as "", 0 or false.
class SettingsStore final
{
public:
    // userRoot is the per-user configuration folder ($XDG_CONFIG_HOME),
    // machineRoot the machine-wide one (/etc/xdg). prompter may be null.
    SettingsStore(QString userRoot, QString machineRoot, Prompter *prompter = nullptr);

    // The roots a real start uses: $XDG_CONFIG_HOME (else ~/.config, or
    // .config in the program folder when there is no home) and
    // $SKYWELL_MACHINE_CONFIG (else /etc/xdg).
    static QString defaultUserRoot();
    static QString defaultMachineRoot();

    static constexpr int kMaxStringLength = 2048;

    QString readString(const QString &name, SettingsGroup group) const;
    std::int32_t readInt(const QString &name, SettingsGroup group) const;
    // Stored as the numbers 1 and 0; any other number reads as true.
    bool readBool(const QString &name, SettingsGroup group) const;
    // Writes report nothing: a file that cannot be written shows
    // "Settings Error" with the file and the system's reason, once per
    // folder and run, and the program goes on.
    void writeString(const QString &name, const QString &text, SettingsGroup group);
    void writeInt(const QString &name, std::int32_t value, SettingsGroup group);
    void writeBool(const QString &name, bool value, SettingsGroup group);
    // Several values of one group in one write; false when they could not
    // be saved (reported as above). Booleans are to be given as 1 or 0.
    using Values = QList<QPair<QString, QVariant>>;
    bool writeValues(const Values &values, SettingsGroup group);
    QString readMachineString(const QString &name, SettingsGroup group) const;
    void removeValue(const QString &name, SettingsGroup group);
    void removeMachineValue(const QString &name, SettingsGroup group);

    // The per-user value, or nothing when it is missing or (for numbers)
    // not a number.
    std::optional<QString> readStringValue(const QString &name, SettingsGroup group) const;
    std::optional<std::int32_t> readIntValue(const QString &name, SettingsGroup group) const;

    void setPrompter(Prompter *prompter) { m_prompter = prompter; }

    // Program -> <root>/Skywell/Skywell5.ini;
    // CdWrite -> <root>/Skywell/CDWriteConfig.ini;
    // Options -> <root>/Skywell/skywell.ini, section "Skywell 5".
    // Returns the file and sets section ("" for the file's top level).
    static QString iniFile(const QString &root, SettingsGroup group, QString *section);

    QString userRoot() const { return m_userRoot; }

private:
    QString readStringAt(const QString &root, const QString &name, SettingsGroup group) const;
    void removeValueAt(const QString &root, const QString &name, SettingsGroup group);
    void reportWriteFailure(const QString &file);

    QString m_userRoot;
    QString m_machineRoot;
    Prompter *m_prompter;
    // Folders whose failure the user has been told about (writes also come
    // from the tuning thread).
    std::mutex m_reportedMutex;
    QSet<QString> m_reportedFolders;
};

inline const QString kSettingsErrorText = QStringLiteral("Settings Error: settings cannot be saved to %1: %2");

} // namespace skywell
