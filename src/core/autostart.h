#pragma once

#include <QString>

namespace skywell
{

// Starting Skywell with the desktop session: the XDG autostart entry
// "skywell.desktop" in <user config>/autostart (written or removed) and in
// <machine config>/autostart (always removed, as far as this user may).
class AutostartEntry final
{
public:
    AutostartEntry(QString userRoot, QString machineRoot, QString executable);

    // on: writes the per-user entry that starts the executable with
    // "-quiet"; off: removes it. Either way removes the machine-wide one.
    // False when the per-user entry could not be written or removed;
    // problem then holds the system's reason.
    bool apply(bool on, QString *problem) const;

    // Checks, without changing anything, that apply(on) can change the
    // per-user entry; problem as for apply.
    bool canApply(bool on, QString *problem) const;

    QString userEntryPath() const;
    QString machineEntryPath() const;
    // The entry's text: Exec="<path>" -quiet, quoted as the desktop entry
    // format requires.
    QString entryText() const;

private:
    QString m_userRoot;
    QString m_machineRoot;
    QString m_executable;
};

} // namespace skywell
